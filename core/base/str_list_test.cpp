#include "core/base/str_list.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "core/base/codepage.h"
#include "core/base/fixtures_test.h"

namespace kelmoa {
namespace {

StrList L(std::initializer_list<const char16_t*> items) {
  StrList l = NewStrList();
  for (const char16_t* s : items)
    l.emplace_back(s);
  return l;
}

TEST(SortList, OrdersByCodeUnitWithEmptyElementZeroFirst) {
  StrList mixed{u"", u"apple", u"Zoo", u"ab", u"a", u"'tis"};
  SortList(mixed);
  EXPECT_EQ(mixed, (StrList{u"", u"'tis", u"Zoo", u"a", u"ab", u"apple"}));
}

TEST(FindInSortedListNear, AgreesWithThePlainSearchFromAnyStart) {
  // Sizes around the powers of two, where the widening steps meet the list's ends.
  int idx = -1;
  EXPECT_FALSE(FindInSortedList(NewStrList(), u"a", idx));
  EXPECT_EQ(idx, 0);
  for (const int n : {1, 2, 3, 7, 8, 9, 33, 100}) {
    StrList list = NewStrList();
    for (int i = 1; i <= n; ++i)
      list.push_back(std::u16string(1, u'b') + std::u16string(static_cast<size_t>(i), u'b'));
    // Every element, and keys before, between and after them.
    StrList keys(list.begin() + 1, list.end());
    keys.insert(keys.end(), {u"a", u"bb", u"bba", u"bbc", u"c", u""});
    for (const std::u16string& key : keys) {
      int want = 0;
      const bool found = FindInSortedList(list, key, want);
      const auto place = std::lower_bound(list.begin() + 1, list.end(), key) - list.begin();
      EXPECT_EQ(found, place <= n && list[static_cast<size_t>(place)] == key) << key.size();
      EXPECT_EQ(want, found ? place : 0);
      for (int start = -1; start <= n + 2; ++start) {
        int near = start, idx = -1;
        EXPECT_EQ(FindInSortedListNear(list, key, near, idx), found);
        EXPECT_EQ(idx, want);
        EXPECT_EQ(near, std::min<long>(place, n)) << "n " << n << " start " << start;
      }
    }
  }
}

TEST(SearchDicByPrefix, CollectsAtMostThreeOfTheRunSkippingExclusions) {
  const StrList list = L({u"a", u"ab", u"abc", u"abd", u"abe", u"b"});
  std::u16string found;
  EXPECT_TRUE(SearchDicByPrefix(list, NewStrList(), u"ab", found));
  EXPECT_EQ(found, u"2,3,4");
  EXPECT_TRUE(SearchDicByPrefix(list, L({u"abc"}), u"ab", found));
  EXPECT_EQ(found, u"2,4,5");
  EXPECT_FALSE(SearchDicByPrefix(list, NewStrList(), u"c", found));
  EXPECT_EQ(found, u"");
  EXPECT_FALSE(SearchDicByPrefix(NewStrList(), NewStrList(), u"a", found));
  EXPECT_TRUE(SearchDicByPrefix(list, L({u"a"}), u"a", found));
  EXPECT_EQ(found, u"2,3,4");
}

TEST(SplitTextLines, CrLfAndLoneCrEndLinesButLoneLfDoesNot) {
  EXPECT_EQ(SplitTextLines(u""), NewStrList());
  EXPECT_EQ(SplitTextLines(u"a\r\nb\rc"), L({u"a", u"b", u"c"}));
  EXPECT_EQ(SplitTextLines(u"a\nb\r\n"), L({u"a\nb"}));
  EXPECT_EQ(SplitTextLines(u"\r\n\r\n"), L({u"", u""}));
  EXPECT_EQ(SplitTextLines(u"a\r\r\nb"), L({u"a", u"", u"b"}));
}

TEST(WriteLinesToFile, WritesElementsOneToNInCp932WithCrLf) {
  testing::TempDir dir;
  const std::string path = dir / "out.txt";
  ASSERT_TRUE(WriteLinesToFile(L({u"dog\t犬", u"～"}), path).ok());
  EXPECT_EQ(testing::ReadBytes(path), "dog\t\x8c\xa2\r\n\x81\x60\r\n");
  ASSERT_TRUE(WriteLinesToFile(NewStrList(), path).ok());
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(testing::ReadBytes(path), "");
  EXPECT_FALSE(WriteLinesToFile(L({u"x"}), dir / "missing/out.txt").ok());
}

}  // namespace
}  // namespace kelmoa
