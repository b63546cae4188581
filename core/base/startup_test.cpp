// Tests of the run's folders and the startup checks.
#include "core/base/startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "core/base/fixtures_test.h"

namespace kelmoa {
namespace {

using namespace testing;  // the shared fixtures

// A fresh Kelmoa.log each start; the missing folder goes in the log named after the program
// file, and nothing is created.
TEST(Startup, TheLogNamesTheFirstMissingDataFolder) {
  struct Case {
    const char* name;
    std::vector<std::string> removed;
    bool dicIsAFile;
    const char* program;
    bool ok;
    std::string missing;  // the folder named in the program's log
  };
  const Case cases[] = {
      {"all there", {}, false, "Kelmoa", true, ""},
      {"two missing", {"dic_backup", "txt_shift_jis"}, false, "Kelmoa", false, "dic_backup"},
      {"a plain file", {"dic"}, true, "Kelmoa", false, "dic"},
      {"another program name", {"dic", "dic_backup"}, false, "reader", false, "dic"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    MakeDataFolders(dir.path());
    for (const std::string& folder : c.removed)
      std::filesystem::remove(dir / folder);
    if (c.dicIsAFile)
      WriteBytes(dir / "dic", "not a folder");
    WriteBytes(dir / "bin/Kelmoa.log", "old run\r\n");
    EXPECT_EQ(StartLogAndCheckDataFolders(ProgramPaths::FromProgramFile(dir / "bin/" + c.program)),
              c.ok)
        << c.name;
    const std::string own = c.program != std::string("Kelmoa") || c.missing.empty()
                                ? ""
                                : "\\d\\d:\\d\\d:\\d\\d " + c.missing + "\r\n";
    const std::string log = ReadBytes(dir / "bin/Kelmoa.log");
    EXPECT_TRUE(std::regex_match(log, std::regex("\\d\\d:\\d\\d:\\d\\d log start\r\n" + own)))
        << c.name << ": " << log;
    if (c.program != std::string("Kelmoa")) {
      EXPECT_NE(ReadBytes(dir / "bin/reader.log").find(" " + c.missing + "\r\n"),
                std::string::npos);
    }
    for (const std::string& folder : c.removed)
      EXPECT_EQ(std::filesystem::exists(dir / folder), folder == "dic" && c.dicIsAFile)
          << "nothing is created: " << c.name;
  }
}

}  // namespace
}  // namespace kelmoa
