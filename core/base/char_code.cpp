// Character-code detection: names the code a text file is written in, read whole or streamed.
#include "core/base/char_code.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/base/file_ops.h"

namespace kelmoa {

std::string GetCharCodeName(CharCode code) {
  static constexpr const char* kNames[] = {"NONE",     "ASCII",    "SJIS", "EUC",      "JIS",
                                           "UTF16_LE", "UTF16_BE", "UTF8", "UTF8_BOM", "UTF7"};
  const auto index = static_cast<size_t>(code);
  if (index >= std::size(kNames))
    return {};
  return kNames[index];
}

namespace {

bool In(uint8_t b, uint8_t lo, uint8_t hi) {
  return b >= lo && b <= hi;
}

bool IsBase64(uint8_t b) {
  return In(b, 'A', 'Z') || In(b, 'a', 'z') || In(b, '0', '9') || b == '+' || b == '/';
}

// Reads a source forward through a window of one piece. Bytes before the last position asked
// for may be dropped; nothing is read twice by one cursor. Bytes already in memory are read
// where they are, as one window.
class Cursor {
 public:
  Cursor(ByteSource& source, size_t pieceSize) : mSource(&source), mPiece(pieceSize) {}
  explicit Cursor(std::string_view bytes)
      : mData(reinterpret_cast<const uint8_t*>(bytes.data())), mSize(bytes.size()), mEnd(true) {}

  // True when byte i exists. i must not lie before the window.
  bool Has(int64_t i) {
    while (i >= mBase + static_cast<int64_t>(mSize) && !mEnd)
      Fill(i);
    return i < mBase + static_cast<int64_t>(mSize);
  }
  // Byte i, or 0 past the end of the data (the added zero byte and beyond).
  uint8_t At(int64_t i) { return Has(i) ? mData[static_cast<size_t>(i - mBase)] : 0; }

  // The bytes from i to the end of what is read so far (reading a piece when there are none);
  // n is 0 at the end of the data.
  const uint8_t* Span(int64_t i, size_t& n) {
    if (!Has(i)) {
      n = 0;
      return nullptr;
    }
    n = static_cast<size_t>(mBase + static_cast<int64_t>(mSize) - i);
    return mData + (i - mBase);
  }

 private:
  // Drops what lies before `from` (which the caller no longer needs) and reads one more piece.
  // A window far behind `from` moves up to it without reading what lies between: a cursor that
  // only looks now and then (the UTF-7 one, in plain text) reads a piece where it looks.
  void Fill(int64_t from) {
    int64_t end = mBase + static_cast<int64_t>(mBuf.size());
    if (from - 3 > end) {
      mBuf.clear();
      mBase = end = from - 3;
    } else {
      const int64_t keep = std::max<int64_t>(from - 3, mBase);
      mBuf.erase(mBuf.begin(), mBuf.begin() + (keep - mBase));
      mBase = keep;
    }
    const size_t old = mBuf.size();
    mBuf.resize(old + mPiece);
    const size_t got = mSource->ReadAt(end, mBuf.data() + old, mPiece);
    mBuf.resize(old + got);
    if (got == 0)
      mEnd = true;
    mData = mBuf.data();
    mSize = mBuf.size();
  }

  ByteSource* mSource = nullptr;
  size_t mPiece = 0;
  std::vector<uint8_t> mBuf;
  const uint8_t* mData = nullptr;  // the window: mBuf's bytes, or the bytes in memory
  size_t mSize = 0;
  int64_t mBase = 0;
  bool mEnd = false;
};

// The detector's state and steps. Index E is the end of the data, where an added zero byte
// stands; every multi-byte sequence must end below E. Positions are 64-bit so that files of any
// size are judged exactly.
class Detector {
 public:
  Detector(ByteSource& source, size_t pieceSize)
      : mMain(source, pieceSize), mUtf7(source, std::min<size_t>(pieceSize, 4096)) {}
  explicit Detector(std::string_view bytes) : mMain(bytes), mUtf7(bytes) {}

  CharCode Run() {
    // Byte-order marks, when the data holds at least two bytes.
    if (mMain.Has(1)) {
      const uint8_t b0 = mMain.At(0), b1 = mMain.At(1), b2 = mMain.At(2);
      if ((b0 == 0xFE || b0 == 0xFF) && (b1 == 0xFE || b1 == 0xFF)) {
        return b0 == 0xFE && b1 == 0xFF ? CharCode::kUtf16Be : CharCode::kUtf16Le;
      }
      if (b0 == 0xEF && b1 == 0xBB && b2 == 0xBF)
        return CharCode::kUtf8Bom;
    }
    for (int64_t l = 0;; ++l) {
      l = SkipPlainAscii(l);
      const bool atEnd = !mMain.Has(l);  // l = E: the added zero byte
      if (const std::optional<CharCode> code = Step(l))
        return *code;
      if (atEnd)
        break;
    }
    if (mAsciiFlag == 1 && mUtf7Pos >= 0 && mUtf7Len > 0)
      return CharCode::kUtf7;
    if (mUtf8Pos >= 0 && mUtf8Bytes > 0)
      return CharCode::kUtf8;
    if (mSjisPos >= 0 && mSjisBytes > mUtf8Bytes)
      return CharCode::kSjis;
    if (mEucPos >= 0 && mEucBytes > mSjisBytes && mEucBytes > mUtf8Bytes)
      return CharCode::kEuc;
    return mAsciiFlag == 1 ? CharCode::kAscii : CharCode::kNone;
  }

 private:
  // Plain 7-bit text (no escape, no "+") changes nothing but the positions, which all stand at
  // the byte being examined: takes such bytes in one sweep and returns the first index that
  // needs the full step. The UTF-7 position must not lag behind, or it reads elsewhere.
  int64_t SkipPlainAscii(int64_t l) {
    if (mAsciiFlag != 1)
      return l;
    for (;;) {
      if (mUtf7Pos >= 0 && mUtf7Pos < l)
        return l;
      if (mUtf8Pos != l || mSjisPos != l || mEucPos != l)
        return l;
      size_t n = 0;
      const uint8_t* p = mMain.Span(l, n);
      // Keep the last three bytes for the steps that look ahead.
      if (n <= 4)
        return l;
      size_t k = 0;
#if defined(__SSE2__)
      // Sixteen bytes at a time while none is 8-bit, an escape or a "+".
      const __m128i escape = _mm_set1_epi8(0x1B), plus = _mm_set1_epi8('+');
      for (; k + 16 <= n - 4; k += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
        const __m128i stop =
            _mm_or_si128(v, _mm_or_si128(_mm_cmpeq_epi8(v, escape), _mm_cmpeq_epi8(v, plus)));
        if (_mm_movemask_epi8(stop) != 0)
          break;
      }
#endif
      // Then eight bytes at a time while none is 8-bit, an escape or a "+".
      constexpr uint64_t kOnes = 0x0101010101010101ULL, kHighs = 0x8080808080808080ULL;
      auto hasZeroByte = [](uint64_t v) { return ((v - kOnes) & ~v & kHighs) != 0; };
      for (; k + 8 <= n - 4; k += 8) {
        uint64_t w = 0;
        std::memcpy(&w, p + k, 8);
        if ((w & kHighs) != 0 || hasZeroByte(w ^ (kOnes * 0x1B)) ||
            hasZeroByte(w ^ (kOnes * '+'))) {
          break;
        }
      }
      for (; k < n - 4; ++k) {
        const uint8_t b = p[k];
        if (b >= 0x80 || b == 0x1B || b == '+')
          break;
      }
      if (k == 0)
        return l;
      const int64_t next = l + static_cast<int64_t>(k);
      if (mUtf7Pos >= l && mUtf7Pos < next)
        mUtf7Pos = next;  // it catches up and keeps pace
      mUtf8Pos = mSjisPos = mEucPos = next;
      l = next;
      if (k < n - 4)
        return l;
    }
  }

  // Examines index l; returns a decided code, or nothing to go on.
  std::optional<CharCode> Step(int64_t l) {
    const uint8_t byte = mMain.At(l);
    // a. 7-bit step: ISO-2022-JP escapes and UTF-7 shift sequences.
    if (mAsciiFlag == 1) {
      if (byte >= 0x80) {
        mAsciiFlag = 0;
      } else if (byte == 0x1B) {
        // An escape skips the UTF-7 step of this index, so the UTF-7 position may fall behind.
        if (mMain.Has(l + 2)) {
          const uint8_t c1 = mMain.At(l + 1), c2 = mMain.At(l + 2);
          if ((c1 == '(' && (c2 == 'B' || c2 == 'J' || c2 == 'I')) ||
              (c1 == '$' && (c2 == 'B' || c2 == '@' || c2 == '('))) {
            return CharCode::kJis;
          }
        }
      } else if (mUtf7Pos >= 0 && mUtf7Pos <= l) {
        if (const std::optional<CharCode> code = Utf7Step(l))
          return code;
      }
    }
    Utf8Step(l);
    SjisStep(l);
    EucStep(l);
    // e. Early decision once 8-bit data has left at most one candidate.
    if (mAsciiFlag == 0 && mAlive <= 1) {
      if (mUtf8Pos >= 0)
        return CharCode::kUtf8;
      if (mSjisPos >= 0)
        return CharCode::kSjis;
      if (mEucPos >= 0)
        return CharCode::kEuc;
      CharCode code = CharCode::kNone;
      if (mUtf7Len > 0)
        code = CharCode::kUtf7;
      if (mUtf8Bytes > mUtf7Len)
        code = CharCode::kUtf8;
      if (mSjisBytes > mUtf8Bytes && mSjisBytes > mUtf7Len)
        code = CharCode::kSjis;
      if (mEucBytes > mSjisBytes && mEucBytes > mUtf8Bytes && mEucBytes > mUtf7Len)
        code = CharCode::kEuc;
      return code;
    }
    return std::nullopt;
  }

  // The UTF-7 candidate reads at its own position j, which may lie behind l (after escapes) or
  // run ahead of it over a whole shift sequence.
  std::optional<CharCode> Utf7Step(int64_t l) {
    int64_t j = mUtf7Pos;
    if (mUtf7.At(j) != '+') {
      mUtf7Pos = j + 1;
      return std::nullopt;
    }
    ++j;
    while (mUtf7.Has(j) && IsBase64(mUtf7.At(j))) {
      ++mBase64Count;
      ++j;
    }
    if (!mUtf7.Has(j)) {  // the run reached the end of the data: the scan simply stops
      mUtf7Pos = j;
      return std::nullopt;
    }
    if (mUtf7.At(j) == '-' && (6 * mBase64Count) % 16 <= 5) {
      if (mUtf7Len > 0)
        return CharCode::kUtf7;  // a second valid shift sequence
      mUtf7Pos = j + 1;
      mUtf7Len = mUtf7Pos - l;
    } else {
      mUtf7Pos = -1;
    }
    return std::nullopt;
  }

  void RuleOut(int64_t& pos) {
    pos = -1;
    --mAlive;
  }

  void Utf8Step(int64_t l) {
    if (mUtf8Pos < 0 || mUtf8Pos > l)
      return;
    const int64_t u = mUtf8Pos;
    const uint8_t x = mMain.At(u);
    auto trail = [&](int64_t i) { return In(mMain.At(i), 0x80, 0xBF); };
    int len = 0;
    if (x <= 0x7F) {
      mUtf8Pos = u + 1;
      return;
    }
    if (In(x, 0xC2, 0xDF) && mMain.Has(u + 1) && trail(u + 1)) {
      len = 2;
    } else if (x == 0xE0 && mMain.Has(u + 2) && In(mMain.At(u + 1), 0xA0, 0xBF) && trail(u + 2)) {
      len = 3;
    } else if (In(x, 0xE1, 0xEF) && mMain.Has(u + 2) && trail(u + 1) && trail(u + 2)) {
      len = 3;
    } else if (x == 0xF0 && mMain.Has(u + 3) && In(mMain.At(u + 1), 0x90, 0xBF) && trail(u + 2) &&
               trail(u + 3)) {
      len = 4;
    } else if (In(x, 0xF1, 0xF3) && mMain.Has(u + 3) && trail(u + 1) && trail(u + 2) &&
               trail(u + 3)) {
      len = 4;
    } else if (x == 0xF4 && mMain.Has(u + 3) && In(mMain.At(u + 1), 0x80, 0x8F) && trail(u + 2) &&
               trail(u + 3)) {
      len = 4;
    }
    if (len == 0) {
      RuleOut(mUtf8Pos);
      return;
    }
    mUtf8Pos = u + len;
    mUtf8Bytes += len;
  }

  // 0xFD-0xFF are taken as single bytes, as CP932 reads them.
  void SjisStep(int64_t l) {
    if (mSjisPos < 0 || mSjisPos > l)
      return;
    const int64_t s = mSjisPos;
    const uint8_t x = mMain.At(s);
    if (!In(x, 0x81, 0x9F) && !In(x, 0xE0, 0xFC)) {
      mSjisPos = s + 1;
      return;
    }
    const uint8_t t = mMain.At(s + 1);
    if (mMain.Has(s + 1) && (In(t, 0x40, 0x7E) || In(t, 0x80, 0xFC))) {
      mSjisPos = s + 2;
      mSjisBytes += 2;
    } else {
      RuleOut(mSjisPos);
    }
  }

  void EucStep(int64_t l) {
    if (mEucPos < 0 || mEucPos > l)
      return;
    const int64_t e = mEucPos;
    const uint8_t x = mMain.At(e);
    if (x <= 0x7F) {
      mEucPos = e + 1;
    } else if (x == 0x8E && mMain.Has(e + 1) && In(mMain.At(e + 1), 0xA1, 0xDF)) {
      mEucPos = e + 2;
      mEucBytes += 2;
    } else if (x == 0x8F && mMain.Has(e + 2) && In(mMain.At(e + 1), 0xA1, 0xFE) &&
               In(mMain.At(e + 2), 0xA1, 0xFE)) {
      mEucPos = e + 3;
      mEucBytes += 3;
    } else if (In(x, 0xA1, 0xFF) && mMain.Has(e + 1) && In(mMain.At(e + 1), 0xA1, 0xFE)) {
      mEucPos = e + 2;
      mEucBytes += 2;
    } else {
      RuleOut(mEucPos);
    }
  }

  Cursor mMain;
  Cursor mUtf7;
  int mAsciiFlag = 1;
  int mAlive = 3;
  int64_t mUtf8Pos = 0, mSjisPos = 0, mEucPos = 0, mUtf7Pos = 0;
  int64_t mUtf8Bytes = 0, mSjisBytes = 0, mEucBytes = 0;
  int64_t mUtf7Len = 0;
  int64_t mBase64Count = 0;
};

// A plain file read with pread; a read error ends the data and is remembered. The holes of a
// sparse file are zeros that need not be read: they are handed out without asking the disk.
class FileSource : public ByteSource {
 public:
  FileSource(int fd, int64_t size) : mFd(fd), mSize(size) {}
  size_t ReadAt(int64_t offset, uint8_t* buf, size_t n) override {
    if ((offset >= mHoleEnd || offset < mHoleStart) && offset < mNoHoleFrom)
      FindHole(offset);
    if (offset >= mHoleStart && offset < mHoleEnd) {
      const size_t zeros = static_cast<size_t>(std::min<int64_t>(mHoleEnd - offset, n));
      std::memset(buf, 0, zeros);
      return zeros;
    }
    n = static_cast<size_t>(std::min<int64_t>(n, mHoleStart - offset));
    for (;;) {
      const ssize_t got = ::pread(mFd, buf, n, offset);
      if (got >= 0)
        return static_cast<size_t>(got);
      if (errno != EINTR) {
        mError = errno;
        return 0;
      }
    }
  }
  int error() const { return mError; }

 private:
  // The first hole at or after offset: [mHoleStart, mHoleEnd), empty where the file has none
  // (or the file system does not say).
  void FindHole(int64_t offset) {
    mHoleStart = mHoleEnd = INT64_MAX;
    const off_t hole = ::lseek(mFd, offset, SEEK_HOLE);
    if (hole < 0 || hole >= mSize) {
      mNoHoleFrom = std::min(mNoHoleFrom, offset);  // nor will a later offset find one
      return;
    }
    const off_t data = ::lseek(mFd, hole, SEEK_DATA);
    mHoleStart = hole;
    mHoleEnd = data < 0 ? mSize : data;  // no data after it: the hole runs to the end
  }

  int mFd;
  int64_t mSize;
  int64_t mHoleStart = 0, mHoleEnd = 0;
  int64_t mNoHoleFrom = INT64_MAX;  // no hole from here to the end
  int mError = 0;
};

}  // namespace

CharCode DetectCharCode(ByteSource& source, size_t pieceSize) {
  return Detector(source, std::max<size_t>(pieceSize, 1)).Run();
}

CharCode DetectCharCode(std::string_view bytes) {
  return Detector(bytes).Run();
}

Status GetFileCharCode(const std::string& path, CharCode& code) {
  code = CharCode::kNone;
  ReadOnlyFile file;
  if (Status s = file.Open(path); !s.ok())
    return s;
  FileSource source(file.fd(), file.size());
  const CharCode detected = DetectCharCode(source);
  if (source.error() != 0)
    return Status::FromErrno("read", path, source.error());
  code = detected;
  return Status::Ok();
}

}  // namespace kelmoa
