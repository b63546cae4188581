// Any file is read or rejected under the limits; accepted lines keep to them. Read whole or
// piece by piece, it gives the same lines or the same breach of the limits.
#include <cstdint>
#include <cstdlib>

#include "core/base/codepage.h"
#include "core/text/text_reader.h"
#include "fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = kelmoa::fuzz::WriteInput("text.txt", data, size);
  kelmoa::StrList lines;
  kelmoa::Status status;
  const kelmoa::TextLimitBreach breach = kelmoa::ReadTextLines(path, lines, status);
  if (!status.ok())
    std::abort();
  kelmoa::StrList pieces;
  if (kelmoa::StreamText(path, pieces, status) != breach || pieces != lines)
    std::abort();
  if (breach.broken()) {
    if (kelmoa::UpperBound(lines) != 0)
      std::abort();
    return 0;
  }
  if (kelmoa::UpperBound(lines) > kelmoa::kMaxLines)
    std::abort();
  for (size_t i = 1; i < lines.size(); ++i) {
    if (kelmoa::GetSjisByteLen(lines[i]) > kelmoa::kMaxLineBytes)
      std::abort();
    if (lines[i].find_first_of(u"\r\n") != std::u16string::npos)
      std::abort();
  }
  return 0;
}
