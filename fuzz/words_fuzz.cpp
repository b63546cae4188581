// Word splitting and lookup on any line: words are English words in the line, and every index
// of a word's list names an entry of the dictionary.
#include <cstdint>
#include <string>

#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "core/dictionary/lookup.h"
#include "core/text/layout.h"
#include "fuzz/fuzz_util.h"

using namespace kelmoa;
using fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A sorted dictionary; entry 0 stays empty, as in every StrList.
  static const StrList heads{u"",     u"Tokyo", u"a",        u"act",      u"carry",         u"dog",
                             u"easy", u"happy", u"interest", u"internal", u"international", u"kind",
                             u"run",  u"stop",  u"study",    u"the"};
  const std::u16string line = SjisToUtf16(fuzz::Bytes(data, size));
  StrList words;
  std::vector<int> cols;
  GetWordsInLine(line, words, cols);
  for (size_t j = 1; j < words.size(); ++j) {
    const std::u16string& w = words[j];
    Require(cols[j] >= 1 && line.compare(static_cast<size_t>(cols[j] - 1), w.size(), w) == 0);
    Require(IsEnglishWord(w));
    for (const int idx : DicHitsOfWord(heads, LowerAscii(w)))
      Require(idx >= 1 && idx <= UpperBound(heads));
  }
  return 0;
}
