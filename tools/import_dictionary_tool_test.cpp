// `kelmoa-tool import-edict`, run as a separate program the way scripts use it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/fixtures_test.h"

namespace kelmoa {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// Runs kelmoa-tool import-edict with args (paths without spaces); stdout and stderr go to
// dir/.out and dir/.err. Returns the exit status.
int ImportEdictTool(const TempDir& dir, const std::string& args) {
  const std::string cmd = std::string(KELMOA_TOOL_PATH) + " import-edict " + args + " >" +
                          (dir / ".out") + " 2>" + (dir / ".err");
  const int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// "犬 [いぬ] /(n) dog/(P)/" and "猫 [ねこ] /(n) cat/" in EUC-JP.
const std::string kEdict =
    "\xB8\xA4 [\xA4\xA4\xA4\xCC] /(n) dog/(P)/\n"
    "\xC7\xAD [\xA4\xCD\xA4\xB3] /(n) cat/\n";

TEST(ImportEdictTool, ReplacesTheDictionaryAndPrintsNothing) {
  TempDir dir;
  WriteBytes(dir / "edict", kEdict);
  WriteBytes(dir / "Dic_EJ.txt", "old\tdictionary\r\n");
  EXPECT_EQ(ImportEdictTool(dir, dir / "edict " + dir / "Dic_EJ.txt"), 0);
  EXPECT_EQ(ReadBytes(dir / ".out") + ReadBytes(dir / ".err"), "");
  EXPECT_EQ(ReadBytes(dir / "Dic_EJ.txt"),
            testing::Sjis("cat\t【名】猫(ねこ)\r\ndog\t【名】犬(いぬ)\r\n"));
  // edict, Dic_EJ.txt, .out and .err: no temporary file is left beside the dictionary.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 4);
}

TEST(ImportEdictTool, AFailureIsReportedAndLeavesTheOldDictionaryAlone) {
  TempDir dir;
  const std::string old = "old\tdictionary\r\n";
  WriteBytes(dir / "Dic_EJ.txt", old);
  WriteBytes(dir / "notes.txt", "Just some English.\n");
  WriteBytes(dir / "edict", kEdict);
  const std::pair<std::string, std::string> kCases[] = {
      {dir / "none " + dir / "Dic_EJ.txt", dir / "none"},
      {dir / "notes.txt " + dir / "Dic_EJ.txt", "no EDICT entry"},
      {dir / "edict " + dir / "no/such/Dic_EJ.txt", "no/such"},
  };
  for (const auto& [args, said] : kCases) {
    EXPECT_EQ(ImportEdictTool(dir, args), 1) << args;
    EXPECT_NE(ReadBytes(dir / ".err").find(said), std::string::npos) << ReadBytes(dir / ".err");
  }
  EXPECT_EQ(ReadBytes(dir / "Dic_EJ.txt"), old);
  EXPECT_EQ(ImportEdictTool(dir, dir / "edict"), 2);
}

}  // namespace
}  // namespace kelmoa
