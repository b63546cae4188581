// Tests of character-code detection, against the reference detector and hand-made files.
#include "core/base/char_code.h"

#include <gtest/gtest.h>

#include <random>

#include "core/base/char_code_reference_test.h"
#include "core/base/fixtures_test.h"

namespace kelmoa {
namespace {

// Hand-made files whose code the random comparison with the reference rarely hits.
TEST(CharCode, NamesHandMadeFiles) {
  const struct {
    std::string bytes;
    const char* code;
    const char* why;
  } cases[] = {
      {"", "ASCII", "empty"},
      {"hello world", "ASCII", "plain"},
      {"hello +- world", "UTF7", "an empty shift sequence"},
      {"+123-", "UTF7", "18 bits, remainder 2"},
      {"+12-", "ASCII", "12 bits, remainder 12"},
      {"+AGEA-+AGEA-", "ASCII", "24 bits: ruled out at the first minus"},
      {"a+ b +- c", "ASCII", "a plus and a blank rule UTF-7 out"},
      {"x\x1b$By", "JIS", "an escape"},
      {"\x82\xa0\x1b$B", "SJIS", "escapes after an 8-bit byte are not examined"},
      {"\x1b(", "ASCII", "half an escape"},
      {"\xFF\xFE\x41", "UTF16_LE", "byte order mark"},
      {"\xFE\xFF\x41", "UTF16_BE", "byte order mark"},
      {"\xFF\xFF", "UTF16_LE", "two 0xFF"},
      {"\xEF\xBB\xBF", "UTF8_BOM", "UTF-8 mark"},
      {"\xEF\xBB", "SJIS", "two bytes are no UTF-8 mark"},
      {testing::Sjis("あいう"), "SJIS", "Shift_JIS"},
      {"あいう", "UTF8", "UTF-8"},
      {"\xa4\xa2\xa4\xa4\xa4\xa6", "EUC", "EUC-JP"},
      {"\x1b$B$\"$$$&\x1b(B", "JIS", "ISO-2022-JP"},
      {"\x8e\xa1", "SJIS", "a tie goes to Shift_JIS"},
      {"\x80\x41\x42\x43", "SJIS", "0x80 lead"},
      {"\xF1\x80\x80\x80\x80", "SJIS", "five-byte run"},
      {"\xF1\x80\x80\x80\x41", "UTF8", "four-byte UTF-8"},
      {"ab\xe3", "NONE", "a sequence cut off by the end of the file"},
      {"\xfd\xfe\xff\x82\xa0", "SJIS", "0xFD-0xFF are single bytes in CP932"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GetCharCodeName(DetectCharCode(c.bytes)), c.code) << c.why;
}

// Bytes that matter to the detector, so that random files hit its branches often.
std::string RandomFile(std::mt19937& rng) {
  static const std::string kAlphabet =
      std::string("+-/Ab1 $(BJ@\x1b\r\n", 15) +
      "\x80\x82\xa0\xa4\xe3\x8e\x8f\xc2\xf0\xf1\xf4\xfd\xfe\xff\xef\xbb\xbf\x40\x9f\xe0";
  std::uniform_int_distribution<int> len(0, 40), pick(0, static_cast<int>(kAlphabet.size()) - 1),
      any(0, 255), mode(0, 9);
  std::string f;
  for (int i = 0, n = len(rng); i < n; ++i)
    f += mode(rng) == 0 ? static_cast<char>(any(rng)) : kAlphabet[static_cast<size_t>(pick(rng))];
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

TEST(CharCode, ShiftSequenceAndCharactersAcrossTheReadBoundaryOfAFile) {
  testing::TempDir dir;
  const std::string a(65536 - 3, 'a');
  const std::pair<const char*, std::string> files[] = {
      // A UTF-7 shift sequence, then a Shift_JIS character, each straddling the 64 KiB read size.
      {"utf7.txt", a + "+AGEAYQ-" + std::string(100, 'b') + "+AGE-"},
      {"sjis.txt", a + "aa\x82\xa0 tail"},
      // Shift sequences far apart in plain text, the second one broken: the UTF-7 candidate,
      // which reads only near each of them, must still see the second.
      {"far.txt", a + "+AGE-" + std::string(200000, 'b') + "+AGI!" + std::string(70000, 'c')},
  };
  for (const auto& [name, bytes] : files) {
    testing::WriteBytes(dir / name, bytes);
    CharCode code = CharCode::kNone;
    ASSERT_TRUE(GetFileCharCode(dir / name, code).ok());
    EXPECT_EQ(code, testing::DetectWholeBuffer(bytes)) << name;
  }
}

}  // namespace
}  // namespace kelmoa
