#include "common/str_list.h"

#include <algorithm>

#include "common/codepage.h"

namespace kelmoa {

void SortStrAry(StrList& list) {
  // Equal strings are indistinguishable, so any correct sort gives the one ascending list.
  std::sort(list.begin(), list.end());
}

bool BinSearchStrAry(const StrList& list, std::u16string_view key, int& oIdx) {
  oIdx = 0;
  if (list.size() < 2) return false;
  const auto first = list.begin() + 1;
  const auto it = std::lower_bound(first, list.end(), key,
                                   [](const std::u16string& e, std::u16string_view k) { return e < k; });
  if (it == list.end() || *it != key) return false;
  oIdx = static_cast<int>(it - list.begin());
  return true;
}

bool SearchDicByPrefix(const StrList& list, const StrList& exclusion, std::u16string_view key,
                       std::u16string& oIdxList) {
  oIdxList.clear();
  if (list.size() < 2) return false;
  // Every element whose prefix equals key is >= key, and they form one run starting at the
  // first element >= key.
  auto it = std::lower_bound(list.begin() + 1, list.end(), key,
                             [](const std::u16string& e, std::u16string_view k) { return e < k; });
  int count = 0;
  for (; it != list.end() && count < 3; ++it) {
    if (std::u16string_view(*it).substr(0, key.size()) != key) break;
    if (IndexOfStr(exclusion, *it) != -1) continue;
    if (count > 0) oIdxList += u',';
    const std::string idx = std::to_string(it - list.begin());
    oIdxList.append(idx.begin(), idx.end());
    ++count;
  }
  return count > 0;
}

int IndexOfStr(const StrList& list, std::u16string_view s) {
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i] == s) return static_cast<int>(i);
  }
  return -1;
}

Status WriteStrAryToFile(const StrList& list, const std::string& path, FileOps& fs) {
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
    const size_t cr = text.find(u'\r', start);
    if (cr == std::u16string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, cr - start));
    start = cr + 1;
    if (start < text.size() && text[start] == u'\n') ++start;
  }
  return lines;
}

}  // namespace kelmoa
