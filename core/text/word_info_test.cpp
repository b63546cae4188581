// Tests of the page layout, word splitting and the words' dictionary results.
#include "core/text/word_info.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "core/base/codepage.h"
#include "core/base/fixtures_test.h"
#include "core/base/helpers.h"
#include "core/dictionary/dictionary.h"
#include "core/dictionary/lookup.h"
#include "core/text/layout.h"
#include "core/text/text_reader.h"

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
  const std::pair<std::u16string, std::vector<std::u16string>> cases[] = {
      {std::u16string(u"dog\0cat runs", 12), {u"dog", u"cat", u"runs"}},
      {std::u16string(u"\0\0ab", 4), {u"ab"}},
      {u"dog\x01\x1F\x7F"
       u"cat\tend",
       {u"dog", u"cat", u"end"}},
      {std::u16string(u"is\0", 3), {u"is"}},
      {u"ｶﾀｶﾅ dog", {u"dog"}},  // single-byte katakana is half width
  };
  for (const auto& [line, words] : cases) {
    SCOPED_TRACE(Utf16ToUtf8(line));
    Load({u"", line});
    const auto len = static_cast<int>(line.size());
    EXPECT_EQ(GetLineLen(doc->mChr, 1), len);
    for (int col = 1; col <= len; ++col) {
      const char16_t in = line[static_cast<size_t>(col - 1)];
      EXPECT_EQ(doc->mChr(1, col), in < u' ' || in == u'\x7F' ? u' ' : in) << col;
    }
    EXPECT_EQ(doc->mChrX(1, len + 1), TextLeft(setting) + len * setting.HalfWidth);
    std::vector<std::u16string> found;
    for (int k = 1; k <= doc->words.Count(); ++k)
      found.emplace_back(doc->words.Word(k));
    EXPECT_EQ(found, words);
  }
  Load({u"", u"x"});
  EXPECT_EQ(GetLineLen(doc->mChr, 1), 1) << "a load clears what the previous text left";
}

// Words marked from the given dictionary's head words.
class WordInfo : public Layout {
 protected:
  void Run(StrList lines, const std::vector<const char16_t*>& heads) {
    dic = NewStrList();
    for (const char16_t* h : heads)
      dic.emplace_back(h);
    doc->mTxt = std::move(lines);
    ClearCharGrid(doc->mChr);
    FillCharGrid(doc->mTxt, doc->mChr);
    ComputeCharPositions(doc->mChr, setting, doc->LineCount(), doc->mChrX, maxRight, longest);
    MarkKnownWords(*doc, dic, StrList(dic.size()));
  }
  // Index of the first word equal to w.
  int Find(std::u16string_view w) const {
    for (int k = 1; k <= doc->words.Count(); ++k) {
      if (doc->words.Word(k) == w)
        return k;
    }
    return 0;
  }
  StrList dic;
};

// A word broken by a hyphen at a line's end is joined with the next line's first word and
// looked up whole; the hyphen stays black.
TEST_F(WordInfo, HyphenBrokenWordsAreJoinedAcrossTheLineEnd) {
  const StrList broken{u"", u"1", u"2", u"3", u"4", u"the inter-", u"national day"};
  const struct {
    const char* name;
    StrList lines;
    std::vector<const char16_t*> heads;
    std::u16string word, joined;
    std::vector<int> hits;
  } cases[] = {
      {"first half", broken, {u"international"}, u"inter", u"international", {1}},
      {"second half", broken, {u"international"}, u"national", u"international", {1}},
      {"the next word", broken, {u"international"}, u"day", u"", {}},
      {"case kept",
       {u"", u"inter-  x-  ", u"National"},
       {u"internationalx"},
       u"inter",
       u"interNational",
       {1}},  // found by its beginning
      {"an empty line between", {u"", u"well-", u"", u"known"}, {u"well"}, u"well", u"", {1}},
      {"the last line", {u"", u"the end-"}, {u"end"}, u"end", u"", {1}},
      {"a blank before the hyphen", {u"", u"end -", u"game"}, {u"end"}, u"end", u"", {1}},
  };
  for (const auto& c : cases) {
    Run(c.lines, c.heads);
    EXPECT_EQ(doc->words.Joined(Find(c.word)), c.joined) << c.name;
    EXPECT_EQ(doc->words.DicHits(Find(c.word)), c.hits) << c.name;
  }
  Run(broken, {u"international"});
  EXPECT_EQ(doc->mChrColor(5, 10), kColorBlack) << "the hyphen stays black";
  Run(broken, {u"international", u"national"});
  EXPECT_EQ(doc->words.DicHits(Find(u"national")), std::vector<int>{2}) << "known by itself";
}

TEST_F(WordInfo, WordsThatDifferOnlyInTheMiddleOrInCaseAreTold) {
  // Same length, same first and last four letters: only the middle tells them apart.
  Run({u"", u"unremarkable Unreasonable UNREMARKABLE unreasonable's", u"abcde ABCDE abcdf"},
      {u"abcde", u"unreasonable"});
  std::vector<std::vector<int>> found;
  for (int k = 1; k <= doc->words.Count(); ++k)
    found.push_back(doc->words.DicHits(k));
  using Hits = std::vector<int>;
  EXPECT_EQ(found, (std::vector<Hits>{{}, {2}, {}, {2}, {1}, {1}, {}}));  // 's taken off
}

TEST_F(WordInfo, ARealEnglishTextAgreesWithWordByWordLookups) {
  testing::TempDir dir;
  std::string folded, line;
  for (const char c : testing::LicenceText()) {
    if (c != '\n') {
      line += c;
      continue;
    }
    folded += line.substr(0, 90) + "\r\n";
    line.clear();
  }
  // Long enough to be worked through in two halves: the second holds words the first has and
  // words it lacks (the text written backwards, some of whose words are head words too).
  std::string backwards;
  for (size_t start = 0; start < folded.size();) {
    const size_t end = folded.find("\r\n", start);
    backwards.append(folded.rbegin() + static_cast<long>(folded.size() - end),
                     folded.rend() - static_cast<long>(start));
    backwards += "\r\n";
    start = end + 2;
  }
  testing::WriteBytes(dir / "gpl.txt", folded + folded + backwards + folded);
  StrList lines;
  Status status;
  ASSERT_FALSE(ReadTextLines(dir / "gpl.txt", lines, status).broken());
  Run(lines, {u"copy", u"eht", u"free", u"krow", u"license", u"program", u"software", u"the",
              u"work", u"ypoc"});
  const WordTable& t = doc->words;
  ASSERT_GT(t.Count(), 20000);
  int known = 0;
  for (int k = 1; k <= t.Count(); ++k) {
    if (!t.Joined(k).empty())
      continue;
    ASSERT_EQ(t.DicHits(k), DicHitsOfWord(dic, LowerAscii(t.Word(k)))) << k;
    known += t.DicHits(k).empty() ? 0 : 1;
  }
  EXPECT_GT(known, 500);
  // Every character of a known word is blue, every other one black.
  Grid<uint8_t> expected;
  for (int k = 1; k <= t.Count(); ++k) {
    for (int c = 0; c < t.mWordLen[k] && !t.DicHits(k).empty(); ++c)
      expected(t.mWordLine[k], t.mWordCol[k] + c) = kColorBlue;
  }
  for (int i = 1; i <= doc->LineCount(); ++i) {
    for (int c = 1; c <= kGridCols; ++c)
      ASSERT_EQ(doc->mChrColor(i, c), expected(i, c)) << i << " " << c;
  }
}

TEST_F(WordInfo, AWordAtALinesEndLeavesTheNextLinesColoursAlone) {
  // Enough words for two halves; every line ends with a word at column 98 and the next one
  // begins with a known word.
  StrList lines = NewStrList();
  lines.resize(7001, u"the the" + std::u16string(90, u' ') + u"the");
  Run(lines, {u"the"});
  ASSERT_GT(doc->words.Count(), 20000);
  for (int i = 1; i <= 7000; ++i) {
    for (const int c : {1, 2, 3, 98, 99, 100})
      ASSERT_EQ(doc->mChrColor(i, c), kColorBlue) << i << " " << c;
    ASSERT_EQ(doc->mChrColor(i, 4), kColorBlack) << i;
  }
}

}  // namespace
}  // namespace kelmoa
