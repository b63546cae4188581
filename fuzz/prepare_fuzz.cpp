// Preparing any bytes: a text that is prepared comes out within the reader's limits in every
// part, and a part the detector names Shift_JIS or ASCII prepares to itself.
#include <cstdint>
#include <memory>
#include <string>

#include "core/base/char_code.h"
#include "core/base/codepage.h"
#include "core/base/str_list.h"
#include "core/text/prepare_text.h"
#include "core/text/text_reader.h"
#include "fuzz/fuzz_util.h"

using namespace kelmoa;
using fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::unique_ptr<TextPreparer> preparer;
  if (!preparer)
    Require(TextPreparer::Create(preparer).ok());
  if (size == 0)
    return 0;
  // The first byte picks the width.
  const int width = kMinPrepareWidth + data[0] % (kMaxPrepareWidth - kMinPrepareWidth + 1);
  const PreparedText p = preparer->Prepare(fuzz::Bytes(data + 1, size - 1), width);
  Require((p.outcome == PrepareOutcome::kUnknownCode) == !CanPrepareCode(p.code));
  Require(p.outcome == PrepareOutcome::kPrepared || p.parts.empty());
  for (const std::string& part : p.parts) {
    StrList lines;
    Require(!DecodeText(part, lines).broken());
    for (size_t i = 1; i < lines.size(); ++i)
      Require(GetSjisByteLen(lines[i]) <= width);
    // Half-width katakana alone can look like UTF-8, to the detector or as a UTF-8 text with
    // a few bad bytes.
    if (!IsSjisCompatible(DetectCharCode(part)) || LooksLikeDamagedUtf8(part))
      continue;
    const PreparedText again = preparer->Prepare(part, width);
    Require(again.parts.size() == 1 && again.parts[0] == part);
  }
  return 0;
}
