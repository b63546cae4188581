// Tests of the small string and path helpers.
#include "core/base/helpers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "core/base/codepage.h"
#include "core/base/fixtures_test.h"

namespace kelmoa {
namespace {

TEST(Helpers, DigitAndWordTests) {
  EXPECT_TRUE(IsAllDigits(u"0123"));
  EXPECT_FALSE(IsAllDigits(u""));
  EXPECT_FALSE(IsAllDigits(u"4.0"));
  EXPECT_FALSE(IsAllDigits(u"４")) << "full-width digits are not digits";
  EXPECT_FALSE(IsAllDigits(u"-1"));

  EXPECT_TRUE(IsEnglishWord(u"don't"));
  EXPECT_TRUE(IsEnglishWord(u"A"));
  EXPECT_FALSE(IsEnglishWord(u"'tis"));
  EXPECT_FALSE(IsEnglishWord(u"x-ray"));
  EXPECT_FALSE(IsEnglishWord(u""));
  EXPECT_FALSE(IsEnglishWord(u"café"));

  EXPECT_EQ(LowerAscii(u"The DOG's Ä"), u"the dog's Ä");
}

TEST(Helpers, SplitAtKeepsEmptyParts) {
  using Parts = std::vector<std::u16string_view>;
  const struct {
    std::u16string_view text;
    Parts parts;
  } cases[] = {
      {u"", {u""}},
      {u"a", {u"a"}},
      {u"a\tb", {u"a", u"b"}},
      {u"\ta\t\t", {u"", u"a", u"", u""}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SplitAt(c.text, u'\t'), c.parts) << Utf16ToUtf8(c.text);
}

TEST(Helpers, PathPartsSkipATrailingSlash) {
  EXPECT_EQ(GetBaseFolder("/opt/kelmoa/bin"), "/opt/kelmoa");
  EXPECT_EQ(GetBaseFolder("/home/u/dir/sub"), "/home/u/dir");
  EXPECT_EQ(GetBaseFolder("/opt/"), "") << "a folder below the root has an empty base folder";
  EXPECT_EQ(GetBaseFolder("/"), "");
  EXPECT_EQ(GetBaseFolder("bin"), "");
  EXPECT_EQ(GetFileNameOfPath("/home/u/a b.txt"), "a b.txt");
  EXPECT_EQ(GetFileNameOfPath("/home/u/"), "u/");
  EXPECT_EQ(GetFileNameOfPath("name"), "");
}

TEST(Helpers, FileAndFolderTestsTellThemApart) {
  testing::TempDir dir;
  testing::WriteBytes(dir / "file.txt", "x");
  testing::WriteBytes(dir / ".hidden", "x");
  std::filesystem::create_directory(dir / "folder");
  EXPECT_TRUE(IsFileExist(dir / "file.txt"));
  EXPECT_FALSE(IsFileExist(dir / "folder"));
  EXPECT_FALSE(IsFileExist(dir / ".hidden"));
  EXPECT_FALSE(IsFileExist(dir / "missing"));
  EXPECT_FALSE(IsFileExist(""));
  EXPECT_TRUE(IsFolderExist(dir / "folder"));
  EXPECT_FALSE(IsFolderExist(dir / "file.txt"));
  EXPECT_FALSE(IsFolderExist(""));
}

}  // namespace
}  // namespace kelmoa
