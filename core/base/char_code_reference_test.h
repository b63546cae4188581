// The detector's algorithm transcribed over a whole buffer, as the reference that the
// streaming detector is checked against (by the tests and the fuzzer).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/char_code.h"

namespace kelmoa::testing {

// Bytes in memory handed out at most `piece` at a time, however much is asked for.
class PieceSource : public ByteSource {
 public:
  PieceSource(std::string_view bytes, size_t piece) : mBytes(bytes), mPiece(piece) {}
  size_t ReadAt(int64_t offset, uint8_t* buf, size_t n) override {
    if (offset >= static_cast<int64_t>(mBytes.size()))
      return 0;
    const size_t got = std::min({n, mPiece, mBytes.size() - static_cast<size_t>(offset)});
    std::memcpy(buf, mBytes.data() + offset, got);
    return got;
  }

 private:
  std::string_view mBytes;
  size_t mPiece;
};

// The whole file held in memory with the added zero byte, step by step.
inline CharCode DetectWholeBuffer(const std::string& file) {
  std::vector<uint8_t> b(file.begin(), file.end());
  b.push_back(0);
  b.resize(b.size() + 8, 0);  // never read by a correct step; keeps a faulty one in bounds
  const long E = static_cast<long>(file.size());
  auto in = [](uint8_t x, int lo, int hi) { return x >= lo && x <= hi; };
  if (E > 1) {
    if ((b[0] == 0xFE || b[0] == 0xFF) && (b[1] == 0xFE || b[1] == 0xFF)) {
      return b[0] == 0xFE && b[1] == 0xFF ? CharCode::kUtf16Be : CharCode::kUtf16Le;
    }
    if (b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
      return CharCode::kUtf8Bom;
  }
  long ascii = 1, alive = 3, u = 0, s = 0, e = 0, j = 0;
  long u8 = 0, sj = 0, eu = 0, u7len = 0, b64 = 0;
  auto isB64 = [&](uint8_t x) {
    return in(x, 'A', 'Z') || in(x, 'a', 'z') || in(x, '0', '9') || x == '+' || x == '/';
  };
  for (long l = 0; l <= E; ++l) {
    bool goB = false;
    if (ascii == 1) {
      if (b[l] >= 0x80) {
        ascii = 0;
        goB = true;
      } else if (b[l] == 0x1B) {
        if (l + 2 < E &&
            ((b[l + 1] == '(' && (b[l + 2] == 'B' || b[l + 2] == 'J' || b[l + 2] == 'I')) ||
             (b[l + 1] == '$' && (b[l + 2] == 'B' || b[l + 2] == '@' || b[l + 2] == '(')))) {
          return CharCode::kJis;
        }
        goB = true;
      }
      if (!goB && j >= 0 && j <= l) {
        if (b[j++] == '+') {
          while (j < E && isB64(b[j])) {
            ++b64;
            ++j;
          }
          if (j < E) {
            if (b[j] == '-' && (6 * b64) % 16 <= 5) {
              if (u7len > 0)
                return CharCode::kUtf7;
              j = j + 1;
              u7len = j - l;
            } else {
              j = -1;
            }
          }
        }
      }
    }
    if (u >= 0 && u <= l) {
      const uint8_t x = b[u];
      if (x <= 0x7F)
        u += 1;
      else if (in(x, 0xC2, 0xDF) && u + 1 < E && in(b[u + 1], 0x80, 0xBF))
        u += 2, u8 += 2;
      else if (x == 0xE0 && u + 2 < E && in(b[u + 1], 0xA0, 0xBF) && in(b[u + 2], 0x80, 0xBF))
        u += 3, u8 += 3;
      else if (in(x, 0xE1, 0xEF) && u + 2 < E && in(b[u + 1], 0x80, 0xBF) &&
               in(b[u + 2], 0x80, 0xBF))
        u += 3, u8 += 3;
      else if (x == 0xF0 && u + 3 < E && in(b[u + 1], 0x90, 0xBF) && in(b[u + 2], 0x80, 0xBF) &&
               in(b[u + 3], 0x80, 0xBF))
        u += 4, u8 += 4;
      else if (in(x, 0xF1, 0xF3) && u + 3 < E && in(b[u + 1], 0x80, 0xBF) &&
               in(b[u + 2], 0x80, 0xBF) && in(b[u + 3], 0x80, 0xBF))
        u += 4, u8 += 4;
      else if (x == 0xF4 && u + 3 < E && in(b[u + 1], 0x80, 0x8F) && in(b[u + 2], 0x80, 0xBF) &&
               in(b[u + 3], 0x80, 0xBF))
        u += 4, u8 += 4;
      else
        u = -1, --alive;
    }
    if (s >= 0 && s <= l) {
      const uint8_t x = b[s];
      if (in(x, 0x81, 0x9F) || in(x, 0xE0, 0xFC)) {
        if (s + 1 < E && (in(b[s + 1], 0x40, 0x7E) || in(b[s + 1], 0x80, 0xFC)))
          s += 2, sj += 2;
        else
          s = -1, --alive;
      } else {
        s += 1;  // ASCII, 0x80, half-width katakana, and 0xFD-0xFF as single bytes
      }
    }
    if (e >= 0 && e <= l) {
      const uint8_t x = b[e];
      if (x <= 0x7F)
        e += 1;
      else if (x == 0x8E && e + 1 < E && in(b[e + 1], 0xA1, 0xDF))
        e += 2, eu += 2;
      else if (x == 0x8F && e + 2 < E && in(b[e + 1], 0xA1, 0xFE) && in(b[e + 2], 0xA1, 0xFE))
        e += 3, eu += 3;
      else if (in(x, 0xA1, 0xFF) && e + 1 < E && in(b[e + 1], 0xA1, 0xFE))
        e += 2, eu += 2;
      else
        e = -1, --alive;
    }
    if (ascii == 0 && alive <= 1) {
      if (u >= 0)
        return CharCode::kUtf8;
      if (s >= 0)
        return CharCode::kSjis;
      if (e >= 0)
        return CharCode::kEuc;
      CharCode r = CharCode::kNone;
      if (u7len > 0)
        r = CharCode::kUtf7;
      if (u8 > u7len)
        r = CharCode::kUtf8;
      if (sj > u8 && sj > u7len)
        r = CharCode::kSjis;
      if (eu > sj && eu > u8 && eu > u7len)
        r = CharCode::kEuc;
      return r;
    }
  }
  if (ascii == 1 && j >= 0 && u7len > 0)
    return CharCode::kUtf7;
  if (u >= 0 && u8 > 0)
    return CharCode::kUtf8;
  if (s >= 0 && sj > u8)
    return CharCode::kSjis;
  if (e >= 0 && eu > sj && eu > u8)
    return CharCode::kEuc;
  return ascii == 1 ? CharCode::kAscii : CharCode::kNone;
}

}  // namespace kelmoa::testing
