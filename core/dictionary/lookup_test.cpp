// Tests of the word lookup and its inflection rules.
#include "core/dictionary/lookup.h"

#include <gtest/gtest.h>

#include "core/base/str_list.h"

namespace kelmoa {
namespace {

StrList Forms(std::initializer_list<const char16_t*> items) {
  StrList l = NewStrList();
  for (const char16_t* s : items)
    l.emplace_back(s);
  return l;
}

TEST(InflectedBaseForms, RulesAddTheirCandidatesInOrder) {
  EXPECT_EQ(GetInflectedBaseForms(u"running"), Forms({u"running", u"runn", u"runne", u"run"}));
  EXPECT_EQ(GetInflectedBaseForms(u"studies"), Forms({u"studies", u"studie", u"studi", u"study"}));
  EXPECT_EQ(GetInflectedBaseForms(u"carried"), Forms({u"carried", u"carrie", u"carri", u"carry"}));
  EXPECT_EQ(GetInflectedBaseForms(u"happier"), Forms({u"happier", u"happie", u"happi", u"happy"}));
  EXPECT_EQ(GetInflectedBaseForms(u"stopped"), Forms({u"stopped", u"stoppe", u"stopp", u"stop"}));
  EXPECT_EQ(GetInflectedBaseForms(u"bigger"), Forms({u"bigger", u"bigge", u"bigg"}));
  EXPECT_EQ(GetInflectedBaseForms(u"carriers"),
            Forms({u"carriers", u"carrier", u"carri", u"carry"}));
  EXPECT_EQ(GetInflectedBaseForms(u"easiest"), Forms({u"easiest", u"easie", u"easi", u"easy"}));
  EXPECT_EQ(GetInflectedBaseForms(u"career"), Forms({u"career", u"caree"}));
  EXPECT_EQ(GetInflectedBaseForms(u"bothers"), Forms({u"bothers", u"bother", u"both"}));
  EXPECT_EQ(GetInflectedBaseForms(u"players'"), Forms({u"players'", u"player", u"play"}));
  const StrList teachers = GetInflectedBaseForms(u"teacher's");
  EXPECT_NE(IndexOfStr(teachers, u"teacher"), -1);
  EXPECT_EQ(GetInflectedBaseForms(u"s"), Forms({u"s", u""})) << "short words fail the long tests";
}

TEST(DicIdxList, ExactEntryFirstThenInflectionsInRuleOrder) {
  const StrList dic = Forms({u"Tokyo", u"carry", u"dog", u"dogs", u"run", u"stop"});
  EXPECT_EQ(GetDicIdxListOfWord(dic, u"dogs"), u"4,3");
  EXPECT_EQ(GetDicIdxListOfWord(dic, u"running"), u"5");
  EXPECT_EQ(GetDicIdxListOfWord(dic, u"carriers"), u"2") << "carry once";
  EXPECT_EQ(GetDicIdxListOfWord(dic, u"stopped"), u"6");
  EXPECT_EQ(GetDicIdxListOfWord(dic, u"tokyo"), u"") << "capitalised head words are not found";
  EXPECT_EQ(GetDicIdxListOfWord(NewStrList(), u"dog"), u"");
}

TEST(DicIdxList, DerivationsOnlyWhenNothingElseMatches) {
  const StrList dic = Forms({u"act", u"kind", u"kindness", u"nation", u"quick"});
  EXPECT_EQ(GetDicIdxListOfWord(dic, u"quickly"), u"5");
  EXPECT_EQ(GetDicIdxListOfWord(dic, u"action"), u"1");
  EXPECT_EQ(GetDicIdxListOfWord(dic, u"national"), u"4");
  EXPECT_EQ(GetDicIdxListOfWord(dic, u"kindness"), u"3") << "kind is not added";
}

TEST(DicIdxList, SevenLetterPrefixSearchForLongUnknownWords) {
  const StrList dic =
      Forms({u"interact", u"interest", u"internal", u"international", u"internet", u"internship"});
  // internal..internship share "interna": international, internal ... at most three.
  EXPECT_EQ(GetDicIdxListOfWord(dic, u"internationalization"), u"3,4");
  const StrList many = Forms({u"interna", u"internal", u"internals", u"internat", u"internb"});
  EXPECT_EQ(GetDicIdxListOfWord(many, u"internationalizations"), u"1,2,3");
  EXPECT_EQ(GetDicIdxListOfWord(Forms({u"meetin", u"meetingx"}), u"meetings"), u"")
      << "the candidate meeting equals the prefix: no prefix search";
  EXPECT_EQ(GetDicIdxListOfWord(Forms({u"abcdefgh"}), u"abcdefg"), u"")
      << "seven letters never trigger it";
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
