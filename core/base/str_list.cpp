// The 1-based string list: sorting, searching, reading and writing as CP932 lines.
#include "core/base/str_list.h"

#include <algorithm>

#include "core/base/codepage.h"

namespace kelmoa {

void SortList(StrList& list) {
  // Equal strings are indistinguishable, so any correct sort gives the one ascending list.
  std::sort(list.begin(), list.end());
}

namespace {

using Pos = StrList::const_iterator;

bool Before(const std::u16string& e, std::u16string_view k) {
  return e < k;
}

// The first of elements 1..n not before key, found by widening the range from position near
// in steps of 1, 2, 4, ... before halving it: the steps stay among the elements between near
// and the key, which lie close together in memory when the two are near. Any near is right.
Pos LowerBoundNear(const StrList& list, std::u16string_view key, int near) {
  const Pos first = list.begin() + 1;
  const Pos last = list.end();
  if (near < 1 || near >= static_cast<int>(list.size()))
    return std::lower_bound(first, last, key, Before);
  const Pos at = list.begin() + near;
  Pos lo = first;
  Pos hi = last;
  if (*at < key) {
    // Everything before lo is before key.
    lo = at + 1;
    for (std::ptrdiff_t step = 1;; step *= 2) {
      if (last - lo < step)
        break;
      const Pos probe = lo + (step - 1);
      if (!(*probe < key)) {
        hi = probe;
        break;
      }
      lo = probe + 1;
    }
  } else {
    // Nothing from hi on is before key.
    hi = at;
    for (std::ptrdiff_t step = 1;; step *= 2) {
      if (hi - first < step)
        break;
      const Pos probe = hi - step;
      if (*probe < key) {
        lo = probe + 1;
        break;
      }
      hi = probe;
    }
  }
  return std::lower_bound(lo, hi, key, Before);
}

}  // namespace

bool FindInSortedList(const StrList& list, std::u16string_view key, int& idx) {
  int near = 0;
  return FindInSortedListNear(list, key, near, idx);
}

bool FindInSortedListNear(const StrList& list, std::u16string_view key, int& near, int& idx) {
  idx = 0;
  if (list.size() < 2)
    return false;
  const Pos it = LowerBoundNear(list, key, near);
  near =
      static_cast<int>(std::min(it - list.begin(), static_cast<std::ptrdiff_t>(list.size()) - 1));
  if (it == list.end() || *it != key)
    return false;
  idx = static_cast<int>(it - list.begin());
  return true;
}

bool SearchDicByPrefix(const StrList& list, const StrList& exclusion, std::u16string_view key,
                       std::vector<int>& positions) {
  if (list.size() < 2)
    return false;
  // Every element whose prefix equals key is >= key, and they form one run starting at the
  // first element >= key.
  auto it = std::lower_bound(list.begin() + 1, list.end(), key, Before);
  int count = 0;
  for (; it != list.end() && count < 3; ++it) {
    if (std::u16string_view(*it).substr(0, key.size()) != key)
      break;
    if (IndexOfStr(exclusion, *it) != -1)
      continue;
    positions.push_back(static_cast<int>(it - list.begin()));
    ++count;
  }
  return count > 0;
}

int IndexOfStr(const StrList& list, std::u16string_view s) {
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i] == s)
      return static_cast<int>(i);
  }
  return -1;
}

Status WriteLinesToFile(const StrList& list, const std::string& path, FileOps& fs) {
  std::u16string text;
  for (size_t i = 1; i < list.size(); ++i) {
    text += list[i];
    text += u"\r\n";
  }
  return ReplaceFileAtomically(fs, path, Utf16ToSjis(text));
}

StrList SplitTextLines(std::u16string_view text) {
  StrList lines = NewStrList();
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == u'\r' && start < text.size() && text[start] == u'\n')
      ++start;
  }
  return lines;
}

}  // namespace kelmoa
