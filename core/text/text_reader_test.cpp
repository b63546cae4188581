// Tests of the text reader and its limits.
#include "core/text/text_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/base/fixtures_test.h"

namespace kelmoa {
namespace {

using namespace testing;  // the shared fixtures

using Breach = TextLimitBreach;
constexpr Breach kFine{};
constexpr Breach kTooMany{Breach::Kind::kTooManyLines};
constexpr Breach TooLong(long long line, long long bytes) {
  return {Breach::Kind::kLineTooLong, line, bytes, false};
}

std::string Repeat(const std::string& s, int n) {
  std::string r;
  for (int i = 0; i < n; ++i)
    r += s;
  return r;
}

// What bytes break when read whole, which reading their file in two halves must agree with.
Breach ReadBothWays(const TempDir& dir, const std::string& bytes) {
  StrList whole, pieces;
  Status status;
  WriteBytes(dir / "t.txt", bytes);
  const Breach breach = DecodeText(bytes, whole);
  EXPECT_EQ(breach, StreamText(dir / "t.txt", pieces, status));
  EXPECT_TRUE(status.ok() && whole == pieces);
  return breach;
}

// Lines are stored as read: CR LF, a lone CR and a lone LF end one. Rejections: the session's
// tests.
TEST(TextReader, LinesAreStoredAsRead) {
  const struct {
    const char* name;
    std::string bytes;
    StrList lines;
  } cases[] = {
      {"lines as read",
       "  Hello,\tworld  \r\n\r\n" + Sjis("犬 dog") + "\rlast a\nb",
       {u"", u"  Hello,\tworld  ", u"", u"犬 dog", u"last a", u"b"}},
      {"empty", "", {u""}},
      {"100 bytes", std::string(100, 'x') + "\r\n", {u"", std::u16string(100, u'x')}},
      {"LF alone", "one\ntwo\n\nfour\n", {u"", u"one", u"two", u"", u"four"}},
      {"LF CR is two line ends", "a\n\rb", {u"", u"a", u"", u"b"}},
      {"CR CR LF", "a\r\r\nb\r", {u"", u"a", u"", u"b"}},
  };
  TempDir dir;
  for (const auto& c : cases) {
    WriteBytes(dir / "t.txt", c.bytes);
    StrList lines;
    Status status;
    EXPECT_EQ(ReadTextLines(dir / "t.txt", lines, status), kFine) << c.name;
    ASSERT_TRUE(status.ok()) << c.name;
    EXPECT_EQ(lines, c.lines) << c.name;
  }
}

// The limits hold for the lines as their ends make them, whichever the ends are.
TEST(TextReader, TheLimitsCountTheLinesEveryLineEndMakes) {
  const std::string line100(100, 'x'), line101(101, 'x');
  const struct {
    const char* name;
    std::string bytes;
    Breach breach;
    long long lines;
  } cases[] = {
      {"a page of 80-byte LF lines, no line over 100", Repeat(std::string(80, 'g') + "\n", 700),
       kFine, 700},
      {"100 bytes and LF", line100 + "\n" + line100, kFine, 2},
      {"101 bytes and LF", "a\n" + line101 + "\nb", TooLong(2, 101), 0},
      {"101 bytes after a lone CR", "a\r" + line101, TooLong(2, 101), 0},
      {"9000 LF lines", Repeat("l\n", 9000), kFine, 9000},
      {"9001 LF lines", Repeat("l\n", 9001), kTooMany, 0},
      {"9000 lines of mixed ends", Repeat("l\r\nl\nl\r", 3000), kFine, 9000},
      {"a 9001st line of mixed ends", Repeat("l\r\nl\nl\r", 3000) + "l", kTooMany, 0},
  };
  TempDir dir;
  for (const auto& c : cases) {
    WriteBytes(dir / "t.txt", c.bytes);
    StrList lines, pieces;
    Status status;
    EXPECT_EQ(ReadTextLines(dir / "t.txt", lines, status), c.breach) << c.name;
    EXPECT_EQ(UpperBound(lines), c.lines) << c.name;
    EXPECT_EQ(StreamText(dir / "t.txt", pieces, status), c.breach) << c.name;
    EXPECT_EQ(pieces, lines) << c.name;
  }
}

TEST(TextReader, AWholeFileSplitInTwoGivesWhatReadingPieceByPieceGives) {
  // Long texts, so that they are split in two side by side, with what may go wrong on either
  // side of the cut: lines over the byte limit, more lines than allowed, empty lines, CR LF,
  // lone CR and lone LF, double-byte characters, the last line with or without its end.
  TempDir dir;
  std::mt19937 rng(3);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const std::string dog = Sjis("犬");
  for (int round = 0; round < 80; ++round) {
    const int lines = std::vector<int>{3000, 8999, 9000, 9001, 12000}[static_cast<size_t>(pick(5))];
    const int emptyEvery = pick(3) == 0 ? 2 + pick(2) : 0;
    const int tooLong = pick(2) == 0 ? 1 + pick(lines) : 0;  // the one line over the limit
    std::string bytes;
    for (int i = 1; i <= lines; ++i) {
      std::string line;
      if (emptyEvery == 0 || i % emptyEvery != 0) {
        line = std::string(static_cast<size_t>(pick(99)), 'a');
        if (pick(4) == 0)
          line.replace(0, std::min<size_t>(line.size(), 2), dog);
      }
      if (i == tooLong) {
        line =
            pick(5) == 0
                ? dog + std::string(99, 'd')  // 101 bytes, one character double
                : std::string(
                      std::vector<size_t>{101, 400, 401, 5000}[static_cast<size_t>(pick(4))], 'z');
      }
      bytes += line;
      if (i < lines || pick(2) == 0)
        bytes += std::vector<const char*>{"\r", "\n", "\r\n"}[static_cast<size_t>(pick(3))];
    }
    ASSERT_GT(bytes.size(), 65536U);
    ReadBothWays(dir, bytes);
    ASSERT_FALSE(HasFailure()) << round;
  }
}

TEST(TextReader, TheCutBetweenTheTwoHalvesMissesNoLineAndNoLimit) {
  TempDir dir;
  const auto both = [&](const std::string& bytes) { return ReadBothWays(dir, bytes); };
  const std::string half(70000, 'a');
  // The cut falls on the CR of a CR LF, and its LF opens the second half.
  EXPECT_EQ(both(half + "\r\n" + half), TooLong(1, 70000));
  // The cut falls on a lone LF, or on an LF that follows a CR.
  EXPECT_EQ(both(std::string(100, 'a') + "\n" + half + "\n" + std::string(101, 'c')),
            TooLong(2, 70000));
  EXPECT_EQ(both(std::string(70000, 'a') + "\r\n" + std::string(70000, 'b')), TooLong(1, 70000));
  const std::string fine = Repeat(std::string(60, 'b') + "\r\n", 2000);
  EXPECT_EQ(both(fine + "\r\n"), kFine) << "an empty last line";
  // The first half has 9000 lines; the second half's first line is too long, or fine.
  EXPECT_EQ(both(std::string(9000, '\r') + std::string(101, 'x') + "\r" + fine),
            TooLong(9001, 101));
  EXPECT_EQ(both(std::string(9000, '\r') + fine), kTooMany);
  // The second half begins with line 9001, too long: its length is what is wrong.
  // The 9000th CR stands just past the middle.
  const std::string edge = Repeat("yyyyyyyy\r\n", 9000) + std::string(101, 'x') + "\r\n" +
                           Repeat(std::string(60, 'f') + "\r\n", 1449) + std::string(49, 'g');
  ASSERT_EQ(edge.size(), 179990U);
  EXPECT_EQ(both(edge), TooLong(9001, 101));
  // A line too long in the second half, after the 9001st line.
  EXPECT_EQ(both(std::string(6000, '\r') + fine + fine + std::string(101, 'x')), kTooMany);
}

}  // namespace
}  // namespace kelmoa
