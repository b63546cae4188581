#include "common/char_code.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kelmoa {

std::string GetCharCodeName(int code) {
  static constexpr const char* kNames[] = {"NONE", "ASCII",    "SJIS", "EUC",      "JIS",
                                           "UTF16_LE", "UTF16_BE", "UTF8", "UTF8_BOM", "UTF7"};
  if (code < 0 || code > 9) return {};
  return kNames[code];
}

namespace {

bool In(uint8_t b, uint8_t lo, uint8_t hi) { return b >= lo && b <= hi; }

bool IsBase64(uint8_t b) {
  return In(b, 'A', 'Z') || In(b, 'a', 'z') || In(b, '0', '9') || b == '+' || b == '/';
}

}  // namespace

uint8_t CharCodeDetector::At(int64_t i) const {
  // Past the end of the file lies the added zero byte (and nothing is read beyond it).
  if (mFinished && i >= mE) return 0;
  return mBuf[static_cast<size_t>(i - mBase)];
}

void CharCodeDetector::Feed(std::string_view bytes) {
  if (mDecided || mFinished) return;
  mBuf.insert(mBuf.end(), bytes.begin(), bytes.end());
  const int64_t avail = mBase + static_cast<int64_t>(mBuf.size());
  // Each index needs the three bytes after it (the longest UTF-8 sequence).
  if (avail < 4) return;
  if (!mBomChecked) CheckByteOrderMark();
  Process(avail - 3);
  // Keep only the bytes not yet examined.
  if (!mDecided) {
    mBuf.erase(mBuf.begin(), mBuf.begin() + (mL - mBase));
    mBase = mL;
  }
}

int CharCodeDetector::Finish() {
  if (!mDecided && !mFinished) {
    mFinished = true;
    mE = mBase + static_cast<int64_t>(mBuf.size());
    if (!mBomChecked) CheckByteOrderMark();
    Process(mE + 1);  // the added zero byte at index E is examined too
    if (!mDecided) {
      if (mAsciiFlag == 1 && mUtf7Pos >= 0 && mUtf7Len > 0) {
        Decide(kCodeUtf7);
      } else if (mUtf8Pos >= 0 && mUtf8Bytes > 0) {
        Decide(kCodeUtf8);
      } else if (mSjisPos >= 0 && mSjisBytes > mUtf8Bytes) {
        Decide(kCodeSjis);
      } else if (mEucPos >= 0 && mEucBytes > mSjisBytes && mEucBytes > mUtf8Bytes) {
        Decide(kCodeEuc);
      } else {
        Decide(mAsciiFlag == 1 ? kCodeAscii : kCodeNone);
      }
    }
  }
  mBuf.clear();
  mBuf.shrink_to_fit();
  return mResult;
}

void CharCodeDetector::CheckByteOrderMark() {
  mBomChecked = true;
  const bool longEnough = mFinished ? mE > 1 : true;  // Feed calls this with 4 bytes or more
  if (!longEnough) return;
  const uint8_t b0 = At(0), b1 = At(1), b2 = At(2);
  if ((b0 == 0xFE || b0 == 0xFF) && (b1 == 0xFE || b1 == 0xFF)) {
    Decide(b0 == 0xFE && b1 == 0xFF ? kCodeUtf16Be : kCodeUtf16Le);
  } else if (b0 == 0xEF && b1 == 0xBB && b2 == 0xBF) {
    Decide(kCodeUtf8Bom);
  }
}

void CharCodeDetector::Process(int64_t limit) {
  for (; mL < limit && !mDecided; ++mL) Step(mL);
}

void CharCodeDetector::Step(int64_t l) {
  const uint8_t byte = At(l);

  // a. 7-bit step: ISO-2022-JP escapes and UTF-7 shift sequences.
  bool skipUtf7 = false;
  if (mAsciiFlag == 1 && mUtf7Scanning) {
    if (Lt(l) && IsBase64(byte)) {
      ++mBase64Count;  // still inside the base64 run: nothing else can happen at this index
      skipUtf7 = true;
    } else {
      mUtf7Scanning = false;
      if (!Lt(l)) {
        mUtf7Pos = l;  // the run reached the end of the file: the scan simply stops
      } else if (byte == '-' && (6 * mBase64Count) % 16 <= 5) {
        if (mUtf7Len > 0) {
          Decide(kCodeUtf7);
          return;
        }
        mUtf7Pos = l + 1;
        mUtf7Len = mUtf7Pos - mUtf7Start;
      } else {
        mUtf7Pos = -1;
      }
    }
  }
  if (mAsciiFlag == 1 && !skipUtf7) {
    if (byte >= 0x80) {
      mAsciiFlag = 0;
    } else if (byte == 0x1B) {
      if (Lt(l + 2)) {
        const uint8_t c1 = At(l + 1), c2 = At(l + 2);
        if ((c1 == '(' && (c2 == 'B' || c2 == 'J' || c2 == 'I')) ||
            (c1 == '$' && (c2 == 'B' || c2 == '@' || c2 == '('))) {
          Decide(kCodeJis);
          return;
        }
      }
    } else if (mUtf7Pos >= 0 && mUtf7Pos <= l) {
      if (byte != '+') {
        mUtf7Pos = l + 1;
      } else {
        mUtf7Scanning = true;
        mUtf7Start = l;
      }
    }
  }

  // b. UTF-8.
  if (mUtf8Pos >= 0 && mUtf8Pos <= l) {
    const int64_t u = mUtf8Pos;
    const uint8_t x = At(u);
    auto trail = [&](int64_t i) { return In(At(i), 0x80, 0xBF); };
    if (x <= 0x7F) {
      mUtf8Pos = u + 1;
    } else if (In(x, 0xC2, 0xDF) && Lt(u + 1) && trail(u + 1)) {
      mUtf8Pos = u + 2;
      mUtf8Bytes += 2;
    } else if (x == 0xE0 && Lt(u + 2) && In(At(u + 1), 0xA0, 0xBF) && trail(u + 2)) {
      mUtf8Pos = u + 3;
      mUtf8Bytes += 3;
    } else if (In(x, 0xE1, 0xEF) && Lt(u + 2) && trail(u + 1) && trail(u + 2)) {
      mUtf8Pos = u + 3;
      mUtf8Bytes += 3;
    } else if (x == 0xF0 && Lt(u + 3) && In(At(u + 1), 0x90, 0xBF) && trail(u + 2) &&
               trail(u + 3)) {
      mUtf8Pos = u + 4;
      mUtf8Bytes += 4;
    } else if (In(x, 0xF1, 0xF3) && Lt(u + 3) && trail(u + 1) && trail(u + 2) && trail(u + 3)) {
      mUtf8Pos = u + 4;
      mUtf8Bytes += 4;
    } else if (x == 0xF4 && Lt(u + 3) && In(At(u + 1), 0x80, 0x8F) && trail(u + 2) &&
               trail(u + 3)) {
      mUtf8Pos = u + 4;
      mUtf8Bytes += 4;
    } else {
      RuleOut(mUtf8Pos);
    }
  }

  // c. Shift_JIS. 0xFD-0xFF are taken as single bytes, as CP932 reads them.
  if (mSjisPos >= 0 && mSjisPos <= l) {
    const int64_t s = mSjisPos;
    const uint8_t x = At(s);
    if (In(x, 0x81, 0x9F) || In(x, 0xE0, 0xFC)) {
      const uint8_t t = Lt(s + 1) ? At(s + 1) : 0;
      if (Lt(s + 1) && (In(t, 0x40, 0x7E) || In(t, 0x80, 0xFC))) {
        mSjisPos = s + 2;
        mSjisBytes += 2;
      } else {
        RuleOut(mSjisPos);
      }
    } else {
      mSjisPos = s + 1;
    }
  }

  // d. EUC-JP.
  if (mEucPos >= 0 && mEucPos <= l) {
    const int64_t e = mEucPos;
    const uint8_t x = At(e);
    if (x <= 0x7F) {
      mEucPos = e + 1;
    } else if (x == 0x8E && Lt(e + 1) && In(At(e + 1), 0xA1, 0xDF)) {
      mEucPos = e + 2;
      mEucBytes += 2;
    } else if (x == 0x8F && Lt(e + 2) && In(At(e + 1), 0xA1, 0xFE) && In(At(e + 2), 0xA1, 0xFE)) {
      mEucPos = e + 3;
      mEucBytes += 3;
    } else if (In(x, 0xA1, 0xFF) && Lt(e + 1) && In(At(e + 1), 0xA1, 0xFE)) {
      mEucPos = e + 2;
      mEucBytes += 2;
    } else {
      RuleOut(mEucPos);
    }
  }

  // e. Early decision once 8-bit data has left at most one candidate.
  if (mAsciiFlag == 0 && mAlive <= 1) {
    if (mUtf8Pos >= 0) {
      Decide(kCodeUtf8);
    } else if (mSjisPos >= 0) {
      Decide(kCodeSjis);
    } else if (mEucPos >= 0) {
      Decide(kCodeEuc);
    } else {
      int code = kCodeNone;
      if (mUtf7Len > 0) code = kCodeUtf7;
      if (mUtf8Bytes > mUtf7Len) code = kCodeUtf8;
      if (mSjisBytes > mUtf8Bytes && mSjisBytes > mUtf7Len) code = kCodeSjis;
      if (mEucBytes > mSjisBytes && mEucBytes > mUtf8Bytes && mEucBytes > mUtf7Len) {
        code = kCodeEuc;
      }
      Decide(code);
    }
  }
}

int DetectCharCode(std::string_view bytes) {
  CharCodeDetector d;
  d.Feed(bytes);
  return d.Finish();
}

Status GetFileCharCode(const std::string& path, std::string& oName) {
  oName.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return Status::FromErrno("open", path, errno);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) return Status::FromErrno("stat", path, errno);
  if (!S_ISREG(st.st_mode)) {
    return Status::FromErrno("read", path, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
  }
  CharCodeDetector detector;
  char buf[1 << 16];
  while (!detector.Decided()) {
    const ssize_t got = ::read(fd, buf, sizeof buf);
    if (got < 0) {
      if (errno == EINTR) continue;
      return Status::FromErrno("read", path, errno);
    }
    if (got == 0) break;
    detector.Feed(std::string_view(buf, static_cast<size_t>(got)));
  }
  oName = GetCharCodeName(detector.Finish());
  return Status::Ok();
}

}  // namespace kelmoa
