// The phrase dictionary: phrasal verbs and fixed expressions, found by their first word.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/base/file_ops.h"
#include "core/base/status.h"
#include "core/base/str_list.h"
#include "core/dictionary/dictionary.h"

namespace kelmoa {

// A phrase has at least this many words and at most kMaxPhraseWords.
inline constexpr int kMinPhraseWords = 2;
inline constexpr int kMaxPhraseWords = 6;

// One phrase and what the popup shows for it.
struct Phrase {
  std::u16string text;                // as the dictionary writes it: "give up"
  std::vector<std::u16string> words;  // its words, lower case
  std::vector<std::u16string> lines;  // its meanings, a popup line each
  bool verb = false;                  // a verb phrase: its first word may be inflected (gave up)
  bool separable = false;             // a verb and its particle that take an object between them
                                      // (pick it up)
};

// The words of a phrase head: 2 to 6 words of letters and apostrophes separated by single
// spaces, lowered; empty when head is no such phrase.
std::vector<std::u16string> PhraseWords(std::u16string_view head);

// The phrases of the phrase dictionary file, and those a user registered in the dictionary
// the way its editor tells: under a word that stands for the phrase, with the phrase at the
// start of the meaning (forward: "look forward to ～(名詞・動名詞) ～を首を長くして待ち望む").
class PhraseDictionary {
 public:
  // Loads the phrase file at path (the dictionary's format). A missing file means no phrases;
  // a head that is no phrase is skipped. Other failures to read are returned, with the
  // phrases of the dictionary kept.
  Status Load(const std::string& path, FileOps& fs = DefaultFileOps());

  // Takes the registered phrases of dic anew: a meaning that starts with two or more English
  // words, one of which is its head word, stands for the phrase those words make.
  void TakeRegisteredPhrases(const Dictionary& dic);

  bool empty() const { return mPhrases.empty(); }
  int Count() const { return static_cast<int>(mPhrases.size()); }
  const Phrase& operator[](int i) const { return mPhrases[static_cast<size_t>(i)]; }

  // The phrases whose first word is word (lower case), in the dictionary's order.
  const std::vector<int>& StartingWith(std::u16string_view word) const;

 private:
  void Index();
  // Takes one meaning of head when it stands for a phrase.
  void TakeRegisteredPhrase(std::u16string_view head, std::u16string_view meaning);

  std::vector<Phrase> mPhrases;  // the file's, then the registered ones
  size_t mFromFile = 0;          // how many of them the file gave
  std::unordered_map<std::u16string, std::vector<int>> mByFirstWord;
};

}  // namespace kelmoa
