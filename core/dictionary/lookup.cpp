// Word lookup: a word and the forms it may be inflected from, searched in the dictionary.
#include "core/dictionary/lookup.h"

#include <algorithm>

#include "core/base/helpers.h"
#include "core/dictionary/meaning_tags.h"

namespace kelmoa {
namespace {

bool EndsWith(std::u16string_view w, std::u16string_view suffix) {
  return w.size() >= suffix.size() && w.substr(w.size() - suffix.size()) == suffix;
}

bool EndsWithAny(std::u16string_view w, std::initializer_list<std::u16string_view> suffixes) {
  for (const auto s : suffixes) {
    if (EndsWith(w, s))
      return true;
  }
  return false;
}

// The first n characters of w; the empty string for n <= 0.
std::u16string First(std::u16string_view w, long n) {
  if (n <= 0)
    return {};
  return std::u16string(w.substr(0, static_cast<size_t>(n)));
}

// Calls add(form, ending) for the word w and each form it may be inflected from, in the order
// of the rules; ending is what the rule takes off the word. No two rules add the same form.
template <typename Add>
void ForEachInflectionCandidate(std::u16string_view w, Add add) {
  const long L = static_cast<long>(w.size());
  // Character at 1-based position p.
  auto at = [&](long p) { return w[static_cast<size_t>(p - 1)]; };
  add(std::u16string(w), WordEnding::kNone);  // 1
  if (EndsWith(w, u"s"))
    add(First(w, L - 1), WordEnding::kPlural);  // 2
  else if (EndsWith(w, u"d"))
    add(First(w, L - 1), WordEnding::kPast);
  else if (EndsWith(w, u"r"))
    add(First(w, L - 1), WordEnding::kComparative);
  if (EndsWith(w, u"es"))
    add(First(w, L - 2), WordEnding::kPlural);  // 3
  else if (EndsWith(w, u"ed"))
    add(First(w, L - 2), WordEnding::kPast);
  else if (EndsWithAny(w, {u"'s", u"s'"}))
    add(First(w, L - 2), WordEnding::kPossessive);
  else if (EndsWith(w, u"st"))
    add(First(w, L - 2), WordEnding::kComparative);
  if (EndsWith(w, u"er") && w.find(u"career") == std::u16string_view::npos &&
      w.find(u"bother") == std::u16string_view::npos) {
    add(First(w, L - 2), WordEnding::kComparative);  // 4
  }
  if (EndsWith(w, u"ing"))
    add(First(w, L - 3), WordEnding::kIng);  // 5
  else if (EndsWith(w, u"est"))
    add(First(w, L - 3), WordEnding::kComparative);
  else if (EndsWith(w, u"ers"))
    add(First(w, L - 3), WordEnding::kAgent);
  if (L >= 5 && EndsWith(w, u"ers'"))
    add(First(w, L - 4), WordEnding::kAgent);  // 6
  if (EndsWith(w, u"ing"))                     // 7
    add(First(w, L - 3) + u"e", WordEnding::kIng);
  else if (EndsWith(w, u"ies"))
    add(First(w, L - 3) + u"y", WordEnding::kPlural);
  else if (EndsWith(w, u"ied"))
    add(First(w, L - 3) + u"y", WordEnding::kPast);
  else if (EndsWith(w, u"ier"))
    add(First(w, L - 3) + u"y", WordEnding::kComparative);
  if (L >= 5 && EndsWith(w, u"ies'"))
    add(First(w, L - 4) + u"y", WordEnding::kPossessive);  // 8
  else if (L >= 5 && EndsWith(w, u"iers"))
    add(First(w, L - 4) + u"y", WordEnding::kAgent);
  if (L >= 6 && EndsWith(w, u"ed") && at(L - 2) == at(L - 3))
    add(First(w, L - 3), WordEnding::kPast);  // 9
  if (L >= 7 && EndsWith(w, u"ing") && at(L - 3) == at(L - 4))
    add(First(w, L - 4), WordEnding::kIng);  // 10
  if (L >= 7 && EndsWith(w, u"iest"))
    add(First(w, L - 4) + u"y", WordEnding::kComparative);  // 11
}

}  // namespace

StrList GetInflectedBaseForms(std::u16string_view w) {
  StrList c = NewStrList();
  c.reserve(12);  // element 0 and the word with its forms: one allocation for all
  ForEachInflectionCandidate(
      w, [&](std::u16string form, WordEnding) { c.push_back(std::move(form)); });
  return c;
}

std::optional<WordEnding> EndingBetween(std::u16string_view w, std::u16string_view head) {
  std::optional<WordEnding> ending;
  ForEachInflectionCandidate(w, [&](const std::u16string& form, WordEnding e) {
    if (!ending && e != WordEnding::kNone && form == head)
      ending = e;
  });
  if (ending)
    return ending;
  const StrList derived = GetSuffixBaseForms(w);
  for (size_t j = 1; j < derived.size(); ++j) {
    if (derived[j] == head)
      return w.ends_with(u"ly") ? WordEnding::kLy : WordEnding::kOtherSuffix;
  }
  return std::nullopt;
}

std::u16string_view NegativePrefixOf(std::u16string_view w) {
  for (const std::u16string_view prefix : {u"non", u"dis", u"un", u"in", u"im"}) {
    // What is left must be a word of its own: "unit" is no negated "it".
    if (w.starts_with(prefix) && w.size() >= prefix.size() + 4)
      return prefix;
  }
  return {};
}

void AddSuffixBaseForm(std::u16string_view w, std::u16string_view suffix, StrList& candidates) {
  if (EndsWith(w, suffix)) {
    candidates.push_back(First(w, static_cast<long>(w.size() - suffix.size())));
  }
}

StrList GetSuffixBaseForms(std::u16string_view w) {
  StrList c = NewStrList();
  c.reserve(7);
  for (const std::u16string_view suffix : {u"ly", u"al", u"ion", u"ism", u"ment", u"ness"}) {
    AddSuffixBaseForm(w, suffix, c);
  }
  return c;
}

std::vector<int> DicHitsOfWord(const StrList& dicWord, std::u16string_view w) {
  int near = 0;
  std::vector<int> hits;
  DicHitsOfWord(dicWord, w, near, hits);
  return hits;
}

void DicHitsOfWord(const StrList& dicWord, std::u16string_view w, int& near,
                   std::vector<int>& hits) {
  hits.clear();
  int idx = 0;
  // The word comes in lower case; lowering it again is only for a caller that forgot.
  const bool lower =
      std::none_of(w.begin(), w.end(), [](char16_t ch) { return ch >= u'A' && ch <= u'Z'; });
  const bool found = lower ? FindInSortedListNear(dicWord, w, near, idx)
                           : FindInSortedListNear(dicWord, LowerAscii(w), near, idx);
  if (found)
    hits.push_back(idx);

  // The forms it comes from share its first letters and stand near it in the dictionary.
  auto search = [&](std::u16string_view form) {
    int at = near;
    return FindInSortedListNear(dicWord, form, at, idx);
  };
  const StrList candidates = GetInflectedBaseForms(w);
  for (size_t j = 2; j < candidates.size(); ++j) {
    if (search(candidates[j]))
      hits.push_back(idx);
  }

  if (hits.empty()) {
    const StrList derived = GetSuffixBaseForms(w);
    for (size_t j = 1; j < derived.size(); ++j) {
      if (search(derived[j]))
        hits.push_back(idx);
    }
  }

  // A candidate equal to the seven-letter prefix was searched above and not found, so the
  // prefix search would only repeat it.
  if (hits.empty() && w.size() > 7) {
    const std::u16string_view prefix = w.substr(0, 7);
    if (IndexOfStr(candidates, prefix) == -1)
      SearchDicByPrefix(dicWord, candidates, prefix, hits);
  }
}

void NegatedWordHits(const StrList& dicWord, const StrList& dicMeaning, std::u16string_view w,
                     std::vector<int>& hits) {
  hits.clear();
  const std::u16string_view prefix = NegativePrefixOf(w);
  if (prefix.empty())
    return;
  const std::u16string_view rest = w.substr(prefix.size());
  constexpr ClassSet kDescribing = ClassBit(WordClass::kAdjective) | ClassBit(WordClass::kAdverb);
  for (const int idx : DicHitsOfWord(dicWord, rest)) {
    const std::u16string& head = dicWord[static_cast<size_t>(idx)];
    const ClassSet classes = ClassesOfMeanings(dicMeaning[static_cast<size_t>(idx)]);
    const std::optional<WordEnding> ending = EndingBetween(rest, head);
    // Entries that only share the first seven letters say nothing of this word.
    if (head != rest && !ending)
      continue;
    const bool participle = (ending == WordEnding::kIng || ending == WordEnding::kPast) &&
                            (classes & ClassBit(WordClass::kVerb)) != 0;
    if ((classes & kDescribing) != 0 || participle)
      hits.push_back(idx);
  }
}

std::vector<int> NegatedWordHits(const StrList& dicWord, const StrList& dicMeaning,
                                 std::u16string_view w) {
  std::vector<int> hits;
  NegatedWordHits(dicWord, dicMeaning, w, hits);
  return hits;
}

void LookUpMeanings(const Dictionary& dic, std::u16string_view typed, int& entryIdx,
                    std::u16string& word, StrList& meaning) {
  entryIdx = 0;
  word.clear();
  meaning = NewStrList();
  const StrList candidates = GetInflectedBaseForms(typed);
  for (size_t j = 1; j < candidates.size(); ++j) {
    int idx = 0;
    if (!FindInSortedList(dic.Words(), candidates[j], idx))
      continue;
    entryIdx = idx;
    word = candidates[j];
    ForEachPiece(dic.Meanings()[static_cast<size_t>(idx)], u'\t',
                 [&](std::u16string_view mn) { meaning.emplace_back(mn); });
    return;
  }
}

}  // namespace kelmoa
