// Word splitting and lookup on any line: words are English words in the line, and every index
// of a word's list names an entry of the dictionary.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "core/dictionary/lookup.h"
#include "core/text/layout.h"

namespace {

const kelmoa::StrList& Heads() {
  static const kelmoa::StrList heads = [] {
    kelmoa::StrList h = kelmoa::NewStrList();
    for (const char16_t* w :
         {u"Tokyo", u"a", u"act", u"carry", u"dog", u"easy", u"happy", u"interest", u"internal",
          u"international", u"kind", u"run", u"stop", u"study", u"the"}) {
      h.emplace_back(w);
    }
    return h;
  }();
  return heads;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::u16string line =
      kelmoa::SjisToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
  kelmoa::StrList words;
  std::vector<int> cols;
  kelmoa::GetWordsInLine(line, words, cols);
  for (size_t j = 1; j < words.size(); ++j) {
    const std::u16string& w = words[j];
    const int c = cols[j];
    if (c < 1 || line.compare(static_cast<size_t>(c - 1), w.size(), w) != 0)
      std::abort();
    if (!kelmoa::IsEnglishWord(w))
      std::abort();
    for (const int idx : kelmoa::DicHitsOfWord(Heads(), kelmoa::LowerAscii(w))) {
      if (idx < 1 || idx > kelmoa::UpperBound(Heads()))
        std::abort();
    }
  }
  return 0;
}
