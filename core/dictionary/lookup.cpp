// Word lookup: a word and the forms it may be inflected from, searched in the dictionary.
#include "core/dictionary/lookup.h"

#include <algorithm>

#include "core/base/helpers.h"

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

void AppendIndex(std::u16string& list, int idx) {
  if (!list.empty())
    list += u',';
  const std::string s = std::to_string(idx);
  list.append(s.begin(), s.end());
}

}  // namespace

StrList GetInflectedBaseForms(std::u16string_view w) {
  const long L = static_cast<long>(w.size());
  // Character at 1-based position p.
  auto at = [&](long p) { return w[static_cast<size_t>(p - 1)]; };
  StrList c = NewStrList();
  c.reserve(12);      // element 0 and the word with its forms: one allocation for all
  c.emplace_back(w);  // 1
  if (EndsWithAny(w, {u"s", u"d", u"r"}))
    c.push_back(First(w, L - 1));  // 2
  if (EndsWithAny(w, {u"es", u"ed", u"'s", u"st", u"s'"}))
    c.push_back(First(w, L - 2));  // 3
  if (EndsWith(w, u"er") && w.find(u"career") == std::u16string_view::npos &&
      w.find(u"bother") == std::u16string_view::npos) {
    c.push_back(First(w, L - 2));  // 4
  }
  if (EndsWithAny(w, {u"ing", u"est", u"ers"}))
    c.push_back(First(w, L - 3));  // 5
  if (L >= 5 && EndsWith(w, u"ers'"))
    c.push_back(First(w, L - 4));  // 6
  if (EndsWith(w, u"ing")) {       // 7
    c.push_back(First(w, L - 3) + u"e");
  } else if (EndsWithAny(w, {u"ies", u"ied", u"ier"})) {
    c.push_back(First(w, L - 3) + u"y");
  }
  if (L >= 5 && EndsWithAny(w, {u"ies'", u"iers"}))
    c.push_back(First(w, L - 4) + u"y");  // 8
  if (L >= 6 && EndsWith(w, u"ed") && at(L - 2) == at(L - 3))
    c.push_back(First(w, L - 3));  // 9
  if (L >= 7 && EndsWith(w, u"ing") && at(L - 3) == at(L - 4)) {
    c.push_back(First(w, L - 4));  // 10
  }
  if (L >= 7 && EndsWith(w, u"iest"))
    c.push_back(First(w, L - 4) + u"y");  // 11
  return c;
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

std::u16string GetDicIdxListOfWord(const StrList& dicWord, std::u16string_view w) {
  int near = 0;
  return GetDicIdxListOfWord(dicWord, w, near);
}

std::u16string GetDicIdxListOfWord(const StrList& dicWord, std::u16string_view w, int& near) {
  std::u16string list;
  int idx = 0;
  // The word comes in lower case; lowering it again is only for a caller that forgot.
  const bool lower =
      std::none_of(w.begin(), w.end(), [](char16_t ch) { return ch >= u'A' && ch <= u'Z'; });
  const bool found = lower ? FindInSortedListNear(dicWord, w, near, idx)
                           : FindInSortedListNear(dicWord, LowerAscii(w), near, idx);
  if (found)
    AppendIndex(list, idx);

  // The forms it comes from share its first letters and stand near it in the dictionary.
  auto search = [&](std::u16string_view form) {
    int at = near;
    return FindInSortedListNear(dicWord, form, at, idx);
  };
  const StrList candidates = GetInflectedBaseForms(w);
  for (size_t j = 2; j < candidates.size(); ++j) {
    if (search(candidates[j]))
      AppendIndex(list, idx);
  }

  if (list.empty()) {
    const StrList derived = GetSuffixBaseForms(w);
    for (size_t j = 1; j < derived.size(); ++j) {
      if (search(derived[j]))
        AppendIndex(list, idx);
    }
  }

  // A candidate equal to the seven-letter prefix was searched above and not found, so the
  // prefix search would only repeat it.
  if (list.empty() && w.size() > 7) {
    const std::u16string_view prefix = w.substr(0, 7);
    std::u16string found;
    if (IndexOfStr(candidates, prefix) == -1 &&
        SearchDicByPrefix(dicWord, candidates, prefix, found)) {
      list = std::move(found);
    }
  }
  return list;
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
