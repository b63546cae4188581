// The 1-based string list the text and the dictionary are kept in, with its searches and files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/base/file_ops.h"
#include "core/base/status.h"

namespace kelmoa {

// A list of strings whose data lies in elements 1..n. Element 0 exists and is not data (the
// dictionary keeps an empty string there); n = 0 means an empty list. Order and equality are
// by UTF-16 code unit, case-sensitive, a proper prefix sorting first.
using StrList = std::vector<std::u16string>;

// A list with element 0 only.
inline StrList NewStrList() {
  return StrList(1);
}

// The upper bound n of a list (0 for an empty list).
inline int UpperBound(const StrList& list) {
  return list.empty() ? 0 : static_cast<int>(list.size()) - 1;
}

// Sorts elements 0..n in place, ascending. Element 0, the empty string, stays first.
void SortList(StrList& list);

// Exact search among elements 1..n of an ascending list: true with idx the key's position,
// or false with idx 0.
bool FindInSortedList(const StrList& list, std::u16string_view key, int& idx);

// The same search begun at position near, where the key is expected to lie: it costs little
// when the key is close to near, and any near (0 for none) gives the same result. On return
// near is the key's place in the list, where it stands or would be inserted (at most n), so
// that searching keys in ascending order steps through the list.
bool FindInSortedListNear(const StrList& list, std::u16string_view key, int& near, int& idx);

// Appends to positions, lowest first, the positions of at most three elements of an ascending
// list whose first Len(key) characters equal key and that are not in exclusion (IndexOfStr =
// -1). Returns true when it found any.
bool SearchDicByPrefix(const StrList& list, const StrList& exclusion, std::u16string_view key,
                       std::vector<int>& positions);

// The first position 0..n whose element equals s, or -1.
int IndexOfStr(const StrList& list, std::u16string_view s);

// Replaces the file with elements 1..n, each followed by CR LF, in CP932. The file is
// replaced atomically: it holds either its old content or all of the new lines.
Status WriteLinesToFile(const StrList& list, const std::string& path,
                        FileOps& fs = DefaultFileOps());

// Splits decoded file text into lines: a line ends at CR LF, a lone CR or a lone LF; the break
// is not part of the line; a last line without a break counts.
// Returns a list with the lines in elements 1..n.
StrList SplitTextLines(std::u16string_view text);

}  // namespace kelmoa
