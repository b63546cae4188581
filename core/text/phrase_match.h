// Finding the phrases of the phrase dictionary in a laid-out text.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/dictionary/dictionary.h"
#include "core/dictionary/phrases.h"
#include "core/text/layout.h"

namespace kelmoa {

// A phrase found in the text: its index in the phrase dictionary and the first and last words
// (indexes into the word table) it covers, any words between its own included.
struct PhraseSpan {
  int phrase = -1;
  int firstWord = 0;
  int lastWord = 0;
  bool operator==(const PhraseSpan&) const = default;
};

// Finds the phrases of a text line by line, the first time a word of the line is asked about,
// and remembers them, so that a pointer moving over the text looks each line at once.
//
// A phrase matches where its words follow one another in the text with nothing but spaces and
// line breaks between them: no punctuation, so never across a sentence's end or a comma, and
// not across a blank line. Words match in any case. The first word of a verb phrase may be
// inflected as the lookup's rules allow (giving up) or be an irregular form the dictionary's
// own entry names (gave: 【giveの過去】). A verb and its particle that take an object may hold
// a pronoun, or a noun group of at most three words that starts with a determiner, between
// them (pick it up, turned the offer down). Halves of a word broken by a hyphen at a line's
// end count as the joined word. Where phrases overlap at a word, the one of most words wins,
// then the one that starts first.
class PhraseFinder {
 public:
  // The phrases each word of the text met so far may start, by the lowered word.
  using StartMemo = std::unordered_map<std::u16string, std::vector<int>>;

  // Forgets what was found, for a text of wordCount words.
  void Reset(int wordCount);

  // The phrase that covers word k, or nullptr.
  const PhraseSpan* PhraseAt(const WordTable& t, int k, const PhraseDictionary& phrases,
                             const Dictionary& dic);

  // Every phrase of the text that wins at one of its words, in reading order, each once.
  std::vector<PhraseSpan> AllPhrases(const WordTable& t, const PhraseDictionary& phrases,
                                     const Dictionary& dic);

 private:
  void FindOnLine(const WordTable& t, int line, const PhraseDictionary& phrases,
                  const Dictionary& dic);

  std::vector<int32_t> mWordSpan;  // per word: -1 not looked at, 0 none, i + 1 mSpans[i]
  std::vector<PhraseSpan> mSpans;
  StartMemo mStarts;
};

}  // namespace kelmoa
