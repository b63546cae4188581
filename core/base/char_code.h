// Character-code detection: which of the known codes a text file is written in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/status.h"

namespace kelmoa {

// The ten character codes a file can be named with, by code number.
enum CharCode : int {
  kCodeNone = 0,
  kCodeAscii = 1,
  kCodeSjis = 2,
  kCodeEuc = 3,
  kCodeJis = 4,
  kCodeUtf16Le = 5,
  kCodeUtf16Be = 6,
  kCodeUtf8 = 7,
  kCodeUtf8Bom = 8,
  kCodeUtf7 = 9,
};

// "NONE", "ASCII", "SJIS", "EUC", "JIS", "UTF16_LE", "UTF16_BE", "UTF8", "UTF8_BOM", "UTF7";
// an empty string for any other number.
std::string GetCharCodeName(int code);

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
int DetectCharCode(ByteSource& source, size_t pieceSize = 1 << 16);

// The code number of bytes held in memory.
int DetectCharCode(std::string_view bytes);

// Names the character code of a file. A file that cannot be opened or read, or that is no
// plain file (a folder, a pipe), is an error and gets no name.
Status GetFileCharCode(const std::string& path, std::string& name);

}  // namespace kelmoa
