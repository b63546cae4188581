// The streamed character-code result must equal the whole-buffer result, however the bytes
// are cut into pieces. The first byte chooses the piece size.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cstdlib>
#include <string>

#include "common/char_code.h"
#include "common/char_code_reference_test.h"

namespace {

// The file handed out in pieces of at most `piece` bytes.
class PieceSource : public kelmoa::ByteSource {
 public:
  PieceSource(std::string_view bytes, size_t piece) : mBytes(bytes), mPiece(piece) {}
  size_t ReadAt(int64_t offset, uint8_t* buf, size_t n) override {
    if (offset >= static_cast<int64_t>(mBytes.size())) return 0;
    const size_t got = std::min({n, mPiece, mBytes.size() - static_cast<size_t>(offset)});
    std::memcpy(buf, mBytes.data() + offset, got);
    return got;
  }

 private:
  std::string_view mBytes;
  size_t mPiece;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = 1 + data[0] % 8;
  const std::string file(reinterpret_cast<const char*>(data + 1), size - 1);
  const int expected = kelmoa::testing::DetectWholeBuffer(file);
  PieceSource source(file, piece);
  if (kelmoa::DetectCharCode(source, piece) != expected) std::abort();
  if (kelmoa::DetectCharCode(file) != expected) std::abort();
  return 0;
}
