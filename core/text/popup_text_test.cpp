// Tests of the word lookup and its inflection rules, and of the popup text: hit testing,
// composing and layout.
#include "core/text/popup_text.h"

#include <gtest/gtest.h>

#include "core/base/codepage.h"
#include "core/base/str_list.h"
#include "core/dictionary/lookup.h"

namespace kelmoa {
namespace {

using Hits = std::vector<int>;

StrList Forms(std::initializer_list<const char16_t*> items) {
  StrList l = NewStrList();
  for (const char16_t* s : items)
    l.emplace_back(s);
  return l;
}

TEST(InflectedBaseForms, RulesAddTheirCandidatesInOrder) {
  const std::pair<const char16_t*, StrList> cases[] = {
      {u"running", Forms({u"running", u"runn", u"runne", u"run"})},
      {u"studies", Forms({u"studies", u"studie", u"studi", u"study"})},
      {u"carried", Forms({u"carried", u"carrie", u"carri", u"carry"})},
      {u"happier", Forms({u"happier", u"happie", u"happi", u"happy"})},
      {u"stopped", Forms({u"stopped", u"stoppe", u"stopp", u"stop"})},
      {u"bigger", Forms({u"bigger", u"bigge", u"bigg"})},
      {u"carriers", Forms({u"carriers", u"carrier", u"carri", u"carry"})},
      {u"easiest", Forms({u"easiest", u"easie", u"easi", u"easy"})},
      {u"career", Forms({u"career", u"caree"})},
      {u"bothers", Forms({u"bothers", u"bother", u"both"})},
      {u"players'", Forms({u"players'", u"player", u"play"})},
      {u"s", Forms({u"s", u""})},  // short words fail the long tests
  };
  for (const auto& [word, forms] : cases)
    EXPECT_EQ(GetInflectedBaseForms(word), forms);
  EXPECT_NE(IndexOfStr(GetInflectedBaseForms(u"teacher's"), u"teacher"), -1);
}

// The word's own entry first, then its inflections in rule order; derivations only when
// nothing else matches; the seven-letter prefix search (at most three) only for a long word
// that nothing else matches.
TEST(DicHits, OwnEntryThenInflectionsThenDerivationsThenThePrefix) {
  const StrList forms = Forms({u"Tokyo", u"carry", u"dog", u"dogs", u"run", u"stop"});
  const StrList derived = Forms({u"act", u"kind", u"kindness", u"nation", u"quick"});
  const StrList inter =
      Forms({u"interact", u"interest", u"internal", u"international", u"internet", u"internship"});
  const StrList many = Forms({u"interna", u"internal", u"internals", u"internat", u"internb"});
  const struct {
    const StrList& dic;
    const char16_t* word;
    Hits hits;
    const char* why;
  } cases[] = {
      {forms, u"dogs", {4, 3}, ""},
      {forms, u"running", {5}, ""},
      {forms, u"carriers", {2}, "carry once"},
      {forms, u"stopped", {6}, ""},
      {forms, u"tokyo", {}, "capitalised head words are not found"},
      {derived, u"quickly", {5}, ""},
      {derived, u"action", {1}, ""},
      {derived, u"national", {4}, ""},
      {derived, u"kindness", {3}, "kind is not added"},
      {inter, u"internationalization", {3, 4}, "internal and international share interna"},
      {many, u"internationalizations", {1, 2, 3}, "at most three"},
      {Forms({u"meetin", u"meetingx"}), u"meetings", {}, "the candidate meeting is the prefix"},
      {Forms({u"abcdefgh"}), u"abcdefg", {}, "seven letters never search by the prefix"},
      {NewStrList(), u"dog", {}, "an empty dictionary"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DicHitsOfWord(c.dic, c.word), c.hits) << c.why;
}

TEST(WordMeaning, FirstMatchingCandidateWithItsMeanings) {
  Dictionary dic;
  dic.AddInMemory(u"run", u"走る");
  dic.AddInMemory(u"run", u"運営する");
  dic.AddInMemory(u"runs", u"連続");
  int idx = -1;
  std::u16string form;
  StrList meanings;
  LookUpMeanings(dic, u"running", idx, form, meanings);
  EXPECT_EQ(idx, 1);
  EXPECT_EQ(form, u"run");
  EXPECT_EQ(meanings, (StrList{u"", u"走る", u"運営する"}));
  LookUpMeanings(dic, u"runs", idx, form, meanings);
  EXPECT_EQ(form, u"runs");
  LookUpMeanings(dic, u"walk", idx, form, meanings);
  EXPECT_EQ(idx, 0);
  EXPECT_EQ(form, u"");
  EXPECT_EQ(meanings, NewStrList());
}

// Three lines at pitch 17: line 1 holds words 1 (x 47..68) and 2 (x 75..96), line 2 none,
// line 3 word 3 (x 47..75). The word under a point, as the text pane finds it: the line under
// y, then the word of that line under x.
int At(double x, double y, int firstLine = 1) {
  static const std::vector<int> first{0, 1, 0, 3}, last{0, 2, 0, 3};
  static const std::vector<int16_t> x1{0, 47, 75, 47}, x2{0, 68, 96, 75};
  return WordOnLineAt(LineAtY(y, firstLine, 17), x, first, last, x1, x2);
}

// The word under a point: edges excluded; none in the margins, the line-number column, a line
// without words, below the text. The gap below a line belongs to it: (y - 5) is rounded,
// halves to even, then divided.
TEST(HitTest, FindsTheWordOfTheLineUnderThePoint) {
  const struct {
    double x, y;
    int firstLine, word;
  } cases[] = {
      {50, 10, 1, 1},   {80, 10, 1, 2},   {50, 40, 1, 3},   {50, 10, 3, 3},  // scrolled by two
      {47, 10, 1, 0},   {68, 10, 1, 0},   {47.5, 10, 1, 1}, {67.5, 10, 1, 1}, {70, 10, 1, 0},
      {50, 4.9, 1, 0},  {20, 10, 1, 0},   {50, 25, 1, 0},   {50, 56, 1, 0},   {50, 10, 4, 0},
      {50, 21.5, 1, 1}, {50, 21.6, 1, 0}, {50, 39.0, 1, 3},
  };
  for (const auto& c : cases)
    EXPECT_EQ(At(c.x, c.y, c.firstLine), c.word) << c.x << "," << c.y << " from " << c.firstLine;
}

// Every character 6.5 pixels wide, as the pane font draws single-byte characters at 9.75 pt.
double Width(std::u16string_view s) {
  return 6.5 * static_cast<double>(s.size());
}

// Below the line from the word's left edge, as wide as its text (halves to even); above the
// line near the pane's bottom, and shifted to stay inside its right edge. The pane is 561 by
// 600 pixels, the pitch 17.
TEST(PopupLayout, BelowTheLineUnlessItWouldLeaveThePane) {
  using Lines = std::vector<std::u16string>;
  const struct {
    Lines lines;
    int lineTop, leftX;
    int left, top, width, height;
  } cases[] = {
      {{u"abcd", u"ab"}, 22, 75, 75, 22 + 17, 4 + 26 + 20, 2 * 17 + 5},
      {{u"abc"}, 5, 47, 47, 22, 24 + 20, 22},  // 23.5 rounds to 24
      {{u"a"}, 5, 47, 47, 22, 10 + 20, 22},    // 10.5 rounds to 10
      {{u"a", u"b"}, 580, 47, 47, 580 - 34 - 17, 30, 39},
      {{u"a", u"b"}, 600 - 39 - 17, 47, 47, 600 - 39, 30, 39},
      {{u"abcdefghij"}, 5, 540, 561 - 89 - 2, 22, 89, 22},
      {{u"abcdefghij"}, 5, 470, 470, 22, 89, 22},
      {{}, 5, 47, 47, 22, 4 + 20, 22},  // one empty line at least
  };
  for (const auto& c : cases) {
    const PopupLayout p = LayoutMeaningPopup(c.lines, c.lineTop, c.leftX, 17, 561, 600, Width);
    EXPECT_EQ(std::vector({p.left, p.top, p.width, p.height}),
              std::vector({c.left, c.top, c.width, c.height}))
        << c.lineTop << "," << c.leftX;
  }
}

// A dictionary of the look-alikes the suffix rules reach, with tags as the import writes them,
// and words whose own entries name their base.
class PopupOfAWord : public ::testing::Test {
 protected:
  PopupOfAWord() {
    const std::pair<const char16_t*, const char16_t*> kEntries[] = {
        {u"bee", u"①【名】蜂"},
        {u"being", u"①【beの現在分詞】～であること\t②【名】存在"},
        {u"cost", u"①【名】費用"},
        {u"di", u"①【名】ジ"},
        {u"die", u"①【自】死ぬ\t②【名】さいころ"},
        {u"doe", u"①【名】雌鹿"},
        {u"ground", u"①【名】地面\t②【grindの過去】ひいた"},
        {u"ha", u"①【間】ほらね"},
        {u"hone", u"①【他】研ぐ"},
        {u"honest", u"①【形】正直な"},
        {u"minute", u"①【名】分"},
        {u"minutes", u"①【minuteの複数】分\t②【名】議事録"},
        {u"new", u"①【形】新しい"},
        {u"run", u"①【自】走る"},
        {u"sad", u"①【形】悲しい"},
        {u"sai", u"①【名】才"},
        {u"shin", u"①【名】すね\t②【自】(shin upで)よじ登る"},
        {u"shine", u"①【自】輝く"},
        {u"shining", u"①【形】輝く\t②【shineの現在分詞】輝いている"},
        {u"smile", u"①【自】ほほえむ"},
        {u"sound", u"①【名】音\t②【自】聞こえる"},
        {u"tall", u"①【形】背の高い"},
        {u"tell", u"教える"},  // a meaning a user added, without a tag
        {u"us", u"①【代】私たちを"},
        {u"use", u"①【他】使う"},
        {u"used", u"①【useの過去・過去分詞】使った\t②【形】中古の"},
    };
    // In the dictionary's order, which its searches need.
    for (const auto& [word, meanings] : kEntries) {
      words.emplace_back(word);
      meanings_.emplace_back(meanings);
    }
  }
  // The head words the popup of w draws on, w looked up as the text view looks it up.
  std::vector<std::u16string> HeadsShown(std::u16string_view w) const {
    std::vector<int> hits = DicHitsOfWord(words, w);
    if (hits.empty())
      hits = NegatedWordHits(words, meanings_, w);
    return BuildPopup(w, hits, words, meanings_).headWords;
  }
  StrList words = NewStrList();
  StrList meanings_ = NewStrList();
};

// -ing, -ed and -d reach verbs, -s nouns and verbs, -er and -est adjectives and adverbs, -ly
// adjectives; an entry without a class is shown whatever the rule; a base the word's own entry
// names, or another form it explains, is not shown again.
TEST_F(PopupOfAWord, ShowsOnlyTheHitsTheRuleFits) {
  using Heads = std::vector<std::u16string>;
  const std::pair<const char16_t*, Heads> kCases[] = {
      {u"being", {u"being"}},       // bee is a noun
      {u"doing", {}},               // doe is a noun
      {u"has", {}},                 // ha is an interjection
      {u"died", {u"die"}},          // di is a noun; die is a verb
      {u"said", {}},                // sai is a noun
      {u"running", {u"run"}},       //
      {u"tells", {u"tell"}},        // a user's meaning without a tag
      {u"news", {}},                // new is an adjective
      {u"taller", {u"tall"}},       //
      {u"sadly", {u"sad"}},         // -ly reaches the adjective
      {u"costly", {}},              // and not the noun
      {u"honestly", {u"honest"}},   //
      {u"used", {u"used"}},         // names use; us is a pronoun
      {u"minutes", {u"minutes"}},   // names minute
      {u"shining", {u"shining"}},   // names shine, and so explains itself: not shin
      {u"unsmiling", {u"smile"}},   // known only without its prefix
      {u"dishonest", {u"honest"}},  //
      {u"unhoned", {u"hone"}},      // a participle: -ed reaching a verb
      {u"untell", {}},              // tell is neither adjective nor participle
      {u"unit", {}},                // too short to hold a word after un-
  };
  for (const auto& [word, heads] : kCases)
    EXPECT_EQ(HeadsShown(word), heads) << Utf16ToUtf8(word);
}

// Of a base a rule reached, the meanings of the class the rule reaches come first, the rest
// after them in their order; a form label of the base is no meaning of that class.
TEST_F(PopupOfAWord, TheBasesMeaningsOfTheFormsClassComeFirst) {
  const auto lines = [&](std::u16string_view w) {
    return BuildPopup(w, DicHitsOfWord(words, w), words, meanings_).lines;
  };
  using Lines = std::vector<std::u16string>;
  EXPECT_EQ(lines(u"sounded"), (Lines{u"sound", u"②【自】聞こえる", u"①【名】音"}));
  EXPECT_EQ(lines(u"sounds"), (Lines{u"sound", u"①【名】音", u"②【自】聞こえる"}));
  EXPECT_EQ(lines(u"grounded"), (Lines{u"ground", u"①【名】地面", u"②【grindの過去】ひいた"}));
}

TEST_F(PopupOfAWord, ANegatedWordNamesItsPrefixAboveTheBase) {
  EXPECT_EQ(
      BuildPopup(u"Unsmiling", NegatedWordHits(words, meanings_, u"unsmiling"), words, meanings_)
          .lines,
      (std::vector<std::u16string>{u"un-(否定：～でない)＋smile", u"①【自】ほほえむ"}));
  // The lookup itself, which kelmoa-tool lookup prints, does not know it.
  EXPECT_TRUE(DicHitsOfWord(words, u"unsmiling").empty());
}

}  // namespace
}  // namespace kelmoa
