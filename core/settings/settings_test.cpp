// Tests of the settings: the ranges a read value is held to, and a settings file that is
// written through without losing another program's lines.
#include "core/settings/settings.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <tuple>
#include <vector>

#include "core/base/fixtures_test.h"
#include "core/settings/ini_file.h"
#include "core/text/messages.h"

namespace kelmoa {
namespace {

using namespace testing;  // the shared fixtures

struct Read {
  SettingInfo setting;
  std::vector<std::u16string> messages;
};

Read ReadIni(const std::string& path, int screenWidth = 1920) {
  SettingInfo def, max;
  SetDefaultSettings(screenWidth, def, max);
  Read r;
  ReadIniSettings(path, def, max, r.setting,
                  [&](const std::u16string& m) { r.messages.push_back(m); });
  return r;
}

// The three values the reader holds to ranges.
std::tuple<float, int, int> Ranged(const SettingInfo& s) {
  return {s.FontSize, s.LineSpace, s.FormLeft};
}

TEST(SettingsRead, EachBadValueGivesItsMessageThenTheDefault) {
  TempDir dir;
  WriteBytes(
      dir / "k.ini",
      "[setting]\r\nFontSize=10\r\nLineSpace=7\r\nFormLeft=-20\r\nTextEditor=/no/editor\r\n");
  const Read r = ReadIni(dir / "k.ini");
  ASSERT_EQ(r.messages.size(), 4u);
  EXPECT_EQ(r.messages[0],
            u"iniファイルの設定値が範囲外でした。\r\n    フォントサイズ：10\r\n"
            u"デフォルト値9.75に設定します。\r\n");
  EXPECT_NE(r.messages[1].find(u"行間：7"), std::u16string::npos);
  EXPECT_EQ(r.messages[2], kMsgEditorNotFound);
  EXPECT_NE(r.messages[3].find(u"フォームLeft：-20"), std::u16string::npos);
  EXPECT_EQ(Ranged(r.setting), std::tuple(9.75f, 3, 0));
  EXPECT_EQ(r.setting.TextEditor, u"");
  EXPECT_NE(ReadBytes(dir / "k.ini").find("/no/editor"), std::string::npos)
      << "corrections stay in memory";
}

TEST(SettingsRead, GoodValuesInAnyLetterCaseAreTakenUpToTheLimits) {
  TempDir dir;
  WriteBytes(dir / "k.ini", "[SETTING]\r\nfontsize=12.75\r\nLINESPACE = 5\r\nformleft=120\r\n");
  Read r = ReadIni(dir / "k.ini");
  EXPECT_TRUE(r.messages.empty());
  EXPECT_EQ(Ranged(r.setting), std::tuple(12.75f, 5, 120));
  // 3 and 5 bound the line space.
  for (const char* space : {"3", "2", "6", "", "x", "4.5", "99999999999"}) {
    WriteBytes(dir / "k.ini", "[setting]\r\nLineSpace=" + std::string(space) + "\r\n");
    EXPECT_EQ(ReadIni(dir / "k.ini").messages.size(), space[0] == '3' ? 0u : 1u) << space;
  }
  WriteBytes(dir / "k.ini", "[setting]\r\nFontSize=abc\r\nFormLeft=1728\r\n");
  r = ReadIni(dir / "k.ini");
  ASSERT_EQ(r.messages.size(), 1u) << "1728 is the limit for a 1920-pixel screen";
  EXPECT_NE(r.messages[0].find(u"フォントサイズ：abc"), std::u16string::npos);
  WriteBytes(dir / "k.ini", "[setting]\r\nFormLeft=1728\r\n");
  EXPECT_EQ(ReadIni(dir / "k.ini", 1919).messages.size(), 1u);
  // An editor path is cut to 99 bytes.
  WriteBytes(dir / "k.ini", "[setting]\r\nTextEditor=" + dir / std::string(120, 'e') + "\r\n");
  EXPECT_EQ(GetIniValue(dir / "k.ini", u"setting", u"texteditor", u"").size(), 99u);
}

TEST(SettingsWrite, HoverAddsWordIsWrittenOnceTurnedOnAndReadBack) {
  TempDir dir;
  SettingInfo s;
  s.HoverAddsWord = true;
  ASSERT_TRUE(WriteIniSettings(dir / "k.ini", s, 0).ok());
  EXPECT_NE(ReadBytes(dir / "k.ini").find("\r\nHoverAddsWord=1\r\n"), std::string::npos);
  EXPECT_TRUE(ReadIni(dir / "k.ini").setting.HoverAddsWord);
  s.HoverAddsWord = false;
  ASSERT_TRUE(WriteIniSettings(dir / "k.ini", s, 0).ok());
  EXPECT_NE(ReadBytes(dir / "k.ini").find("\r\nHoverAddsWord=0\r\n"), std::string::npos);
  for (const char* value : {"0", "yes", "2", ""}) {
    WriteBytes(dir / "k.ini", "[setting]\r\nHoverAddsWord=" + std::string(value) + "\r\n");
    const Read r = ReadIni(dir / "k.ini");
    EXPECT_TRUE(!r.setting.HoverAddsWord && r.messages.empty()) << value;
  }
}

TEST(SettingsWrite, AWindowPlaceComesBackAndAMangledOneIsIgnored) {
  TempDir dir;
  const WindowPlace place{-4, 30, 640, 420};
  ASSERT_TRUE(WriteIniWindowPlace(dir / "k.ini", kIniWordListPlaceKey, place).ok());
  EXPECT_EQ(ReadIniWindowPlace(dir / "k.ini", kIniWordListPlaceKey), place);
  for (const char* value : {"1,2,3", "1,2,3,4,5", "1,2,0,4", "a,2,3,4", "1,,3,4", ""}) {
    WriteBytes(dir / "k.ini", "[setting]\r\nWordListWindow=" + std::string(value) + "\r\n");
    EXPECT_FALSE(ReadIniWindowPlace(dir / "k.ini", kIniWordListPlaceKey).has_value()) << value;
  }
}

// A fresh file gets the four keys; other programs' lines go back byte for byte: bytes CP932
// cannot decode, UTF-8, lone CR and LF, and a last line without an end.
TEST(SettingsWrite, OnlyTheFourKeysChangeEveryOtherByteStays) {
  struct Case {
    const char* name;
    std::string before, after;
  };
  const std::string foreign =
      "[Other]\nname=\x80\xff\xa0\r\nutf8=caf\xc3\xa9 \xe2\x9c\x93\rraw=\x82\n";
  const std::vector<Case> cases = {
      {"no file yet", "",
       "[setting]\r\nFontsize=12.75\r\nLineSpace=5\r\nTextEditor=/b/ed\r\nFormLeft=40\r\n"},
      {"own section first, foreign after",
       "[setting]\r\nFontsize=9.75\nLineSpace=3\rTextEditor=x\r\nFormLeft=1\n\n" + foreign + "tail",
       "[setting]\r\nFontsize=12.75\nLineSpace=5\rTextEditor=/b/ed\r\nFormLeft=40\n\n" + foreign +
           "tail"},
      {"foreign only, no end on the last line", foreign + "last=\x81",
       foreign + "last=\x81\r\n[setting]\r\nFontsize=12.75\r\nLineSpace=5\r\nTextEditor=/b/ed\r\n"
                 "FormLeft=40\r\n"},
      {"keys with other spellings and spaces kept",
       "[SETTING]\nFONTSIZE = 9.75\n\x82\xa0junk\nlinespace\t=\t4\n",
       "[SETTING]\nFONTSIZE =12.75\n\x82\xa0junk\nlinespace\t=5\nTextEditor=/b/ed\nFormLeft=40\n"},
  };
  SettingInfo s;
  s.FontSize = 12.75f;
  s.LineSpace = 5;
  s.TextEditor = u"/b/ed";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    if (!c.before.empty())
      WriteBytes(dir / "k.ini", c.before);
    ASSERT_TRUE(WriteIniSettings(dir / "k.ini", s, 40).ok());
    EXPECT_EQ(ReadBytes(dir / "k.ini"), c.after);
    EXPECT_EQ(Ranged(ReadIni(dir / "k.ini").setting), std::tuple(12.75f, 5, 40));
    // Writing the same values again changes nothing at all.
    ASSERT_TRUE(WriteIniSettings(dir / "k.ini", s, 40).ok());
    EXPECT_EQ(ReadBytes(dir / "k.ini"), c.after);
  }
}

TEST(SettingsWrite, FormLeftOnEndingOnlyWhileTheWindowIsOnScreen) {
  TempDir dir;
  ASSERT_TRUE(WriteIniFormLeft(dir / "k.ini", -5, 10).ok());
  ASSERT_TRUE(WriteIniFormLeft(dir / "k.ini", 5, -1).ok());
  EXPECT_FALSE(std::filesystem::exists(dir / "k.ini"));
  ASSERT_TRUE(WriteIniFormLeft(dir / "k.ini", 300, 0).ok());
  EXPECT_EQ(ReadBytes(dir / "k.ini"), "[setting]\r\nFormLeft=300\r\n");
}

// A settings file that cannot be read, is write-protected or is no plain file stays as it is at
// the ending, for root as for anyone else; a link to a plain file is written through and stays.
TEST(SettingsWrite, AFileThatCannotBeKeptWholeIsLeftAsItIs) {
  TempDir dir;
  ::chmod(dir.path().c_str(), 0777);
  const std::string kept = "[setting]\r\nFontsize=12.75\r\nmine=1\r\n";
  struct Case {
    const char* name;
    std::function<void(const std::string&)> make;
    bool rootToo;  // root, who may read and write anything, is refused as well
    const char* says;
  };
  const std::vector<Case> cases = {
      {"unreadable", [](const std::string& p) { ::chmod(p.c_str(), 0); }, false, "読み取れません"},
      {"write-protected", [](const std::string& p) { ::chmod(p.c_str(), 0444); }, true,
       "書き込みが禁止"},
      {"a link to a device",
       [](const std::string& p) {
         std::filesystem::remove(p);
         std::filesystem::create_symlink("/dev/null", p);
       },
       true, "通常のファイルではありません"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir / (std::string(c.name) + ".ini");
    WriteBytes(path, kept);
    c.make(path);
    const auto refused = [&] {
      const Status s = WriteIniFormLeft(path, 5, 5);
      return !s.ok() && Utf16ToUtf8(StatusInWords(s)).find(c.says) != std::string::npos;
    };
    EXPECT_TRUE(!c.rootToo || refused());
    EXPECT_TRUE(InUnprivilegedChild(refused));
    if (!std::filesystem::is_symlink(path)) {
      ::chmod(path.c_str(), 0644);
      EXPECT_EQ(ReadBytes(path), kept);
    }
  }
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "a link to a device.ini"));

  WriteBytes(dir / "target.ini", kept);
  std::filesystem::create_symlink(dir / "target.ini", dir / "link.ini");
  ASSERT_TRUE(WriteIniFormLeft(dir / "link.ini", 5, 5).ok());
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
  EXPECT_EQ(ReadBytes(dir / "target.ini"), kept + "FormLeft=5\r\n");
}

}  // namespace
}  // namespace kelmoa
