// Tests of the page layout.
#include "core/text/layout.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "core/base/helpers.h"

namespace kelmoa {
namespace {

StrList Words(std::u16string_view line) {
  StrList words;
  std::vector<int> cols;
  GetWordsInLine(line, words, cols);
  return words;
}

TEST(WordsInLine, LinesOfEveryLengthSplitAsCharacterByCharacter) {
  // Lines up to 140 characters (past the two 64-character halves) from letters, apostrophes,
  // characters next to the letters in the code table, and characters far above them.
  const std::u16string alphabet = u"aAIbZz' -1.@[`{\u3042\uFF41\u8061\u0141";
  std::mt19937 rng(7);
  for (int round = 0; round < 20000; ++round) {
    std::u16string line(rng() % 141, u' ');
    for (char16_t& ch : line)
      ch = alphabet[rng() % alphabet.size()];
    StrList expected = NewStrList();
    std::vector<int> expectedCols{0};
    for (size_t j = 0; j < line.size();) {
      if (!IsAlphabet(line[j])) {
        ++j;
        continue;
      }
      size_t e = j + 1;
      while (e < line.size() && IsWordChr(line[e]))
        ++e;
      if (e - j > 1 || line[j] == u'I' || line[j] == u'A' || line[j] == u'a') {
        expected.push_back(line.substr(j, e - j));
        expectedCols.push_back(static_cast<int>(j) + 1);
      }
      j = e;
    }
    StrList words;
    std::vector<int> cols;
    GetWordsInLine(line, words, cols);
    ASSERT_EQ(words, expected) << round;
    ASSERT_EQ(cols, expectedCols) << round;
  }
}

class Layout : public ::testing::Test {
 protected:
  void SetUp() override {
    setting.HalfWidth = 7;
    setting.FullWidth = 14;
    setting.CharHeight = 14;
  }
  // As the open routine loads a text.
  void Load(StrList lines) {
    maxRight = longest = 0;
    SetNewTextLines(*doc, std::move(lines), setting, maxRight, longest);
    GetWordListOfText(doc->mTxt, doc->mChrX, doc->words);
  }
  SettingInfo setting;
  std::unique_ptr<TextDocument> doc = std::make_unique<TextDocument>();
  int maxRight = 0, longest = 0;
};

TEST_F(Layout, PositionsOfEveryLineOfAFullGridFollowTheCharactersWidths) {
  // All 9000 lines, of every length up to 100, mixing ASCII, double-byte characters and
  // single-byte katakana (outside ASCII yet half width) at random places.
  std::mt19937 rng(7);
  const std::u16string pool = u"ab .'Zあ漢ｱ";
  StrList lines = NewStrList();
  for (int i = 1; i <= kGridLines; ++i) {
    std::u16string line(rng() % 101, u'a');
    const bool plain = rng() % 2 == 0;
    for (char16_t& ch : line)
      ch = pool[rng() % (plain ? 5 : pool.size())];
    lines.push_back(line);
  }
  Load(lines);
  for (int i = 1; i <= kGridLines; ++i) {
    const std::u16string& line = lines[static_cast<size_t>(i)];
    int x = TextLeft(setting), last = x;
    for (size_t k = 0; k < line.size(); ++k) {
      ASSERT_EQ(doc->mChrX(i, static_cast<int>(k) + 1), x) << i << " " << k;
      last = x;
      x += (line[k] == u'あ' || line[k] == u'漢') ? setting.FullWidth : setting.HalfWidth;
    }
    // The right edge: one half width past the last character's left edge.
    const auto edge = static_cast<int>(std::max<size_t>(line.size(), 1)) + 1;
    ASSERT_EQ(doc->mChrX(i, edge), last + setting.HalfWidth) << i;
  }
}

TEST_F(Layout, ALongTextsWordTableHoldsEachLinesWordsInOrder) {
  // Long enough to be split in two halves; some lines have no words, some double-byte text.
  StrList lines = NewStrList();
  for (int i = 1; i <= 2501; ++i) {
    std::u16string line;
    for (int w = 0; w < i % 7; ++w)
      line += w % 3 == 0 ? u"語 word " : u"it's a ";
    lines.push_back(line.substr(0, 100));
  }
  Load(lines);
  const WordTable& t = doc->words;
  int k = 0;
  StrList words;
  std::vector<int> cols;
  for (int i = 1; i <= 2501; ++i) {
    GetWordsInLine(lines[static_cast<size_t>(i)], words, cols);
    const int m = UpperBound(words);
    ASSERT_EQ(t.mLineFirstWord[static_cast<size_t>(i)], m == 0 ? 0 : k + 1) << i;
    ASSERT_EQ(t.mLineLastWord[static_cast<size_t>(i)], m == 0 ? 0 : k + m) << i;
    for (int j = 1; j <= m; ++j) {
      const auto w = static_cast<size_t>(++k);
      ASSERT_EQ(t.mWordLine[w], i);
      ASSERT_EQ(t.mWordCol[w], cols[static_cast<size_t>(j)]);
      ASSERT_EQ(t.Word(k), words[static_cast<size_t>(j)]);
      ASSERT_EQ(t.mWordX1[w], doc->mChrX(i, t.mWordCol[w]));
      ASSERT_EQ(t.mWordX2[w], doc->mChrX(i, t.mWordCol[w] + t.mWordLen[w]));
    }
  }
  EXPECT_EQ(t.Count(), k);
  EXPECT_GT(k, 10000);

  // A short text after it: nothing of the long one is left in the grids.
  doc->mChrColor(3, 2) = kColorBlue;
  Load({u"", u"ab", u"あb"});
  EXPECT_EQ(doc->LineCount(), 2);
  EXPECT_EQ(doc->mTxt[2], u"あb");
  EXPECT_EQ(GetLineLen(doc->mChr, 2), 2);
  EXPECT_EQ(doc->mChrX(2, 2), TextLeft(setting) + setting.FullWidth);
  EXPECT_EQ(doc->mChrColor(2, 1), kColorBlack);
  for (int i = 3; i <= 2501; ++i)
    ASSERT_EQ(GetLineLen(doc->mChr, i), 0) << i;
  EXPECT_EQ(maxRight, TextLeft(setting) + setting.FullWidth + setting.HalfWidth);
  EXPECT_EQ(longest, 2);
}

TEST_F(Layout, EmptyTextAndControlCharactersInALine) {
  Load({u""});
  EXPECT_EQ(maxRight, 0);
  EXPECT_EQ(doc->words.Count(), 0);
  // A NUL or another control character stands as a blank: the rest of the line is laid out,
  // and the character ends the word before it.
  struct Case {
    std::u16string line;
    std::vector<std::u16string> words;
  };
  const Case cases[] = {
      {std::u16string(u"dog\0cat runs", 12), {u"dog", u"cat", u"runs"}},
      {std::u16string(u"\0\0ab", 4), {u"ab"}},
      {u"dog\x01\x1F\x7F"
       u"cat\tend",
       {u"dog", u"cat", u"end"}},
      {std::u16string(u"is\0", 3), {u"is"}},
  };
  for (const Case& c : cases) {
    Load({u"", c.line});
    const auto len = static_cast<int>(c.line.size());
    EXPECT_EQ(GetLineLen(doc->mChr, 1), len);
    for (int col = 1; col <= len; ++col) {
      const char16_t in = c.line[static_cast<size_t>(col - 1)];
      EXPECT_EQ(doc->mChr(1, col), in < u' ' || in == u'\x7F' ? u' ' : in) << col;
    }
    EXPECT_EQ(doc->mChrX(1, len + 1), TextLeft(setting) + len * setting.HalfWidth);
    ASSERT_EQ(doc->words.Count(), static_cast<int>(c.words.size()));
    for (int k = 1; k <= doc->words.Count(); ++k)
      EXPECT_EQ(doc->words.Word(k), c.words[static_cast<size_t>(k - 1)]);
  }
  Load({u"", u"x"});
  EXPECT_EQ(GetLineLen(doc->mChr, 1), 1) << "a load clears what the previous text left";
}

}  // namespace
}  // namespace kelmoa
