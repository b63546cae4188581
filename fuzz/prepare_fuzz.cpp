// Preparing any bytes: a text that is prepared comes out within the reader's limits in every
// part, and a part the detector names Shift_JIS or ASCII prepares to itself.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/base/char_code.h"
#include "core/base/codepage.h"
#include "core/base/str_list.h"
#include "core/text/prepare_text.h"
#include "core/text/text_reader.h"

namespace {

kelmoa::TextPreparer& Preparer() {
  static const std::unique_ptr<kelmoa::TextPreparer> preparer = [] {
    std::unique_ptr<kelmoa::TextPreparer> p;
    if (!kelmoa::TextPreparer::Create(p).ok())
      std::abort();
    return p;
  }();
  return *preparer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  // The first byte picks the width.
  const int width = kelmoa::kMinPrepareWidth +
                    data[0] % (kelmoa::kMaxPrepareWidth - kelmoa::kMinPrepareWidth + 1);
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const kelmoa::PreparedText p = Preparer().Prepare(bytes, width);
  const bool refused = p.outcome == kelmoa::PrepareOutcome::kUnknownCode;
  if (refused != !kelmoa::CanPrepareCode(p.code) ||
      (p.outcome != kelmoa::PrepareOutcome::kPrepared && !p.parts.empty()))
    std::abort();
  for (const std::string& part : p.parts) {
    kelmoa::StrList lines;
    if (kelmoa::DecodeText(part, lines).broken())
      std::abort();
    for (size_t i = 1; i < lines.size(); ++i) {
      if (kelmoa::GetSjisByteLen(lines[i]) > width)
        std::abort();
    }
    // Half-width katakana alone can look like UTF-8, to the detector or as a UTF-8 text with
    // a few bad bytes.
    if (!kelmoa::IsSjisCompatible(kelmoa::DetectCharCode(part)) ||
        kelmoa::LooksLikeDamagedUtf8(part))
      continue;
    const kelmoa::PreparedText again = Preparer().Prepare(part, width);
    if (again.parts.size() != 1 || again.parts[0] != part)
      std::abort();
  }
  return 0;
}
