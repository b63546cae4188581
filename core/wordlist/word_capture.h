// A word taken into the word list: what its popup showed, and the sentence it was met in.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/str_list.h"
#include "core/text/layout.h"
#include "core/text/popup_text.h"

namespace kelmoa {

// Where a word of the word list was met: its text line, and the line before or after when the
// word's sentence runs across them (empty otherwise), the file and the time.
struct WordContext {
  std::u16string lineBefore;
  std::u16string line;
  std::u16string lineAfter;
  int column = 1;      // the word's first character in line, from 1
  int length = 0;      // the word's length in characters
  std::string file;    // the text file's path, as it was opened
  int lineNumber = 0;  // line's number in the file, from 1
  std::string added;   // UTC, ISO 8601: 2026-12-07T12:34:56Z

  bool operator==(const WordContext&) const = default;
};

// One word taken into the word list: the word as in the text, what its popup showed (the head
// words it drew on and its lines, as they were) and where it was met.
struct WordCapture {
  std::u16string word;
  std::vector<std::u16string> headWords;
  std::vector<std::u16string> meanings;
  WordContext context;
};

// The word's sentence within its context: the context lines joined by single spaces, cut at the
// sentence ends (".", "!" or "?" before a space or the end, closing quotes and brackets kept)
// before and after the word. wordStart and wordLength place the word in text.
struct ContextSentence {
  std::u16string text;
  size_t wordStart = 0;
  size_t wordLength = 0;
};
ContextSentence SentenceOf(const WordContext& context);

// The context of the word at column..column+length-1 of line lineNumber of lines (elements
// 1..n): the line, and its neighbour before when no sentence ends between the neighbour's
// last character and the word, and its neighbour after when no sentence ends between the word
// and that neighbour. A blank neighbour is a paragraph break and never taken. file and added
// are left empty.
WordContext ContextOfWord(const StrList& lines, int lineNumber, int column, int length);

// The capture of word k of a laid-out text with the popup it shows (BuildPopup of its hits):
// false, with nothing set, when the popup is empty (no dictionary entry) or k is no word.
bool CaptureWord(const WordTable& t, int k, Popup popup, const std::string& file, std::time_t now,
                 WordCapture& capture);

// The word of line lineNumber (from 1) that is word: the first one spelt exactly so, else the
// first one equal to it in any case; 0 when the line has none.
int FindWordOnLine(const WordTable& table, int lineNumber, std::u16string_view word);

// t in UTC, ISO 8601 with seconds: 2026-12-07T12:34:56Z.
std::string IsoUtc(std::time_t t);

}  // namespace kelmoa
