// Load, write, load gives the same entries: the same head words with the same meanings (a
// reload sorts the meanings of a head word). Characters CP932 cannot hold, such as the
// replacement for a byte that started no character, are written as "?", so the expected
// entries are the loaded ones with that done to them. Head words stay unique and ascending,
// and a written dictionary is written back unchanged.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <vector>

#include "core/base/codepage.h"
#include "core/dictionary/dictionary.h"
#include "fuzz/fuzz_util.h"

namespace {

using Entries = std::map<std::u16string, std::vector<std::u16string>>;

std::u16string AsWritten(const std::u16string& s) {
  return kelmoa::SjisToUtf16(kelmoa::Utf16ToSjis(s));
}

Entries EntriesOf(const kelmoa::Dictionary& dic, bool asWritten) {
  Entries entries;
  for (int i = 1; i <= dic.Count(); ++i) {
    const std::u16string word = asWritten ? AsWritten(dic.Words()[i]) : dic.Words()[i];
    const std::u16string& joined = dic.Meanings()[i];
    size_t start = 0;
    for (;;) {
      const size_t tab = joined.find(u'\t', start);
      const std::u16string m =
          joined.substr(start, tab == std::u16string::npos ? tab : tab - start);
      entries[word].push_back(asWritten ? AsWritten(m) : m);
      if (tab == std::u16string::npos)
        break;
      start = tab + 1;
    }
  }
  for (auto& [word, meanings] : entries)
    std::sort(meanings.begin(), meanings.end());
  return entries;
}

kelmoa::Dictionary WriteAndLoad(const kelmoa::Dictionary& dic, const std::string& name) {
  const std::string path = kelmoa::fuzz::Scratch() + "/" + name;
  const std::u16string text = kelmoa::MakeDicFileLines(dic.Words(), dic.Meanings());
  if (!kelmoa::ReplaceFileAtomically(kelmoa::DefaultFileOps(), path, kelmoa::Utf16ToSjis(text))
           .ok()) {
    std::abort();
  }
  kelmoa::Dictionary loaded;
  if (!loaded.LoadDicFile(path).ok())
    std::abort();
  return loaded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = kelmoa::fuzz::WriteInput("dic.txt", data, size);
  kelmoa::Dictionary first;
  if (!first.LoadDicFile(path).ok())
    std::abort();
  const kelmoa::StrList& w = first.Words();
  for (size_t i = 2; i < w.size(); ++i) {
    if (!(w[i - 1] < w[i]))
      std::abort();
  }
  for (size_t i = 1; i < w.size(); ++i) {
    if (first.Meanings()[i].empty())
      std::abort();
  }
  const kelmoa::Dictionary second = WriteAndLoad(first, "second.txt");
  if (EntriesOf(second, false) != EntriesOf(first, true))
    std::abort();
  const kelmoa::Dictionary third = WriteAndLoad(second, "third.txt");
  if (third.Words() != second.Words() || third.Meanings() != second.Meanings())
    std::abort();
  return 0;
}
