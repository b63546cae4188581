// The streamed character-code result must equal the whole-buffer result, however the bytes
// are cut into pieces. The first byte chooses the piece size.
#include <cstdint>
#include <string>

#include "core/base/char_code.h"
#include "core/base/char_code_reference_test.h"
#include "fuzz/fuzz_util.h"

using namespace kelmoa;
using fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  const size_t piece = 1 + data[0] % 8;
  const std::string file(fuzz::Bytes(data + 1, size - 1));
  const CharCode expected = testing::DetectWholeBuffer(file);
  testing::PieceSource source(file, piece);
  Require(DetectCharCode(source, piece) == expected);
  Require(DetectCharCode(file) == expected);
  return 0;
}
