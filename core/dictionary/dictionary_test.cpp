// Tests of the dictionary store, with failing file systems and changes by other programs.
#include "core/dictionary/dictionary.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <new>
#include <random>
#include <thread>
#include <vector>

#include "core/base/codepage.h"
#include "core/base/fixtures_test.h"
#include "core/dictionary/dictionary_messages.h"

namespace kelmoa {
namespace {

using testing::ReadBytes;
using testing::Sjis;
using testing::TempDir;
using testing::WriteBytes;

Dictionary LoadFrom(const TempDir& dir, const std::string& utf8Lines) {
  WriteBytes(dir / "d.txt", Sjis(utf8Lines));
  Dictionary dic;
  EXPECT_TRUE(dic.LoadDicFile(dir / "d.txt").ok());
  return dic;
}

std::tm At(int hour, int min, int sec) {
  std::tm t{};
  t.tm_year = 2024 - 1900;
  t.tm_mon = 2;
  t.tm_mday = 15;
  t.tm_hour = hour;
  t.tm_min = min;
  t.tm_sec = sec;
  return t;
}

// Sorting and merging: the shuffled files below. What is no entry (one-letter head word, no TAB,
// blank meaning) is skipped; CR LF, a lone CR and a lone LF all end a line.
TEST(DictionaryLoad, SortsMergesAndSkipsWhatIsNoEntry) {
  struct Case {
    const char* file;
    StrList words, meanings;
  };
  const Case cases[] = {
      {"a\tひとつの\r\nno tab here\r\nxy\t   \r\n\r\n  ab\tspaced\r\nZebra\tしまうま\r\n"
       "dog\t犬\tいぬ\r\nhen\tめんどり\rhen\tめんどり\r\n",
       {u"", u"  ab", u"Zebra", u"dog", u"hen"},
       {u"", u"spaced", u"しまうま", u"犬\tいぬ",
        u"めんどり\tめんどり"}},  // identical lines: twice
      {"ox\t\tうし\t \r\ndog\t犬\t\r\nhen\t\t\r\n", {u"", u"dog", u"ox"}, {u"", u"犬", u"うし"}},
      {"", {u""}, {u""}},
      {"apple\tりんご\nbanana\tバナナ\ncat\t猫\n",
       {u"", u"apple", u"banana", u"cat"},
       {u"", u"りんご", u"バナナ", u"猫"}},
      {"apple\tりんご\n\nbanana\tバナナ\r\r\ncat\t猫\n\r",
       {u"", u"apple", u"banana", u"cat"},
       {u"", u"りんご", u"バナナ", u"猫"}},
  };
  TempDir dir;
  for (const Case& c : cases) {
    const Dictionary d = LoadFrom(dir, c.file);
    EXPECT_EQ(d.Words(), c.words) << c.file;
    EXPECT_EQ(d.Meanings(), c.meanings) << c.file;
    EXPECT_FALSE(d.Foreign()) << c.file;
  }
  Dictionary missing;
  EXPECT_FALSE(missing.LoadDicFile(dir / "nothing.txt").ok());
  EXPECT_EQ(missing.Count(), 0);
}

TEST(DictionaryLoad, AShuffledFileLoadsInTheOrderOfItsLines) {
  // Head words that agree in their first 4, 8 or 12 letters, that begin one another, that
  // hold a code unit 0, and meanings that agree in their first letters: the loaded entries
  // are the lines sorted and merged, whatever the order they came in.
  const std::vector<std::u16string> heads = {u"ab",           u"abc",
                                             u"abcd",         std::u16string(u"abcd\0", 5),
                                             u"abcdefgh",     u"abcdefghi",
                                             u"abcdefghijkl", u"abcdefghijklm",
                                             u"abcdefghijkx", u"abcdefghijklmn",
                                             u"b\u3042",      u"Ab"};
  const std::vector<std::u16string> meanings = {u"【名】犬", u"【名】犬い", u"【名】猫",
                                                u"【動】走る", u"x"};
  std::vector<std::u16string> lines;
  for (size_t h = 0; h < heads.size(); ++h) {
    for (size_t m = 0; m < meanings.size(); m += 1 + h % 2)
      lines.push_back(heads[h] + u'\t' + meanings[m]);
  }
  std::vector<std::u16string> sorted = lines;
  std::sort(sorted.begin(), sorted.end(),
            [](const auto& a, const auto& b) { return DicLineLess(a, b); });
  StrList words = NewStrList(), joined = NewStrList();
  for (const std::u16string& line : sorted) {
    const size_t tab = line.find(u'\t');
    if (words.back() == line.substr(0, tab) && words.size() > 1) {
      joined.back() += u'\t' + line.substr(tab + 1);
    } else {
      words.push_back(line.substr(0, tab));
      joined.push_back(line.substr(tab + 1));
    }
  }
  TempDir dir;
  for (unsigned seed = 1; seed <= 20; ++seed) {
    std::shuffle(lines.begin(), lines.end(), std::mt19937(seed));
    std::u16string text;
    for (const std::u16string& line : lines)
      text += line + u"\r\n";
    WriteBytes(dir / "d.txt", Utf16ToSjis(text));
    Dictionary d;
    ASSERT_TRUE(d.LoadDicFile(dir / "d.txt").ok());
    ASSERT_EQ(d.Words(), words) << seed;
    ASSERT_EQ(d.Meanings(), joined) << seed;
  }
}

TEST(DictionaryLoad, ALargeDictionaryIsWrittenAsTheConverterWritesItsLines) {
  // Large enough to be written in two halves: entries of one- and two-byte characters, with
  // one to three meanings, so that the halves' bytes differ in length.
  StrList words = NewStrList(), meanings = NewStrList();
  for (int i = 0; i < 30001; ++i) {
    words.push_back(u"w" + Utf8ToUtf16(std::to_string(100000 + i)) + (i % 3 == 0 ? u"語" : u""));
    std::u16string m = i % 2 == 0 ? u"【名】犬" : u"cat";
    for (int j = 0; j < i % 3; ++j)
      m += u"\tいぬ" + std::u16string(static_cast<size_t>(j), u'x');
    meanings.push_back(m);
  }
  EXPECT_EQ(MakeDicFileBytes(words, meanings), Utf16ToSjis(MakeDicFileLines(words, meanings)));
}

TEST(DictionaryChange, DeleteRemovesAMeaningOrTheWholeEntry) {
  TempDir dir;
  Dictionary d = LoadFrom(dir, "cat\t猫\r\ndog\t犬\r\ndog\tいぬ\r\ndog\t犬\r\nhen\tめんどり\r\n");
  ASSERT_EQ(d.Meanings()[2], u"いぬ\t犬\t犬");
  d.DeleteInMemory(2, u"dog 犬");
  EXPECT_EQ(d.Meanings()[2], u"いぬ") << "every copy goes";
  d.DeleteInMemory(1, u"cat whatever");
  EXPECT_EQ(d.Words(), (StrList{u"", u"dog", u"hen"})) << "a single meaning goes with its entry";
  d.DeleteInMemory(9, u"hen めんどり");
  EXPECT_EQ(d.Count(), 2) << "an index outside the dictionary changes nothing";

  Dictionary twice = LoadFrom(dir, "ox\t牛\r\nox\t牛\r\n");
  twice.DeleteInMemory(1, u"ox 牛");
  EXPECT_EQ(twice.Count(), 0) << "no entry is left without a meaning";
}

using testing::FailingOps;

class WriteThrough : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::MakeDataFolders(mDir.path());
    WriteBytes(DicPath(), Sjis(kOriginal));
    ASSERT_TRUE(mDic.LoadDicFile(DicPath()).ok());
  }
  std::string DicPath() const { return mDir / "dic/Dic_EJ.txt"; }
  std::vector<std::string> Backups() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(mDir / "dic_backup")) {
      names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  static constexpr const char* kOriginal = "cat\t猫\r\ndog\t犬\r\n";
  TempDir mDir;
  Dictionary mDic;
};

TEST_F(WriteThrough, EachChangeLeavesABackupOfThePreviousFileEvenInTheSameSecond) {
  DictionaryFiles files(mDir.path());
  std::filesystem::remove_all(mDir / "dic_backup");  // deleted since the start: made again
  ASSERT_TRUE(files.AddEntry(mDic, u"cow", u"牛", At(14, 23, 5)).ok());
  ASSERT_TRUE(files.DeleteEntry(mDic, 1, u"cat 猫", At(14, 23, 5)).ok());  // the same second
  EXPECT_EQ(ReadBytes(DicPath()), Sjis("cow\t牛\r\ndog\t犬\r\n"));
  EXPECT_EQ(Backups(), (std::vector<std::string>{"Dic_EJ_2024_0315_1423_05.txt",
                                                 "Dic_EJ_2024_0315_1423_05_2.txt"}));
  EXPECT_EQ(ReadBytes(mDir / "dic_backup/Dic_EJ_2024_0315_1423_05.txt"), Sjis(kOriginal));
  EXPECT_EQ(ReadBytes(mDir / "dic_backup/Dic_EJ_2024_0315_1423_05_2.txt"),
            Sjis("cat\t猫\r\ncow\t牛\r\ndog\t犬\r\n"));
}

// Records the steps that make a change last: links, renames and folder syncs.
class RecordingOps : public FailingOps {
 public:
  std::vector<std::string> steps;
  Status Link(const std::string& from, const std::string& to) override {
    steps.push_back("link");
    return FailingOps::Link(from, to);
  }
  Status Rename(const std::string& from, const std::string& to) override {
    steps.push_back("rename " + std::filesystem::path(to).parent_path().filename().string());
    return FailingOps::Rename(from, to);
  }
  Status SyncDir(const std::string& dir) override {
    steps.push_back("sync " + std::filesystem::path(dir).filename().string());
    return FailingOps::SyncDir(dir);
  }
};

TEST_F(WriteThrough, TheBackupIsOnTheDiskBeforeTheNewFileTakesTheName) {
  RecordingOps linked;
  ASSERT_TRUE(DictionaryFiles(mDir.path(), linked).AddEntry(mDic, u"cow", u"牛", At(9, 0, 0)).ok());
  EXPECT_EQ(linked.steps,
            (std::vector<std::string>{"link", "sync dic_backup", "rename dic", "sync dic"}));

  RecordingOps copied;  // no hard links: the copy gets its name by a rename of its own
  copied.failOp = "link";
  ASSERT_TRUE(
      DictionaryFiles(mDir.path(), copied).AddEntry(mDic, u"eel", u"うなぎ", At(9, 0, 1)).ok());
  EXPECT_EQ(copied.steps, (std::vector<std::string>{"link", "rename dic_backup", "sync dic_backup",
                                                    "rename dic", "sync dic"}));
  // That copy is complete.
  ASSERT_EQ(Backups().size(), 2u);
  EXPECT_EQ(ReadBytes(mDir / ("dic_backup/" + Backups()[1])),
            Sjis("cat\t猫\r\ncow\t牛\r\ndog\t犬\r\n"));
}

TEST_F(WriteThrough, AFailedStepLeavesFileAndMemoryAsTheyWere) {
  for (const char* op : {"write", "rename"}) {
    for (int at = 1; at <= 2; ++at) {
      FailingOps ops;
      ops.failOp = op;
      ops.failAt = at;
      DictionaryFiles files(mDir.path(), ops);
      const DicChange change = files.AddEntry(mDic, u"cow", u"牛", At(9, 0, 0));
      const Status& s = change.status;
      if (change.ok()) {  // the failing call was not reached: undo the change for the next round
        ASSERT_TRUE(DictionaryFiles(mDir.path()).DeleteEntry(mDic, 2, u"cow 牛", At(9, 0, 1)).ok());
        WriteBytes(DicPath(), Sjis(kOriginal));
        std::filesystem::remove_all(mDir / "dic_backup");
        std::filesystem::create_directory(mDir / "dic_backup");
        continue;
      }
      EXPECT_FALSE(s.message().empty());
      EXPECT_EQ(ReadBytes(DicPath()), Sjis(kOriginal)) << op << at;
      EXPECT_EQ(mDic.Words(), (StrList{u"", u"cat", u"dog"})) << op << at;
      EXPECT_TRUE(Backups().empty()) << "no backup stands for a change that did not happen";
      for (const auto& e : std::filesystem::directory_iterator(mDir / "dic")) {
        const std::string name = e.path().filename().string();
        EXPECT_TRUE(name == "Dic_EJ.txt" || name == ".lock") << "no temporary file is left behind";
      }
      // The failed change touched the file's inode but not its content: this program's next
      // change does not take that for another program's.
      const DicChange next =
          DictionaryFiles(mDir.path()).AddEntry(mDic, u"eel", u"うなぎ", At(9, 0, 1));
      EXPECT_TRUE(next.ok() && !next.reloaded) << op << at;
      ASSERT_TRUE(
          DictionaryFiles(mDir.path()).DeleteEntry(mDic, 3, u"eel うなぎ", At(9, 0, 2)).ok());
      std::filesystem::remove_all(mDir / "dic_backup");
      std::filesystem::create_directory(mDir / "dic_backup");
    }
  }
}

// Runs fn in a child process without root's privileges (InUnprivilegedChild), with
// everything below dir open to it except the folder `locked`, which it may only read.
bool WithReadOnlyFolder(const std::string& dir, const std::string& locked,
                        const std::function<bool()>& fn) {
  std::filesystem::permissions(dir, std::filesystem::perms::all);
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
    std::filesystem::permissions(e.path(), std::filesystem::perms::all);
  }
  ::chmod(locked.c_str(), 0555);
  const bool held = testing::InUnprivilegedChild(fn);
  ::chmod(locked.c_str(), 0777);
  return held;
}

// A dictionary folder that cannot be written is named as such (not as a lock file that cannot
// be made).
TEST_F(WriteThrough, FoldersThatCannotBeWrittenAreReportedAndLoseNothing) {
  const std::string base = mDir.path();
  const std::string dicPath = DicPath();
  for (const auto& [folder, says] :
       {std::pair{"dic_backup", ""}, {"dic", "辞書フォルダに書き込めない"}}) {
    const std::string locked = base + "/" + folder;
    EXPECT_TRUE(WithReadOnlyFolder(base, locked, [&] {
      Dictionary dic;
      if (!dic.LoadDicFile(dicPath).ok())
        return false;
      const DicChange change = DictionaryFiles(base).AddEntry(dic, u"cow", u"牛", At(9, 0, 0));
      return !change.ok() && dic.Count() == 2 && ReadBytes(dicPath) == Sjis(kOriginal) &&
             Utf16ToUtf8(MsgChangeRefused(change)).find(says) != std::string::npos;
    })) << folder;
  }
  EXPECT_TRUE(Backups().empty());
}

TEST_F(WriteThrough, RefusesEntriesThatWouldNotLoadBack) {
  DictionaryFiles files(mDir.path());
  EXPECT_FALSE(files.AddEntry(mDic, u"x", u"一文字", At(9, 0, 0)).ok());
  EXPECT_FALSE(files.AddEntry(mDic, u"cow", u"牛\tうし", At(9, 0, 0)).ok());
  EXPECT_FALSE(files.AddEntry(mDic, u"cow", u"牛\r\nbad\tline", At(9, 0, 0)).ok());
  EXPECT_FALSE(files.AddEntry(mDic, u"cow", u"  ", At(9, 0, 0)).ok());
  EXPECT_FALSE(files.DeleteEntry(mDic, 3, u"x y", At(9, 0, 0)).ok());
  EXPECT_EQ(ReadBytes(DicPath()), Sjis(kOriginal));
  EXPECT_TRUE(Backups().empty());
}

// ---- another program on the same dictionary --------------------------------------------------

// Ways another program changes the file after this one loaded it. Each must be noticed, even
// one that keeps the size and puts the old modification time back.
TEST_F(WriteThrough, AChangeMadeElsewhereIsLoadedAgainAndKept) {
  struct Case {
    const char* name;
    std::function<void()> changeElsewhere;
    std::string expected;  // the file after this program adds cow
  };
  const std::vector<Case> cases = {
      {"another program's change",
       [&] {
         Dictionary other;
         ASSERT_TRUE(other.LoadDicFile(DicPath()).ok());
         ASSERT_TRUE(
             DictionaryFiles(mDir.path()).AddEntry(other, u"eel", u"うなぎ", At(8, 0, 0)).ok());
       },
       "cat\t猫\r\ncow\t牛\r\ndog\t犬\r\neel\tうなぎ\r\n"},
      {"rewritten in place, same size, same time",
       [&] {
         struct stat st {};
         ASSERT_EQ(::stat(DicPath().c_str(), &st), 0);
         {
           std::fstream f(DicPath(), std::ios::in | std::ios::out | std::ios::binary);
           f.write("bat", 3);  // cat becomes bat
         }
         const timespec times[2] = {st.st_atim, st.st_mtim};
         ASSERT_EQ(::utimensat(AT_FDCWD, DicPath().c_str(), times, 0), 0);
       },
       "bat\t猫\r\ncow\t牛\r\ndog\t犬\r\n"},
      {"replaced by an editor with LF line ends",
       [&] {
         WriteBytes(DicPath() + ".new", Sjis("cat\t猫\nant\t蟻\ndog\t犬\n"));
         std::filesystem::rename(DicPath() + ".new", DicPath());
       },
       "ant\t蟻\r\ncat\t猫\r\ncow\t牛\r\ndog\t犬\r\n"},
  };
  for (const Case& c : cases) {
    WriteBytes(DicPath(), Sjis(kOriginal));
    ASSERT_TRUE(mDic.LoadDicFile(DicPath()).ok());
    c.changeElsewhere();
    const DicChange change =
        DictionaryFiles(mDir.path()).AddEntry(mDic, u"cow", u"牛", At(9, 0, 0));
    EXPECT_TRUE(change.ok()) << c.name;
    EXPECT_TRUE(change.reloaded) << c.name;
    EXPECT_EQ(ReadBytes(DicPath()), Sjis(c.expected)) << c.name;
    Dictionary fromFile;
    ASSERT_TRUE(fromFile.LoadDicFile(DicPath()).ok());
    EXPECT_EQ(mDic.Words(), fromFile.Words()) << "memory holds the file's copy: " << c.name;
    // The next change of this program finds its own file and loads nothing.
    EXPECT_FALSE(DictionaryFiles(mDir.path()).AddEntry(mDic, u"fox", u"狐", At(9, 0, 1)).reloaded);
  }
}

TEST_F(WriteThrough, AStaleDeleteFindsItsEntryByTheWordAndNeverDropsAnotherMeaning) {
  Dictionary other;
  ASSERT_TRUE(other.LoadDicFile(DicPath()).ok());
  DictionaryFiles files(mDir.path());
  // The other program puts an entry before dog and gives cat a second meaning: dog moves to 3.
  ASSERT_TRUE(files.AddEntry(other, u"bee", u"蜂", At(8, 0, 0)).ok());
  ASSERT_TRUE(files.AddEntry(other, u"cat", u"ねこ", At(8, 0, 1)).ok());
  DicChange change = files.DeleteEntry(mDic, 2, u"dog 犬", At(9, 0, 0));  // 2 = dog here
  EXPECT_EQ(change.outcome, DicChange::Outcome::kWritten);
  EXPECT_TRUE(change.reloaded);
  EXPECT_EQ(ReadBytes(DicPath()), Sjis("bee\t蜂\r\ncat\tねこ\r\ncat\t猫\r\n"));

  // Deleting cat's only meaning in a stale copy: the other program's second meaning stays,
  // and a meaning already gone is not looked for in other entries.
  Dictionary stale;
  WriteBytes(DicPath(), Sjis(kOriginal));
  ASSERT_TRUE(stale.LoadDicFile(DicPath()).ok());
  Dictionary fresh;
  ASSERT_TRUE(fresh.LoadDicFile(DicPath()).ok());
  ASSERT_TRUE(files.AddEntry(fresh, u"cat", u"ねこ", At(8, 0, 2)).ok());
  ASSERT_TRUE(files.DeleteEntry(stale, 2, u"dog 犬", At(9, 0, 1)).ok());  // stale again now
  ASSERT_TRUE(files.DeleteEntry(fresh, 1, u"cat 猫", At(9, 0, 2)).ok());
  change = files.DeleteEntry(stale, 1, u"cat 猫", At(9, 0, 3));
  EXPECT_EQ(change.outcome, DicChange::Outcome::kUnchanged);
  EXPECT_TRUE(change.reloaded);
  EXPECT_EQ(ReadBytes(DicPath()), Sjis("cat\tねこ\r\n"));
  EXPECT_EQ(stale.Words(), (StrList{u"", u"cat"}));
}

// ---- files from elsewhere ------------------------------------------------------------------

// Files that are not plain CP932 are read, but no change may rewrite their bytes as "?".
TEST_F(WriteThrough, AFileNotInCp932IsReadButRefusesEveryChange) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string codeName;
    long long line;
    std::string convert;  // what the message offers to run, empty when nothing
  };
  const std::string utf8 = "apple\tりんご\nbanana\tバナナ\n";
  const std::vector<Case> cases = {
      {"UTF-8 with LF", utf8, "UTF8", 1, "iconv -f UTF-8 -t CP932 Dic_EJ.txt"},
      {"a broken byte on line 3", Sjis("cat\t猫\r\ndog\t犬\r\n") + "eel\t\x85\x40\r\nfox\tx\r\n",
       "SJIS", 3, ""},
      {"a lead byte cut off at the end", Sjis("cat\t猫\r\ndog\t犬\r\nend\t") + "\x82", "SJIS", 3,
       ""},
      {"EUC-JP, which decodes without a fault", "ant\tx\r\ncat\t\xc7\xad\r\ndog\t\xb8\xa4\r\n",
       "EUC", 2, "iconv -f EUC-JP"},
  };
  for (const Case& c : cases) {
    WriteBytes(DicPath(), c.bytes);
    ASSERT_TRUE(mDic.LoadDicFile(DicPath()).ok()) << c.name;
    EXPECT_GE(mDic.Count(), 2) << "loaded for reading: " << c.name;
    ASSERT_TRUE(mDic.Foreign()) << c.name;
    DictionaryFiles files(mDir.path());
    for (const DicChange& change : {files.AddEntry(mDic, u"cow", u"牛", At(9, 0, 0)),
                                    files.DeleteEntry(mDic, 1, u"x y", At(9, 0, 0))}) {
      EXPECT_EQ(change.outcome, DicChange::Outcome::kRefused) << c.name;
      EXPECT_EQ(change.refusal, DicChange::Refusal::kForeignFile) << c.name;
      EXPECT_EQ(GetCharCodeName(change.foreign.code), c.codeName) << c.name;
      EXPECT_EQ(change.foreign.line, c.line) << c.name;
      const std::string msg = Utf16ToUtf8(MsgChangeRefused(change));
      EXPECT_NE(msg.find(std::to_string(c.line) + "行目"), std::string::npos) << msg;
      if (!c.convert.empty()) {
        EXPECT_NE(msg.find(c.convert), std::string::npos) << msg;
      }
    }
    EXPECT_EQ(ReadBytes(DicPath()), c.bytes) << c.name;
    EXPECT_TRUE(Backups().empty()) << c.name;
  }
}

TEST_F(WriteThrough, ACharacterCp932CannotHoldIsRefusedByName) {
  struct Case {
    std::u16string word, meaning, character;
    bool inWord;
    const char* codePoint;
  };
  const std::vector<Case> cases = {
      {u"smile", u"笑顔😀", u"😀", false, "U+1F600"},
      {u"café", u"カフェ", u"é", true, "U+00E9"},
  };
  DictionaryFiles files(mDir.path());
  for (const Case& c : cases) {
    const DicChange change = files.AddEntry(mDic, c.word, c.meaning, At(9, 0, 0));
    EXPECT_EQ(change.refusal, DicChange::Refusal::kNonSjisCharacter);
    EXPECT_EQ(change.character, c.character);
    EXPECT_EQ(change.inWord, c.inWord);
    const std::u16string msg = MsgChangeRefused(change);
    EXPECT_NE(msg.find(u"「" + c.character + u"」"), std::u16string::npos);
    EXPECT_NE(msg.find(U16(c.codePoint)), std::u16string::npos) << Utf16ToUtf8(msg);
  }
  ASSERT_TRUE(files.AddEntry(mDic, u"wave", u"波～—", At(9, 0, 0)).ok()) << "CP932 holds ～ and —";
  EXPECT_EQ(Backups().size(), 1u);
}

TEST_F(WriteThrough, ALinkedDictionaryIsWrittenThroughToItsTarget) {
  for (const char* target : {"shared/words.txt", "../elsewhere/words.txt"}) {
    const std::string real = target[0] == '.' ? mDir / "elsewhere/words.txt" : mDir / target;
    std::filesystem::create_directories(DirOf(real));
    WriteBytes(real, Sjis(kOriginal));
    ::chmod(real.c_str(), 0640);
    std::filesystem::remove(DicPath());
    // A link relative to its own folder, as `ln -s` makes it, or a whole path.
    std::filesystem::create_symlink(target[0] == '.' ? std::string(target) : real, DicPath());
    std::filesystem::remove_all(mDir / "dic_backup");
    std::filesystem::create_directory(mDir / "dic_backup");
    ASSERT_TRUE(mDic.LoadDicFile(DicPath()).ok());
    ASSERT_TRUE(DictionaryFiles(mDir.path()).AddEntry(mDic, u"cow", u"牛", At(9, 0, 0)).ok());
    EXPECT_TRUE(std::filesystem::is_symlink(DicPath())) << target;
    EXPECT_EQ(ReadBytes(real), Sjis("cat\t猫\r\ncow\t牛\r\ndog\t犬\r\n")) << target;
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u) << target;
    ASSERT_EQ(Backups().size(), 1u);
    const std::string backup = mDir / ("dic_backup/" + Backups()[0]);
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(backup)));
    EXPECT_EQ(ReadBytes(backup), Sjis(kOriginal)) << target;
    for (const auto& e : std::filesystem::directory_iterator(DirOf(real))) {
      const std::string name = e.path().filename().string();
      EXPECT_TRUE(name == "words.txt" || name == ".lock") << "nothing left behind: " << name;
    }
  }
}

TEST_F(WriteThrough, PermissionsAreKeptAndAWriteProtectedFileIsRefusedEvenForRoot) {
  DictionaryFiles files(mDir.path());
  ::chmod(DicPath().c_str(), 0600);
  ASSERT_TRUE(files.AddEntry(mDic, u"cow", u"牛", At(9, 0, 0)).ok());
  struct stat st {};
  ASSERT_EQ(::stat(DicPath().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);

  for (const mode_t mode : {0444, 0400, 0000}) {
    ::chmod(DicPath().c_str(), mode);
    const std::string before = ReadBytes(DicPath());
    const DicChange change = files.AddEntry(mDic, u"eel", u"うなぎ", At(9, 0, 1));
    EXPECT_EQ(change.refusal, DicChange::Refusal::kWriteProtected) << std::oct << mode;
    EXPECT_NE(MsgChangeRefused(change).find(u"書き込みが禁止"), std::u16string::npos);
    EXPECT_EQ(mDic.Count(), 3);
    EXPECT_EQ(ReadBytes(DicPath()), before);
    ASSERT_EQ(::stat(DicPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode);
  }
  EXPECT_EQ(Backups().size(), 1u);
}

TEST(DictionaryLoad, AFileOverTheLimitIsRefusedBeforeItIsRead) {
  TempDir dir;
  // Sparse files: the size is there, the bytes need not be.
  for (const long long size : {kMaxDicFileBytes + 1, 10LL << 30}) {
    const std::string path = dir / "big.txt";
    WriteBytes(path, "cat\t猫\r\n");
    ASSERT_EQ(::truncate(path.c_str(), size), 0);
    Dictionary dic;
    const Status s = dic.LoadDicFile(path);
    ASSERT_FALSE(s.ok()) << size;
    EXPECT_EQ(s.finding(), Finding::kDicTooLarge);
    EXPECT_EQ(s.figure(), size);
    EXPECT_EQ(dic.Count(), 0);
  }
  const std::string path = dir / "limit.txt";
  std::string bytes = Sjis("cat\t猫\r\n");
  bytes.resize(kMaxDicFileBytes, '\n');
  WriteBytes(path, bytes);
  Dictionary dic;
  EXPECT_TRUE(dic.LoadDicFile(path).ok()) << "exactly at the limit";
  EXPECT_EQ(dic.Count(), 1);
}

// Memory that runs out while loading or writing: reported, nothing half done.
TEST_F(WriteThrough, RunningOutOfMemoryIsReportedAndChangesNothing) {
  FailingOps reading;
  reading.failOp = "read";
  reading.outOfMemory = true;
  Dictionary dic;
  Status s = dic.LoadDicFile(DicPath(), reading);
  EXPECT_EQ(s.finding(), Finding::kNoMemoryToLoad) << s.message();
  EXPECT_EQ(dic.Count(), 0);
  for (int round = 0; round < 2; ++round) {
    FailingOps writing;
    writing.failOp = "write";
    writing.outOfMemory = true;
    DictionaryFiles files(mDir.path(), writing);
    const DicChange change = round == 0 ? files.AddEntry(mDic, u"cow", u"牛", At(9, 0, 0))
                                        : files.DeleteEntry(mDic, 1, u"cat 猫", At(9, 0, 0));
    EXPECT_EQ(change.outcome, DicChange::Outcome::kFailed) << round;
    EXPECT_EQ(change.status.finding(), Finding::kNoMemoryToChange) << round;
    EXPECT_EQ(mDic.Meanings(), (StrList{u"", u"猫", u"犬"})) << round;
    EXPECT_EQ(ReadBytes(DicPath()), Sjis(kOriginal)) << round;
    EXPECT_TRUE(Backups().empty()) << round;
  }
}

TEST_F(WriteThrough, AChangeRemovesWhatKilledChangesLeftBehind) {
  const auto old = [](const std::string& path) {
    WriteBytes(path, "half");
    const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
  };
  const std::vector<std::string> debris = {"dic/.Dic_EJ.txt.4242.tmp", "dic/.Dic_EJ.txt.1.tmp",
                                           "dic_backup/.Dic_EJ_2024_0315_0900_00.txt.tmp",
                                           "dic_backup/.Dic_EJ_2024_0315_0900_00_2.txt.tmp"};
  const std::vector<std::string> kept = {"dic/.Dic_EJ.txt.x1.tmp", "dic/.other.txt.12.tmp",
                                         "dic/notes.tmp", "dic_backup/.keep.tmp",
                                         "dic_backup/Dic_EJ_2024_0315_0900_00.txt"};
  for (const std::string& name : debris)
    old(mDir / name);
  for (const std::string& name : kept)
    old(mDir / name);
  WriteBytes(mDir / "dic/.Dic_EJ.txt.77.tmp", "a live change of a program without the lock");
  ASSERT_TRUE(DictionaryFiles(mDir.path()).AddEntry(mDic, u"cow", u"牛", At(9, 0, 1)).ok());
  for (const std::string& name : debris)
    EXPECT_FALSE(std::filesystem::exists(mDir / name)) << name;
  for (const std::string& name : kept)
    EXPECT_TRUE(std::filesystem::exists(mDir / name)) << name;
}

// A change waits its turn, and gives up with a message when the other program never lets go
// (one stopped in a debugger, say), rather than freeze the window.
TEST_F(WriteThrough, TheLockWaitsItsTurnAndGivesUpWhenHeldTooLong) {
  const std::string lockPath = mDir / "dic/.lock";
  auto held = std::make_unique<ExclusiveLock>();
  ASSERT_TRUE(held->Take(lockPath, std::chrono::milliseconds(0)).ok());
  ExclusiveLock waiting;
  const Status s = waiting.Take(lockPath, std::chrono::milliseconds(30));
  EXPECT_FALSE(s.ok());
  EXPECT_TRUE(waiting.Busy());
  // Let go while the other waits: it gets the lock.
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    held.reset();
  });
  EXPECT_TRUE(waiting.Take(lockPath, std::chrono::seconds(5)).ok());
  EXPECT_FALSE(waiting.Busy());
  release.join();
}

}  // namespace
}  // namespace kelmoa
