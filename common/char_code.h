#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/status.h"

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

// Names the character code of a byte stream fed in pieces of any size. Four candidate decoders
// (UTF-8, Shift_JIS, EUC-JP and, while the data is 7-bit, UTF-7) run side by side, each ruled
// out at its first malformed sequence; ISO-2022-JP escapes and byte-order marks decide at once.
// It keeps at most a few bytes besides the piece being fed, so a file of any size is judged
// with bounded memory, and the result is the same however the bytes are cut into pieces.
class CharCodeDetector {
 public:
  // Takes the next bytes. Does nothing once the result is decided.
  void Feed(std::string_view bytes);
  // True when the result no longer depends on bytes not yet fed.
  bool Decided() const { return mDecided; }
  // Ends the stream and returns the code number.
  int Finish();

 private:
  bool Lt(int64_t i) const { return !mFinished || i < mE; }  // index i lies inside the file
  uint8_t At(int64_t i) const;
  void CheckByteOrderMark();
  void Process(int64_t limit);  // processes indices mL..limit-1
  void Step(int64_t l);
  void Decide(int code) {
    mDecided = true;
    mResult = code;
  }
  void RuleOut(int64_t& pos) {
    pos = -1;
    --mAlive;
  }

  std::vector<uint8_t> mBuf;  // bytes from index mBase on
  int64_t mBase = 0;
  int64_t mL = 0;  // next index to examine
  int64_t mE = 0;  // the file length, known when finished
  bool mFinished = false;
  bool mBomChecked = false;
  bool mDecided = false;
  int mResult = kCodeNone;

  int mAsciiFlag = 1;
  int mAlive = 3;
  int64_t mUtf8Pos = 0, mSjisPos = 0, mEucPos = 0, mUtf7Pos = 0;
  int64_t mUtf8Bytes = 0, mSjisBytes = 0, mEucBytes = 0;
  int64_t mUtf7Len = 0;
  int64_t mBase64Count = 0;
  bool mUtf7Scanning = false;  // inside the base64 run of a shift sequence
  int64_t mUtf7Start = 0;      // index of that sequence's "+"
};

// The code number of a whole buffer.
int DetectCharCode(std::string_view bytes);

// Reads the file in pieces (stopping as soon as the result is decided) and gives its code name.
Status GetFileCharCode(const std::string& path, std::string& oName);

}  // namespace kelmoa
