// Load, write, load gives the same head words with the same meanings (a reload sorts a head
// word's meanings), what CP932 cannot hold written as "?". Head words stay unique and ascending,
// and a written dictionary is written back unchanged.
#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "core/dictionary/dictionary.h"
#include "fuzz/fuzz_util.h"

using namespace kelmoa;
using fuzz::Require;

namespace {

using Entries = std::map<std::u16string, std::vector<std::u16string>>;

std::u16string AsWritten(std::u16string_view s, bool asWritten) {
  return asWritten ? SjisToUtf16(Utf16ToSjis(s)) : std::u16string(s);
}

Entries EntriesOf(const Dictionary& dic, bool asWritten) {
  Entries entries;
  for (int i = 1; i <= dic.Count(); ++i) {
    for (const std::u16string_view m : SplitAt(dic.Meanings()[i], u'\t'))
      entries[AsWritten(dic.Words()[i], asWritten)].push_back(AsWritten(m, asWritten));
  }
  for (auto& [word, meanings] : entries)
    std::sort(meanings.begin(), meanings.end());
  return entries;
}

Dictionary WriteAndLoad(const Dictionary& dic, const std::string& name) {
  const std::string path = fuzz::Scratch() + "/" + name;
  const std::u16string text = MakeDicFileLines(dic.Words(), dic.Meanings());
  Require(ReplaceFileAtomically(DefaultFileOps(), path, Utf16ToSjis(text)).ok());
  Dictionary loaded;
  Require(loaded.LoadDicFile(path).ok());
  return loaded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Dictionary first;
  Require(first.LoadDicFile(fuzz::WriteInput("dic.txt", data, size)).ok());
  const StrList& w = first.Words();
  for (size_t i = 1; i < w.size(); ++i)
    Require((i == 1 || w[i - 1] < w[i]) && !first.Meanings()[i].empty());
  const Dictionary second = WriteAndLoad(first, "second.txt");
  Require(EntriesOf(second, false) == EntriesOf(first, true));
  const Dictionary third = WriteAndLoad(second, "third.txt");
  Require(third.Words() == second.Words() && third.Meanings() == second.Meanings());
  return 0;
}
