// A word taken into the word list: what its popup showed, and the sentence it was met in.
#include "core/wordlist/word_capture.h"

#include <algorithm>

#include "core/base/helpers.h"

namespace kelmoa {
namespace {

bool IsSpace(char16_t ch) {
  return ch == u' ' || ch == u'\t' || ch == u'\u3000';
}

bool IsClosing(char16_t ch) {
  return ch == u'"' || ch == u'\'' || ch == u')' || ch == u']' || ch == u'\u201D' ||
         ch == u'\u2019';
}

// When a sentence ends at s[i] (".", "!" or "?" followed by closing quotes or brackets, then a
// space or the end), the position just after its closing marks; else 0.
size_t SentenceEndAt(std::u16string_view s, size_t i) {
  if (s[i] != u'.' && s[i] != u'!' && s[i] != u'?')
    return 0;
  size_t j = i + 1;
  while (j < s.size() && (IsClosing(s[j]) || s[j] == u'.' || s[j] == u'!' || s[j] == u'?'))
    ++j;
  return j == s.size() || IsSpace(s[j]) ? j : 0;
}

bool HasSentenceEnd(std::u16string_view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (SentenceEndAt(s, i) != 0)
      return true;
  }
  return false;
}

// True when a trimmed line ends a sentence: ".", "!" or "?", then closing marks only.
bool EndsSentence(std::u16string_view s) {
  while (!s.empty() && IsClosing(s.back()))
    s.remove_suffix(1);
  return !s.empty() && (s.back() == u'.' || s.back() == u'!' || s.back() == u'?');
}

std::u16string_view Trim(std::u16string_view s) {
  while (!s.empty() && IsSpace(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back()))
    s.remove_suffix(1);
  return s;
}

}  // namespace

ContextSentence SentenceOf(const WordContext& c) {
  // The context joined into one text, the word placed in it.
  const size_t wordCol = static_cast<size_t>(std::max(c.column, 1) - 1);
  const size_t wordLen = std::min(static_cast<size_t>(std::max(c.length, 0)),
                                  c.line.size() - std::min(wordCol, c.line.size()));
  std::u16string text;
  if (const std::u16string_view before = Trim(c.lineBefore); !before.empty()) {
    text = before;
    text += u' ';
  }
  const std::u16string_view line = c.line;
  size_t lead = 0;
  while (lead < std::min(wordCol, line.size()) && IsSpace(line[lead]))
    ++lead;
  const std::u16string_view lineRest = line.substr(std::min(lead, line.size()));
  const size_t wordStart = text.size() + std::min(wordCol, line.size()) - lead;
  text += lineRest;
  if (const std::u16string_view after = Trim(c.lineAfter); !after.empty()) {
    while (!text.empty() && IsSpace(text.back()) && text.size() > wordStart + wordLen)
      text.pop_back();
    text += u' ';
    text += after;
  }

  // The sentence: from just after the last sentence end before the word up to and with the
  // first sentence end after it.
  size_t start = 0;
  for (size_t i = 0; i < wordStart; ++i) {
    if (const size_t end = SentenceEndAt(text, i); end != 0 && end <= wordStart)
      start = end;
  }
  size_t stop = text.size();
  for (size_t i = wordStart + wordLen; i < text.size(); ++i) {
    if (const size_t end = SentenceEndAt(text, i); end != 0) {
      stop = end;
      break;
    }
  }
  while (start < wordStart && IsSpace(text[start]))
    ++start;
  while (stop > wordStart + wordLen && IsSpace(text[stop - 1]))
    --stop;
  ContextSentence s;
  s.text = text.substr(start, stop - start);
  s.wordStart = wordStart - start;
  s.wordLength = wordLen;
  return s;
}

WordContext ContextOfWord(const StrList& lines, int lineNumber, int column, int length) {
  WordContext c;
  const int n = UpperBound(lines);
  if (lineNumber < 1 || lineNumber > n)
    return c;
  c.line = lines[static_cast<size_t>(lineNumber)];
  c.lineNumber = lineNumber;
  c.column = column;
  c.length = length;
  const std::u16string_view line = c.line;
  const size_t col = std::min(static_cast<size_t>(std::max(column, 1) - 1), line.size());
  const size_t end = std::min(col + static_cast<size_t>(std::max(length, 0)), line.size());
  if (lineNumber > 1 && !HasSentenceEnd(line.substr(0, col))) {
    const std::u16string& prev = lines[static_cast<size_t>(lineNumber - 1)];
    const std::u16string_view trimmed = Trim(prev);
    if (!trimmed.empty() && !EndsSentence(trimmed))
      c.lineBefore = prev;
  }
  if (lineNumber < n && !HasSentenceEnd(line.substr(end))) {
    const std::u16string& next = lines[static_cast<size_t>(lineNumber + 1)];
    if (!Trim(next).empty())
      c.lineAfter = next;
  }
  return c;
}

bool CaptureWord(const WordTable& t, int k, Popup popup, const std::string& file, std::time_t now,
                 WordCapture& capture) {
  if (k < 1 || k > t.Count() || t.mLines == nullptr || popup.empty())
    return false;
  WordCapture c;
  c.word = t.Word(k);
  c.headWords = std::move(popup.headWords);
  c.meanings = std::move(popup.lines);
  const auto ki = static_cast<size_t>(k);
  c.context = ContextOfWord(*t.mLines, t.mWordLine[ki], t.mWordCol[ki], t.mWordLen[ki]);
  c.context.file = file;
  c.context.added = IsoUtc(now);
  capture = std::move(c);
  return true;
}

int FindWordOnLine(const WordTable& table, int lineNumber, std::u16string_view word) {
  const auto line = static_cast<size_t>(lineNumber);
  if (lineNumber < 1 || line >= table.mLineFirstWord.size() || table.mLineFirstWord[line] == 0)
    return 0;
  const int first = table.mLineFirstWord[line], last = table.mLineLastWord[line];
  for (int k = first; k <= last; ++k) {
    if (table.Word(k) == word)
      return k;
  }
  const std::u16string lowered = LowerAscii(word);
  for (int k = first; k <= last; ++k) {
    if (LowerAscii(table.Word(k)) == lowered)
      return k;
  }
  return 0;
}

std::string IsoUtc(std::time_t t) {
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[32];
  const size_t n = std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return std::string(buf, n);
}

}  // namespace kelmoa
