// Tests of character-code detection, against the reference detector and hand-made files.
#include "core/base/char_code.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>

#include "core/base/char_code_reference_test.h"
#include "core/base/fixtures_test.h"

namespace kelmoa {
namespace {

std::string Name(const std::string& bytes) {
  return GetCharCodeName(DetectCharCode(bytes));
}

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
      std::string("+-/Ab1 $(BJ@\x1b\r\n", 15) +
      "\x80\x82\xa0\xa4\xe3\x8e\x8f\xc2\xf0\xf1\xf4\xfd\xfe\xff\xef\xbb\xbf\x40\x9f\xe0";
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
  std::uniform_int_distribution<size_t> piece(1, 7);
  for (int round = 0; round < 60000; ++round) {
    const std::string file = RandomFile(rng);
    const CharCode expected = testing::DetectWholeBuffer(file);
    ASSERT_EQ(DetectCharCode(file), expected) << ::testing::PrintToString(file);
    testing::PieceSource source(file, piece(rng));
    ASSERT_EQ(DetectCharCode(source, piece(rng)), expected) << ::testing::PrintToString(file);
  }
}

TEST(CharCode, TheUtf7PositionFallsBehindAfterEscapes) {
  // Escapes skip the UTF-7 step, so its position lags; a shift sequence then found behind the
  // current index gives a length of zero or less, which counts as none.
  for (const std::string& file :
       {std::string("\x1b\x1b+-\x07\x1c+-\x07"), std::string("\x1b\x1b\x1b+A-x+-yz"),
        std::string("\x1b\x1b\x1b\x1b+-\xe3\x81\x82")}) {
    testing::PieceSource source(file, 1);
    EXPECT_EQ(DetectCharCode(source, 1), testing::DetectWholeBuffer(file))
        << ::testing::PrintToString(file);
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
  // Shift sequences far apart in plain text, the second one broken: the UTF-7 candidate, which
  // reads only near each of them, must still see the second.
  std::string far(65536 - 3, 'a');
  far += "+AGE-" + std::string(200000, 'b') + "+AGI!" + std::string(70000, 'c');
  testing::WriteBytes(dir / "far.txt", far);
  for (const char* f : {"utf7.txt", "sjis.txt", "far.txt"}) {
    CharCode code = CharCode::kNone;
    ASSERT_TRUE(GetFileCharCode(dir / f, code).ok());
    EXPECT_EQ(code, testing::DetectWholeBuffer(testing::ReadBytes(dir / f))) << f;
  }
  CharCode code = CharCode::kAscii;
  const Status missing = GetFileCharCode(dir / "missing.txt", code);
  EXPECT_TRUE(missing.IsNotFound()) << missing.message();
  EXPECT_EQ(missing.reason(), std::strerror(ENOENT));
  EXPECT_EQ(code, CharCode::kNone);
  EXPECT_FALSE(GetFileCharCode(dir.path(), code).ok()) << "a folder is no file";
}

}  // namespace
}  // namespace kelmoa
