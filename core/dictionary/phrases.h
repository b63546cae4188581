// The phrase dictionary: phrasal verbs and fixed expressions, found by their first word.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/file_ops.h"
#include "core/base/status.h"
#include "core/base/str_list.h"
#include "core/dictionary/dictionary.h"

namespace kelmoa {

// A phrase has at least this many words and at most kMaxPhraseWords.
inline constexpr int kMinPhraseWords = 2;
inline constexpr int kMaxPhraseWords = 6;

// The words of a phrase, lower case: views into its text.
struct PhraseWordList {
  std::array<std::u16string_view, kMaxPhraseWords> at;
  size_t count = 0;

  size_t size() const { return count; }
  std::u16string_view operator[](size_t i) const { return at[i]; }
};

// One phrase and what the popup shows for it. Its characters lie in the phrase dictionary
// that holds it: thousands of phrases each with strings of their own would take several
// times the memory of their characters.
struct Phrase {
  const char16_t* chars = nullptr;  // its text, then its lower case unless that is the same,
                                    // then its meanings
  uint32_t meaningsLength = 0;
  uint16_t textLength = 0;
  bool lowerCase = false;  // the text is in lower case already
  bool verb = false;       // a verb phrase: its first word may be inflected (gave up)
  bool separable = false;  // a verb and its particle that take an object between them
                           // (pick it up)

  // As the dictionary writes it: "give up".
  std::u16string_view Text() const { return {chars, textLength}; }
  // The same in lower case: its words, single spaces between them.
  std::u16string_view Lowered() const { return {chars + (lowerCase ? 0 : textLength), textLength}; }
  // Its meanings joined by TAB, a popup line each.
  std::u16string_view Meanings() const {
    return {chars + (lowerCase ? 1 : 2) * textLength, meaningsLength};
  }
  PhraseWordList Words() const;
  std::vector<std::u16string> Lines() const;
};

// The words of a phrase head: 2 to 6 words of letters and apostrophes separated by single
// spaces, lowered; empty when head is no such phrase.
std::vector<std::u16string> PhraseWords(std::u16string_view head);

// The phrases of the phrase dictionary file, and those a user registered in the dictionary
// the way its editor tells: under a word that stands for the phrase, with the phrase at the
// start of the meaning (forward: "look forward to ～(名詞・動名詞) ～を首を長くして待ち望む").
class PhraseDictionary {
 public:
  PhraseDictionary() = default;
  // The phrases point into the dictionary's own texts: it may move, not be copied.
  PhraseDictionary(const PhraseDictionary&) = delete;
  PhraseDictionary& operator=(const PhraseDictionary&) = delete;
  PhraseDictionary(PhraseDictionary&&) = default;
  PhraseDictionary& operator=(PhraseDictionary&&) = default;

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
  std::vector<int> StartingWith(std::u16string_view word) const;

 private:
  // Takes one meaning of head when it stands for a phrase.
  void TakeRegisteredPhrase(std::u16string_view head, std::u16string_view meaning);
  // A phrase whose texts are kept here, made from meanings and its text in any case.
  Phrase KeepPhrase(std::u16string_view text, std::u16string_view meanings);

  std::vector<Phrase> mPhrases;  // the file's, then the registered ones
  size_t mFromFile = 0;          // how many of them the file gave
  // What the phrases' views point into: one text for the file's phrases, then texts of the
  // registered ones. A deque never moves what it holds when it grows or shrinks at its end.
  std::deque<std::u16string> mTexts;
  size_t mFileTexts = 0;  // how many of mTexts are the file's
  // The file's phrases and the registered ones, each by their first word, then in their order.
  std::vector<int> mFileByFirstWord;
  std::vector<int> mRegisteredByFirstWord;
};

}  // namespace kelmoa
