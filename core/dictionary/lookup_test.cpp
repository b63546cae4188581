// Tests of the word lookup and its inflection rules.
#include "core/dictionary/lookup.h"

#include <gtest/gtest.h>

#include "core/base/str_list.h"

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

}  // namespace
}  // namespace kelmoa
