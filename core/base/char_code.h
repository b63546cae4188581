// Character-code detection: which of the known codes a text file is written in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/status.h"

namespace kelmoa {

// The ten character codes a file can be named with. kNone: 8-bit data that fits none of them.
enum class CharCode : int {
  kNone = 0,
  kAscii = 1,
  kSjis = 2,
  kEuc = 3,
  kJis = 4,
  kUtf16Le = 5,
  kUtf16Be = 6,
  kUtf8 = 7,
  kUtf8Bom = 8,
  kUtf7 = 9,
};

// The name a person reads for a code, in messages and in kelmoa-tool's output: "NONE",
// "ASCII", "SJIS", "EUC", "JIS", "UTF16_LE", "UTF16_BE", "UTF8", "UTF8_BOM", "UTF7"; an empty
// string for a value outside the enum.
std::string GetCharCodeName(CharCode code);

// True for the codes a file can be read as CP932 in: plain ASCII and Shift_JIS.
inline bool IsSjisCompatible(CharCode code) {
  return code == CharCode::kAscii || code == CharCode::kSjis;
}

// Where the detector reads its bytes: random access by offset, so that it can stream a file of
// any size in small pieces while its UTF-7 candidate reads at a position of its own.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to n bytes at offset into buf; returns how many (0 at the end of the data).
  virtual size_t ReadAt(int64_t offset, uint8_t* buf, size_t n) = 0;
};

// Names the character code of the bytes of a source. Four candidate decoders (UTF-8,
// Shift_JIS, EUC-JP and, while the data is 7-bit, UTF-7) run side by side, each ruled out at
// its first malformed sequence; ISO-2022-JP escapes and byte-order marks decide at once. It
// reads the source in pieces of pieceSize bytes through two cursors and keeps nothing else, so
// a file of any size is judged with bounded memory, and it stops reading as soon as the
// result is decided. The result does not depend on pieceSize.
CharCode DetectCharCode(ByteSource& source, size_t pieceSize = 1 << 16);

// The code of bytes held in memory.
CharCode DetectCharCode(std::string_view bytes);

// Detects the character code of a file. A file that cannot be opened or read, or that is no
// plain file (a folder, a pipe), is an error and leaves code kNone.
Status GetFileCharCode(const std::string& path, CharCode& code);

}  // namespace kelmoa
