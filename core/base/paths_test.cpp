// Tests of the file names: every name made is read back as what it is, and leftovers of killed
// changes are told from the files beside them.
#include "core/base/paths.h"

#include <gtest/gtest.h>

namespace kelmoa {
namespace {

TEST(Paths, EveryNameMadeIsReadBackAsWhatItIs) {
  const std::string base = "/opt/kelmoa";
  const struct {
    std::string path;
    std::string expected;
    FileKind kind;
    std::string of;
  } cases[] = {
      {DicPath(base), "/opt/kelmoa/dic/Dic_EJ.txt", FileKind::kDictionary, ""},
      {PhraseDicPathBeside(DicPath(base)), "/opt/kelmoa/dic/Phrase_EJ.txt",
       FileKind::kPhraseDictionary, ""},
      {LockPath(DataFolder(base, kDicFolder)), "/opt/kelmoa/dic/.lock", FileKind::kLock, ""},
      {WordListPath(base), "/opt/kelmoa/wordlist/wordlist.sqlite", FileKind::kWordList, ""},
      {WriteAheadLogPathOf(WordListPath(base)), "/opt/kelmoa/wordlist/wordlist.sqlite-wal",
       FileKind::kWriteAheadLog, "wordlist.sqlite"},
      {SharedMemoryPathOf(WordListPath(base)), "/opt/kelmoa/wordlist/wordlist.sqlite-shm",
       FileKind::kSharedMemory, "wordlist.sqlite"},
      {LogPath(base + "/bin", kProgramTitle), "/opt/kelmoa/bin/Kelmoa.log", FileKind::kLog,
       "Kelmoa"},
      {SettingsPath(base + "/bin", kProgramTitle), "/opt/kelmoa/bin/Kelmoa.ini",
       FileKind::kSettings, "Kelmoa"},
      {HelpPagePath(base), "/opt/kelmoa/htm/index.htm", FileKind::kHelpPage, ""},
      {"/x/" + TemporaryFileName(kDicFileName, "x7Gq2a"), "/x/.Dic_EJ.txt.x7Gq2a.tmp",
       FileKind::kTemporary, kDicFileName},
      {"/x/" + TemporaryFileName("Kelmoa.ini", "12345"), "/x/.Kelmoa.ini.12345.tmp",
       FileKind::kTemporary, "Kelmoa.ini"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.path, c.expected);
    const ParsedFileName parsed = ParseFileName(c.path.substr(c.path.rfind('/') + 1));
    EXPECT_EQ(parsed.kind, c.kind) << c.path;
    EXPECT_EQ(parsed.of, c.of) << c.path;
  }
  EXPECT_EQ(BackupFolder(base), "/opt/kelmoa/dic_backup");
  EXPECT_EQ(TextFolder(base), "/opt/kelmoa/txt_shift_jis");
  // A dictionary named directly has its phrases beside it, wherever it is.
  EXPECT_EQ(PhraseDicPathBeside("my.txt"), "Phrase_EJ.txt");
  for (const char* other : {"Dic_EJ.txt.bak", "notes.txt", "Dic_EJ_2024_0315_1423_5.txt",
                            "Dic_EJ_2024_0315_1423_05_1.txt", ".tmp", "-wal"})
    EXPECT_EQ(ParseFileName(other).kind, FileKind::kOther) << other;
}

TEST(Paths, BackupNamesCarryTheTimeOfTheChangeAndTheCopyOfItsSecond) {
  std::tm t{};
  t.tm_year = 124, t.tm_mon = 2, t.tm_mday = 15, t.tm_hour = 14, t.tm_min = 23, t.tm_sec = 5;
  for (const int copy : {1, 2, 17}) {
    const std::string name = BackupFileName(t, copy);
    EXPECT_EQ(name, copy == 1 ? "Dic_EJ_2024_0315_1423_05.txt"
                              : "Dic_EJ_2024_0315_1423_05_" + std::to_string(copy) + ".txt");
    const ParsedFileName parsed = ParseFileName(name);
    ASSERT_EQ(parsed.kind, FileKind::kBackup) << name;
    EXPECT_EQ(parsed.copy, copy);
    EXPECT_EQ(BackupFileName(parsed.time, parsed.copy), name);
  }
}

// A change removes these leftovers, and never a file of the user's that merely looks alike.
TEST(Paths, LeftoversOfKilledChangesAreToldByTheirNames) {
  const struct {
    const char* name;
    bool ofDictionary;
    bool ofBackup;
  } cases[] = {
      {".Dic_EJ.txt.x7Gq2a.tmp", true, false},
      {".Dic_EJ.txt.4711.tmp", true, false},  // an older version's: its process id
      {".Dic_EJ.txt.tmp", false, false},
      {".Dic_EJ.txt.x7Gq2.tmp", false, false},
      {".Dic_EJ.txt.ab.cd12.tmp", false, false},
      {".Dic_EJ.txt.x7Gq2a.tmp.old", false, false},
      {"Dic_EJ.txt", false, false},
      {".Dic_EJ_2024_0315_1423_05.txt.x7Gq2a.tmp", false, true},
      {".Dic_EJ_2024_0315_1423_05.txt.tmp", false, true},  // an older version's
      {".Dic_EJ_2024_0315_1423_05.txt", false, false},
      {"Dic_EJ_2024_0315_1423_05.txt", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsDicTemporary(c.name, kDicFileName), c.ofDictionary) << c.name;
    EXPECT_EQ(IsBackupTemporary(c.name), c.ofBackup) << c.name;
  }
  EXPECT_TRUE(IsDicTemporary(".mine.txt.x7Gq2a.tmp", "mine.txt")) << "a linked dictionary's";
}

TEST(Paths, PreparedCopiesAndTheirPartsAreNamedAfterTheText) {
  EXPECT_EQ(PreparedCopyName(NameWithoutExtension("story.md"), 1), "story.txt");
  EXPECT_EQ(PreparedCopyName(NameWithoutExtension("story.md"), 2), "story (2).txt");
  EXPECT_EQ(NameWithoutExtension(".hidden"), ".hidden");
  EXPECT_EQ(NameWithoutExtension("a.b.c"), "a.b");
  EXPECT_EQ(PartPaths("/t/book.txt", 1), std::vector<std::string>{"/t/book.txt"});
  EXPECT_EQ(PartPaths("/t/book.txt", 2),
            (std::vector<std::string>{"/t/book-1.txt", "/t/book-2.txt"}));
  EXPECT_EQ(PartPaths("/t.d/book", 2), (std::vector<std::string>{"/t.d/book-1", "/t.d/book-2"}));
}

}  // namespace
}  // namespace kelmoa
