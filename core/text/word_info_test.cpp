// Tests of word splitting and the words' dictionary results.
#include "core/text/word_info.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/base/codepage.h"
#include "core/base/fixtures_test.h"
#include "core/base/helpers.h"
#include "core/dictionary/dictionary.h"
#include "core/dictionary/lookup.h"
#include "core/text/text_reader.h"

namespace kelmoa {
namespace {

class WordInfo : public ::testing::Test {
 protected:
  void Run(StrList lines, const std::vector<const char16_t*>& heads) {
    dic = NewStrList();
    for (const char16_t* h : heads)
      dic.emplace_back(h);
    doc->mTxt = std::move(lines);
    ClearCharGrid(doc->mChr);
    FillCharGrid(doc->mTxt, doc->mChr);
    SettingInfo s;
    s.HalfWidth = 7;
    s.FullWidth = 14;
    int right = 0, longest = 0;
    ComputeCharPositions(doc->mChr, s, doc->LineCount(), doc->mChrX, right, longest);
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
  std::unique_ptr<TextDocument> doc = std::make_unique<TextDocument>();
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
