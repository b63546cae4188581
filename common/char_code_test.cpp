#include "common/char_code.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "common/fixtures_test.h"

namespace kelmoa {
namespace {

// The detector's algorithm over the whole file held in memory with the added zero byte, step
// by step, without streaming: the reference the streamed detector must agree with.
int DetectWholeBuffer(const std::string& file) {
  std::vector<uint8_t> b(file.begin(), file.end());
  b.push_back(0);
  b.resize(b.size() + 8, 0);  // never read by a correct step; keeps a faulty one in bounds
  const long E = static_cast<long>(file.size());
  auto in = [](uint8_t x, int lo, int hi) { return x >= lo && x <= hi; };
  if (E > 1) {
    if ((b[0] == 0xFE || b[0] == 0xFF) && (b[1] == 0xFE || b[1] == 0xFF)) {
      return b[0] == 0xFE && b[1] == 0xFF ? kCodeUtf16Be : kCodeUtf16Le;
    }
    if (b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return kCodeUtf8Bom;
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
        if (l + 2 < E && ((b[l + 1] == '(' && (b[l + 2] == 'B' || b[l + 2] == 'J' || b[l + 2] == 'I')) ||
                          (b[l + 1] == '$' && (b[l + 2] == 'B' || b[l + 2] == '@' || b[l + 2] == '(')))) {
          return kCodeJis;
        }
        goB = true;
      }
      if (!goB && j >= 0 && j <= l) {
        if (b[j] != '+') {
          j = j + 1;
        } else {
          j = j + 1;
          while (j < E && isB64(b[j])) {
            ++b64;
            ++j;
          }
          if (j < E) {
            if (b[j] == '-' && (6 * b64) % 16 <= 5) {
              if (u7len > 0) return kCodeUtf7;
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
      if (x <= 0x7F) u += 1;
      else if (in(x, 0xC2, 0xDF) && u + 1 < E && in(b[u + 1], 0x80, 0xBF)) u += 2, u8 += 2;
      else if (x == 0xE0 && u + 2 < E && in(b[u + 1], 0xA0, 0xBF) && in(b[u + 2], 0x80, 0xBF)) u += 3, u8 += 3;
      else if (in(x, 0xE1, 0xEF) && u + 2 < E && in(b[u + 1], 0x80, 0xBF) && in(b[u + 2], 0x80, 0xBF)) u += 3, u8 += 3;
      else if (x == 0xF0 && u + 3 < E && in(b[u + 1], 0x90, 0xBF) && in(b[u + 2], 0x80, 0xBF) && in(b[u + 3], 0x80, 0xBF)) u += 4, u8 += 4;
      else if (in(x, 0xF1, 0xF3) && u + 3 < E && in(b[u + 1], 0x80, 0xBF) && in(b[u + 2], 0x80, 0xBF) && in(b[u + 3], 0x80, 0xBF)) u += 4, u8 += 4;
      else if (x == 0xF4 && u + 3 < E && in(b[u + 1], 0x80, 0x8F) && in(b[u + 2], 0x80, 0xBF) && in(b[u + 3], 0x80, 0xBF)) u += 4, u8 += 4;
      else u = -1, --alive;
    }
    if (s >= 0 && s <= l) {
      const uint8_t x = b[s];
      if (in(x, 0x81, 0x9F) || in(x, 0xE0, 0xFC)) {
        if (s + 1 < E && (in(b[s + 1], 0x40, 0x7E) || in(b[s + 1], 0x80, 0xFC))) s += 2, sj += 2;
        else s = -1, --alive;
      } else {
        s += 1;  // ASCII, 0x80, half-width katakana, and 0xFD-0xFF as single bytes
      }
    }
    if (e >= 0 && e <= l) {
      const uint8_t x = b[e];
      if (x <= 0x7F) e += 1;
      else if (x == 0x8E && e + 1 < E && in(b[e + 1], 0xA1, 0xDF)) e += 2, eu += 2;
      else if (x == 0x8F && e + 2 < E && in(b[e + 1], 0xA1, 0xFE) && in(b[e + 2], 0xA1, 0xFE)) e += 3, eu += 3;
      else if (in(x, 0xA1, 0xFF) && e + 1 < E && in(b[e + 1], 0xA1, 0xFE)) e += 2, eu += 2;
      else e = -1, --alive;
    }
    if (ascii == 0 && alive <= 1) {
      if (u >= 0) return kCodeUtf8;
      if (s >= 0) return kCodeSjis;
      if (e >= 0) return kCodeEuc;
      int r = kCodeNone;
      if (u7len > 0) r = kCodeUtf7;
      if (u8 > u7len) r = kCodeUtf8;
      if (sj > u8 && sj > u7len) r = kCodeSjis;
      if (eu > sj && eu > u8 && eu > u7len) r = kCodeEuc;
      return r;
    }
  }
  if (ascii == 1 && j >= 0 && u7len > 0) return kCodeUtf7;
  if (u >= 0 && u8 > 0) return kCodeUtf8;
  if (s >= 0 && sj > u8) return kCodeSjis;
  if (e >= 0 && eu > sj && eu > u8) return kCodeEuc;
  return ascii == 1 ? kCodeAscii : kCodeNone;
}

std::string Name(const std::string& bytes) { return GetCharCodeName(DetectCharCode(bytes)); }

TEST(CharCode, NamesSevenBitFilesAsciiJisOrUtf7) {
  EXPECT_EQ(Name(""), "ASCII");
  EXPECT_EQ(Name("hello world"), "ASCII");
  EXPECT_EQ(Name("hello +- world"), "UTF7") << "an empty shift sequence";
  EXPECT_EQ(Name("+123-"), "UTF7") << "18 bits, remainder 2";
  EXPECT_EQ(Name("+12-"), "ASCII") << "12 bits, remainder 12";
  EXPECT_EQ(Name("+AGEA-+AGEA-"), "ASCII") << "24 bits: ruled out at the first minus";
  EXPECT_EQ(Name("a+ b +- c"), "ASCII") << "a plus and a blank rule UTF-7 out";
  EXPECT_EQ(Name("x\x1b$By"), "JIS");
  EXPECT_EQ(Name("\x82\xa0\x1b$B"), "SJIS") << "escapes after an 8-bit byte are not examined";
  EXPECT_EQ(Name("\x1b("), "ASCII");
}

TEST(CharCode, ByteOrderMarksDecideAtOnce) {
  EXPECT_EQ(Name("\xFF\xFE\x41"), "UTF16_LE");
  EXPECT_EQ(Name("\xFE\xFF\x41"), "UTF16_BE");
  EXPECT_EQ(Name("\xFF\xFE"), "UTF16_LE");
  EXPECT_EQ(Name("\xFF\xFF"), "UTF16_LE");
  EXPECT_EQ(Name("\xEF\xBB\xBF"), "UTF8_BOM");
  EXPECT_EQ(Name("\xEF\xBB"), "SJIS") << "two bytes are no UTF-8 mark";
}

TEST(CharCode, TellsJapaneseEncodingsApart) {
  EXPECT_EQ(Name(testing::Sjis("あいう")), "SJIS");
  EXPECT_EQ(Name("あいう"), "UTF8");
  EXPECT_EQ(Name("\xa4\xa2\xa4\xa4\xa4\xa6"), "EUC");
  EXPECT_EQ(Name("\x1b$B$\"$$$&\x1b(B"), "JIS");
  EXPECT_EQ(Name("\x8e\xa1"), "SJIS") << "a tie goes to Shift_JIS";
  EXPECT_EQ(Name("\xc2"), "SJIS");
  EXPECT_EQ(Name("\x80\x41\x42\x43"), "SJIS");
  EXPECT_EQ(Name("\xF1\x80\x80\x80\x80"), "SJIS");
  EXPECT_EQ(Name("\xF1\x80\x80\x80\x41"), "UTF8");
  EXPECT_EQ(Name("ab\xe3"), "NONE") << "a sequence cut off by the end of the file";
  EXPECT_EQ(Name("\xfd\xfe\xff\x82\xa0"), "SJIS") << "0xFD-0xFF are single bytes in CP932";
}

// Bytes that matter to the detector, so that random files hit its branches often.
std::string RandomFile(std::mt19937& rng) {
  static const std::string kAlphabet =
      std::string("+-/Ab1 $(BJ@\x1b\r\n", 15) + "\x80\x82\xa0\xa4\xe3\x8e\x8f\xc2\xf0\xf1\xf4\xfd\xfe\xff\xef\xbb\xbf\x40\x9f\xe0";
  std::uniform_int_distribution<int> len(0, 40), pick(0, static_cast<int>(kAlphabet.size()) - 1),
      any(0, 255), mode(0, 9);
  std::string f;
  const int n = len(rng);
  for (int i = 0; i < n; ++i) {
    f += mode(rng) == 0 ? static_cast<char>(any(rng)) : kAlphabet[static_cast<size_t>(pick(rng))];
  }
  return f;
}

TEST(CharCode, StreamedResultEqualsTheWholeBufferResultHoweverTheBytesArriveInPieces) {
  std::mt19937 rng(12345);
  std::uniform_int_distribution<int> piece(1, 7);
  for (int round = 0; round < 60000; ++round) {
    const std::string file = RandomFile(rng);
    const int expected = DetectWholeBuffer(file);
    ASSERT_EQ(DetectCharCode(file), expected) << ::testing::PrintToString(file);
    CharCodeDetector d;
    for (size_t at = 0; at < file.size();) {
      const size_t n = std::min(file.size() - at, static_cast<size_t>(piece(rng)));
      d.Feed(std::string_view(file).substr(at, n));
      at += n;
    }
    ASSERT_EQ(d.Finish(), expected) << ::testing::PrintToString(file);
  }
}

TEST(CharCode, ShiftSequenceAndCharactersAcrossTheReadBoundaryOfAFile) {
  testing::TempDir dir;
  // A UTF-7 shift sequence, then a Shift_JIS character, each straddling the 64 KiB read size.
  std::string utf7(65536 - 3, 'a');
  utf7 += "+AGEAYQ-" + std::string(100, 'b') + "+AGE-";
  testing::WriteBytes(dir / "utf7.txt", utf7);
  std::string sjis(65535, 'a');
  sjis += "\x82\xa0 tail";
  testing::WriteBytes(dir / "sjis.txt", sjis);
  for (const char* f : {"utf7.txt", "sjis.txt"}) {
    std::string name;
    ASSERT_TRUE(GetFileCharCode(dir / f, name).ok());
    EXPECT_EQ(name, GetCharCodeName(DetectWholeBuffer(testing::ReadBytes(dir / f)))) << f;
  }
  std::string name;
  EXPECT_FALSE(GetFileCharCode(dir / "missing.txt", name).ok());
  EXPECT_FALSE(GetFileCharCode(dir.path(), name).ok()) << "a folder is no file";
  EXPECT_EQ(name, "");
}

}  // namespace
}  // namespace kelmoa
