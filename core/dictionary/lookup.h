// Word lookup: a word and the forms it may be inflected from, searched in the dictionary.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/str_list.h"
#include "core/dictionary/dictionary.h"

namespace kelmoa {

// What a rule takes off a text word to reach a head word.
enum class WordEnding {
  kNone,         // the word itself
  kPlural,       // -s, -es, -ies: a plural or a third person
  kPossessive,   // -'s, -s', -ies'
  kPast,         // -d, -ed, -ied, a doubled consonant and -ed
  kIng,          // -ing
  kComparative,  // -r, -er, -st, -est, -ier, -iest
  kAgent,        // -ers, -ers', -iers (player from play)
  kLy,           // -ly
  kOtherSuffix,  // -al, -ion, -ism, -ment, -ness
};

// The word w itself followed by the forms it may be inflected from, in the order of the eleven
// inflection rules (plural and verb endings, comparatives, doubled consonants, y to i).
StrList GetInflectedBaseForms(std::u16string_view w);

// The ending by which the inflection rules, or else the derivation rules, reach head from the
// lower-case word w; none when they do not (head is w itself, or was found by its prefix).
std::optional<WordEnding> EndingBetween(std::u16string_view w, std::u16string_view head);

// The negative prefix (non-, dis-, un-, in-, im-) w starts with, followed by a word of at least
// four letters; empty when none.
std::u16string_view NegativePrefixOf(std::u16string_view w);

// Appends to candidates the first Len(w) - Len(suffix) characters of w when w ends in suffix.
void AddSuffixBaseForm(std::u16string_view w, std::u16string_view suffix, StrList& candidates);

// The forms w may be derived from by the suffixes -ly, -al, -ion, -ism, -ment and -ness.
StrList GetSuffixBaseForms(std::u16string_view w);

// The dictionary entries (indexes into dicWord) a text word given in lower case is found
// under, best first; none when nothing matches. The word's own entry comes first, then those
// of its inflection candidates in rule order; only when none matches, those of its
// derivational candidates; only when none of those matches either and the word has more than
// seven letters, at most three entries sharing its first seven letters.
std::vector<int> DicHitsOfWord(const StrList& dicWord, std::u16string_view w);
// The same for words looked up in ascending order, into hits (emptied first, so that one
// buffer serves every word): near is where the last word stood in the dictionary (0 for none)
// and is left where this one stands, so that each search starts close.
void DicHitsOfWord(const StrList& dicWord, std::u16string_view w, int& near,
                   std::vector<int>& hits);

// The entries of a word with a negative prefix that the dictionary knows only without it
// (unsmiling, unknown): the entries of what follows the prefix that are adjectives, adverbs or
// participles (an -ing or -ed form reaching a verb), into hits (emptied first). None when w has
// no such prefix or no such entry. Asked for only when DicHitsOfWord finds nothing for w.
void NegatedWordHits(const StrList& dicWord, const StrList& dicMeaning, std::u16string_view w,
                     std::vector<int>& hits);
std::vector<int> NegatedWordHits(const StrList& dicWord, const StrList& dicMeaning,
                                 std::u16string_view w);

// The editor's lookup of a lower-case word: the first of the word and its inflection
// candidates that is a head word. entryIdx gets its entry index (0 when none), word the form that
// matched (empty when none) and meaning its meanings in elements 1..p (element 0 only when
// none).
void LookUpMeanings(const Dictionary& dic, std::u16string_view typed, int& entryIdx,
                    std::u16string& word, StrList& meaning);

}  // namespace kelmoa
