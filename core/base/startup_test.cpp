// Tests of the run's folders and the startup checks.
#include "core/base/startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "core/base/fixtures_test.h"

namespace kelmoa {
namespace {

using testing::ReadBytes;
using testing::TempDir;

TEST(Startup, PathsHangOnTheProgramFile) {
  const ProgramPaths p = ProgramPaths::FromProgramFile("/opt/kelmoa/bin/Kelmoa");
  EXPECT_EQ(p.programFolder, "/opt/kelmoa/bin");
  EXPECT_EQ(p.baseFolder, "/opt/kelmoa");
  EXPECT_EQ(p.exeBaseName, "Kelmoa");
  EXPECT_EQ(p.DataPath("dic", "Dic_EJ.txt"), "/opt/kelmoa/dic/Dic_EJ.txt");
  EXPECT_EQ(ProgramPaths::FromProgramFile("/Kelmoa").baseFolder, "");
}

TEST(Startup, AllFoldersPresentLogsOnlyTheStartLine) {
  TempDir dir;
  testing::MakeDataFolders(dir.path());
  const ProgramPaths p = ProgramPaths::FromProgramFile(dir / "bin/Kelmoa");
  testing::WriteBytes(dir / "bin/Kelmoa.log", "old run\r\n");
  EXPECT_TRUE(StartLogAndCheckDataFolders(p));
  EXPECT_TRUE(std::regex_match(ReadBytes(dir / "bin/Kelmoa.log"),
                               std::regex(R"(\d\d:\d\d:\d\d log start\r\n)")));
}

TEST(Startup, FirstMissingFolderIsLoggedAndTheRestNotLookedAt) {
  TempDir dir;
  testing::MakeDataFolders(dir.path());
  std::filesystem::remove(dir / "dic_backup");
  std::filesystem::remove(dir / "txt_shift_jis");
  const ProgramPaths p = ProgramPaths::FromProgramFile(dir / "bin/Kelmoa");
  EXPECT_FALSE(StartLogAndCheckDataFolders(p));
  EXPECT_TRUE(std::regex_match(
      ReadBytes(dir / "bin/Kelmoa.log"),
      std::regex(R"(\d\d:\d\d:\d\d log start\r\n\d\d:\d\d:\d\d dic_backup\r\n)")));
  EXPECT_FALSE(std::filesystem::exists(dir / "dic_backup")) << "nothing is created";
}

TEST(Startup, APlainFileIsNoFolder) {
  TempDir dir;
  testing::MakeDataFolders(dir.path());
  std::filesystem::remove(dir / "dic");
  testing::WriteBytes(dir / "dic", "not a folder");
  EXPECT_FALSE(StartLogAndCheckDataFolders(ProgramPaths::FromProgramFile(dir / "bin/Kelmoa")));
  EXPECT_NE(ReadBytes(dir / "bin/Kelmoa.log").find(" dic\r\n"), std::string::npos);
}

TEST(Startup, AProgramFileWithAnotherNameLogsMissingFoldersToItsOwnLog) {
  TempDir dir;
  std::filesystem::create_directories(dir / "bin");
  const ProgramPaths p = ProgramPaths::FromProgramFile(dir / "bin/reader");
  EXPECT_FALSE(StartLogAndCheckDataFolders(p));
  EXPECT_EQ(ReadBytes(dir / "bin/Kelmoa.log").find(" dic"), std::string::npos);
  EXPECT_NE(ReadBytes(dir / "bin/reader.log").find(" dic\r\n"), std::string::npos);
}

}  // namespace
}  // namespace kelmoa
