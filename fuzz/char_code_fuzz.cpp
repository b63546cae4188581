// The streamed character-code result must equal the whole-buffer result, however the bytes
// are cut into pieces. The first byte chooses the piece size.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/base/char_code.h"
#include "core/base/char_code_reference_test.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  const size_t piece = 1 + data[0] % 8;
  const std::string file(reinterpret_cast<const char*>(data + 1), size - 1);
  const kelmoa::CharCode expected = kelmoa::testing::DetectWholeBuffer(file);
  kelmoa::testing::PieceSource source(file, piece);
  if (kelmoa::DetectCharCode(source, piece) != expected)
    std::abort();
  if (kelmoa::DetectCharCode(file) != expected)
    std::abort();
  return 0;
}
