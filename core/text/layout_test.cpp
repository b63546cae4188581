// Tests of the page layout.
#include "core/text/layout.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "core/base/codepage.h"
#include "core/base/helpers.h"

namespace kelmoa {
namespace {

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
      {u"ｶﾀｶﾅ dog", {u"dog"}},  // single-byte katakana is half width
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.line));
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
