// Reads the WordNet files the dictionary import uses: lemmas, irregular forms, sense counts.
#pragma once
// Reads the parts of WordNet (Princeton University's lexical database of English) the
// dictionary import uses: the lemmas of each word class (index.noun ...), the irregular forms
// (noun.exc ...) and how often each sense was met in a tagged text (cntlist.rev).

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/dictionary/edict_import.h"

namespace kelmoa {

// The four word classes WordNet has, in the order of its files.
inline constexpr std::array<WordClass, 4> kWordnetClasses = {
    WordClass::kNoun, WordClass::kVerb, WordClass::kAdjective, WordClass::kAdverb};
// The names of WordNet's files for each class: index.noun, noun.exc ...
inline constexpr std::array<const char*, 4> kWordnetClassNames = {"noun", "verb", "adj", "adv"};

// The file texts, each indexed like kWordnetClasses; a missing file is empty.
struct WordnetFiles {
  std::array<std::string, 4> index;
  std::array<std::string, 4> exceptions;
  std::string senseCounts;  // cntlist.rev
};

// A form WordNet lists as irregular: went for go (verb), children for child (noun).
struct IrregularForm {
  std::u16string form;
  std::u16string base;
  WordClass wordClass = WordClass::kOther;
};

// A bit per class of kWordnetClasses.
using ClassSet = uint8_t;
inline constexpr ClassSet ClassBit(WordClass c) {
  return static_cast<ClassSet>(1U << static_cast<int>(c));
}

struct Wordnet {
  // Every one-word lemma (letters and apostrophes, lower case) with its classes.
  std::unordered_map<std::u16string, ClassSet> lemmas;
  // The class a word's senses were met in most often in the tagged text; words never met
  // are not here.
  std::unordered_map<std::u16string, WordClass> mainClass;
  std::vector<IrregularForm> irregularForms;  // one-word forms and bases, in file order
  // The lemmas of 2 to 6 words (give_up as give up).
  std::unordered_set<std::u16string> phrases;
};

// Reads the files' texts. Lines that are not what a file holds are skipped.
Wordnet ReadWordnet(const WordnetFiles& files);

}  // namespace kelmoa
