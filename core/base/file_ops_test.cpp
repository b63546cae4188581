// Temporary files: every writer makes its own under a name no file had, so that a symbolic
// link planted at any name it chooses is never written through.
#include "core/base/file_ops.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include "core/base/fixtures_test.h"
#include "core/base/log.h"
#include "core/dictionary/dictionary.h"
#include "core/settings/ini_file.h"
#include "core/text/prepare_text.h"
#include "core/wordlist/word_list_export.h"

namespace kelmoa {
namespace {

using namespace testing;  // the shared fixtures

// Hands out names another program could guess, and before handing one out plants a link
// there, leading to a file that must not change, for the first tries of every name: the
// writer must pass them over and take a later name.
class PlantingOps : public FailingOps {
 public:
  explicit PlantingOps(std::string victim) : mVictim(std::move(victim)) {}
  std::string TemporaryName(const std::string& name) override {
    return "." + name + "." + std::to_string(mTries[name]++) + ".tmp";
  }
  Status WriteTemporary(const std::string& dir, const std::string& name, std::string_view bytes,
                        const std::optional<KeptMode>& mode, std::string& tmpPath) override {
    for (int i = 0; i < 3; ++i) {
      const std::string link = dir + "/." + name + "." + std::to_string(mTries[name] + i) + ".tmp";
      std::filesystem::create_symlink(mVictim, link);
      mPlanted.insert(link);
    }
    return FailingOps::WriteTemporary(dir, name, bytes, mode, tmpPath);
  }
  const std::set<std::string>& Planted() const { return mPlanted; }

 private:
  std::string mVictim;
  std::map<std::string, int> mTries;
  std::set<std::string> mPlanted;
};

TEST(TemporaryFiles, EveryWriterPassesOverLinksPlantedAtTheNamesItChooses) {
  struct Case {
    const char* writer;
    std::function<Status(FileOps&, const TempDir&)> write;
    std::string result;  // the file written, relative to the folder
    std::string bytes;   // what it must hold
  };
  const std::string dic = Sjis("cat\t猫\r\ndog\t犬\r\n");
  const auto addCow = [](FileOps& fs, const TempDir& dir) {
    Dictionary d;
    if (Status s = d.LoadDicFile(dir / "dic/Dic_EJ.txt"); !s.ok())
      return s;
    const DicChange c = DictionaryFiles(dir.path(), fs).AddEntry(d, u"cow", u"牛", std::tm{});
    return c.ok() ? Status::Ok() : Status::Error("change: " + c.status.message());
  };
  const auto exportCards = [](bool overChosen) {
    return [overChosen](FileOps& fs, const TempDir& dir) {
      return WriteExportFile(dir / "cards.txt", "cards\n", overChosen, fs);
    };
  };
  const std::vector<Case> cases = {
      {"dictionary", addCow, "dic/Dic_EJ.txt", Sjis("cat\t猫\r\ncow\t牛\r\ndog\t犬\r\n")},
      {"dictionary backup copied where links fail",
       [&](FileOps& fs, const TempDir& dir) {
         static_cast<PlantingOps&>(fs).failOp = "link";  // the backup is copied
         return addCow(fs, dir);
       },
       "dic_backup/Dic_EJ_1900_0100_0000_00.txt", dic},
      {"settings",
       [](FileOps& fs, const TempDir& dir) {
         return SetIniValue(dir / "bin/Kelmoa.ini", u"setting", u"FormLeft", u"5", fs);
       },
       "bin/Kelmoa.ini", "[setting]\r\nFormLeft=5\r\n"},
      {"export", exportCards(false), "cards.txt", "cards\n"},
      {"export over the file chosen", exportCards(true), "cards.txt", "cards\n"},
      {"prepare",
       [](FileOps& fs, const TempDir& dir) {
         std::vector<std::string> written;
         return WritePreparedParts(fs, dir / "txt_shift_jis/book.txt", {"one\r\n", "two\r\n"},
                                   written);
       },
       "txt_shift_jis/book-2.txt", "two\r\n"},
      {"import",
       [&](FileOps& fs, const TempDir& dir) {
         return ReplaceFileAtomically(fs, dir / "dic/imported.txt", dic);
       },
       "dic/imported.txt", dic},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.writer);
    TempDir dir;
    MakeDataFolders(dir.path());
    WriteBytes(dir / "dic/Dic_EJ.txt", dic);
    WriteBytes(dir / "victim", "not yours");
    PlantingOps fs(dir / "victim");
    const Status s = c.write(fs, dir);
    ASSERT_TRUE(s.ok()) << s.message();
    EXPECT_EQ(ReadBytes(dir / c.result), c.bytes);
    EXPECT_FALSE(std::filesystem::is_symlink(dir / c.result));
    EXPECT_EQ(ReadBytes(dir / "victim"), "not yours");
    ASSERT_FALSE(fs.Planted().empty());
    for (const std::string& link : fs.Planted())
      EXPECT_EQ(std::filesystem::read_symlink(link), dir / "victim") << link;
  }
}

// The log is appended to by name: a link planted there is not followed.
TEST(TemporaryFiles, TheLogDoesNotFollowALinkAtItsName) {
  TempDir dir;
  WriteBytes(dir / "victim", "not yours");
  std::filesystem::create_symlink(dir / "victim", dir / "Kelmoa.log");
  EXPECT_FALSE(WriteLog(dir.path(), "Kelmoa", u"line").ok());
  EXPECT_EQ(ReadBytes(dir / "victim"), "not yours");
}

}  // namespace
}  // namespace kelmoa
