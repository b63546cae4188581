// Tests of the dictionary store, with failing file systems and changes by other programs.
#include "core/dictionary/dictionary.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <thread>
#include <tuple>
#include <vector>

#include "core/base/codepage.h"
#include "core/base/fixtures_test.h"
#include "core/dictionary/dictionary_messages.h"

namespace kelmoa {
namespace {

using namespace testing;  // the shared fixtures
using Names = std::vector<std::string>;

Dictionary LoadFrom(const TempDir& dir, const std::string& utf8Lines) {
  WriteBytes(dir / "d.txt", Sjis(utf8Lines));
  Dictionary dic;
  EXPECT_TRUE(dic.LoadDicFile(dir / "d.txt").ok());
  return dic;
}

// 2024-03-15 at the time given.
std::tm At(int hour, int min, int sec) {
  std::tm t{};
  t.tm_year = 124, t.tm_mon = 2, t.tm_mday = 15, t.tm_hour = hour, t.tm_min = min, t.tm_sec = sec;
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

class WriteThrough : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDataFolders(mDir.path());
    Reset();
  }
  // The original file loaded, and no backup.
  void Reset() {
    WriteBytes(DicPath(), Sjis(kOriginal));
    ASSERT_TRUE(mDic.LoadDicFile(DicPath()).ok());
    std::filesystem::remove_all(mDir / "dic_backup");
    std::filesystem::create_directory(mDir / "dic_backup");
  }
  DicChange Add(Dictionary& dic, const std::u16string& word, const std::u16string& meaning,
                const std::tm& t = At(9, 0, 0), FileOps& fs = DefaultFileOps()) {
    return DictionaryFiles(mDir.path(), fs).AddEntry(dic, word, meaning, t);
  }
  DicChange Delete(Dictionary& dic, int idx, const std::u16string& entry,
                   const std::tm& t = At(9, 0, 0), FileOps& fs = DefaultFileOps()) {
    return DictionaryFiles(mDir.path(), fs).DeleteEntry(dic, idx, entry, t);
  }
  std::string DicPath() const { return mDir / "dic/Dic_EJ.txt"; }
  Names Backups() const { return FileNames(mDir / "dic_backup"); }
  static constexpr const char* kOriginal = "cat\t猫\r\ndog\t犬\r\n";
  TempDir mDir;
  Dictionary mDic;
};

TEST_F(WriteThrough, EachChangeLeavesABackupOfThePreviousFileEvenInTheSameSecond) {
  std::filesystem::remove_all(mDir / "dic_backup");  // deleted since the start: made again
  ASSERT_TRUE(Add(mDic, u"cow", u"牛", At(14, 23, 5)).ok());
  ASSERT_TRUE(Delete(mDic, 1, u"cat 猫", At(14, 23, 5)).ok());  // the same second
  EXPECT_EQ(ReadBytes(DicPath()), Sjis("cow\t牛\r\ndog\t犬\r\n"));
  EXPECT_EQ(Backups(), (Names{"Dic_EJ_2024_0315_1423_05.txt", "Dic_EJ_2024_0315_1423_05_2.txt"}));
  EXPECT_EQ(ReadBytes(mDir / "dic_backup/Dic_EJ_2024_0315_1423_05.txt"), Sjis(kOriginal));
  EXPECT_EQ(ReadBytes(mDir / "dic_backup/Dic_EJ_2024_0315_1423_05_2.txt"),
            Sjis("cat\t猫\r\ncow\t牛\r\ndog\t犬\r\n"));
}

// Records the steps that make a change last: links, renames and folder syncs.
class RecordingOps : public FailingOps {
 public:
  Names steps;
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
  ASSERT_TRUE(Add(mDic, u"cow", u"牛", At(9, 0, 0), linked).ok());
  EXPECT_EQ(linked.steps, (Names{"link", "sync dic_backup", "rename dic", "sync dic"}));

  RecordingOps copied;  // no hard links: the copy gets its name by a rename of its own
  copied.failOp = "link";
  ASSERT_TRUE(Add(mDic, u"eel", u"うなぎ", At(9, 0, 1), copied).ok());
  EXPECT_EQ(copied.steps,
            (Names{"link", "rename dic_backup", "sync dic_backup", "rename dic", "sync dic"}));
  // That copy is complete.
  ASSERT_EQ(Backups().size(), 2u);
  EXPECT_EQ(ReadBytes(mDir / ("dic_backup/" + Backups()[1])),
            Sjis("cat\t猫\r\ncow\t牛\r\ndog\t犬\r\n"));
}

TEST_F(WriteThrough, AFailedStepLeavesFileAndMemoryAsTheyWere) {
  for (const char* op : {"write", "rename"}) {
    for (int at = 1; at <= 2; ++at) {
      SCOPED_TRACE(op + std::to_string(at));
      Reset();
      FailingOps ops;
      ops.failOp = op;
      ops.failAt = at;
      const DicChange change = Add(mDic, u"cow", u"牛", At(9, 0, 0), ops);
      if (change.ok())
        continue;  // the failing call was not reached
      EXPECT_FALSE(change.status.message().empty());
      EXPECT_EQ(ReadBytes(DicPath()), Sjis(kOriginal));
      EXPECT_EQ(mDic.Words(), (StrList{u"", u"cat", u"dog"}));
      EXPECT_TRUE(Backups().empty()) << "no backup stands for a change that did not happen";
      EXPECT_EQ(FileNames(mDir / "dic"), (Names{".lock", "Dic_EJ.txt"}))
          << "no temporary file is left behind";
      // The failed change touched the file's inode but not its content: this program's next
      // change does not take that for another program's.
      const DicChange next = Add(mDic, u"eel", u"うなぎ", At(9, 0, 1));
      EXPECT_TRUE(next.ok() && !next.reloaded);
    }
  }
}

// A dictionary folder that cannot be written is named as such (not as a lock file that cannot
// be made). The change runs as an ordinary user, to whom everything else is open.
TEST_F(WriteThrough, FoldersThatCannotBeWrittenAreReportedAndLoseNothing) {
  std::filesystem::permissions(mDir.path(), std::filesystem::perms::all);
  for (const auto& e : std::filesystem::recursive_directory_iterator(mDir.path()))
    std::filesystem::permissions(e.path(), std::filesystem::perms::all);
  for (const auto& [folder, says] :
       {std::pair{"dic_backup", ""}, {"dic", "辞書フォルダに書き込めない"}}) {
    ::chmod((mDir / folder).c_str(), 0555);
    EXPECT_TRUE(InUnprivilegedChild([&] {
      Dictionary dic;
      if (!dic.LoadDicFile(DicPath()).ok())
        return false;
      const DicChange change = Add(dic, u"cow", u"牛");
      return !change.ok() && dic.Count() == 2 && ReadBytes(DicPath()) == Sjis(kOriginal) &&
             Utf16ToUtf8(MsgChangeRefused(change)).find(says) != std::string::npos;
    })) << folder;
    ::chmod((mDir / folder).c_str(), 0777);
  }
  EXPECT_TRUE(Backups().empty());
}

TEST_F(WriteThrough, RefusesEntriesThatWouldNotLoadBack) {
  for (const auto& [word, meaning] : {std::pair{u"x", u"一文字"},
                                      {u"cow", u"牛\tうし"},
                                      {u"cow", u"牛\r\nbad\tline"},
                                      {u"cow", u"  "}})
    EXPECT_FALSE(Add(mDic, word, meaning).ok()) << Utf16ToUtf8(meaning);
  EXPECT_FALSE(Delete(mDic, 3, u"x y").ok());
  EXPECT_EQ(ReadBytes(DicPath()), Sjis(kOriginal));
  EXPECT_TRUE(Backups().empty());
}

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
         ASSERT_TRUE(Add(other, u"eel", u"うなぎ", At(8, 0, 0)).ok());
       },
       "cat\t猫\r\ncow\t牛\r\ndog\t犬\r\neel\tうなぎ\r\n"},
      {"rewritten in place, same size, same time",
       [&] {
         const auto modified = std::filesystem::last_write_time(DicPath());
         std::fstream(DicPath(), std::ios::in | std::ios::out | std::ios::binary).write("bat", 3);
         std::filesystem::last_write_time(DicPath(), modified);  // cat became bat
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
    const DicChange change = Add(mDic, u"cow", u"牛");
    EXPECT_TRUE(change.ok()) << c.name;
    EXPECT_TRUE(change.reloaded) << c.name;
    EXPECT_EQ(ReadBytes(DicPath()), Sjis(c.expected)) << c.name;
    Dictionary fromFile;
    ASSERT_TRUE(fromFile.LoadDicFile(DicPath()).ok());
    EXPECT_EQ(mDic.Words(), fromFile.Words()) << "memory holds the file's copy: " << c.name;
    // The next change of this program finds its own file and loads nothing.
    EXPECT_FALSE(Add(mDic, u"fox", u"狐", At(9, 0, 1)).reloaded);
  }
}

TEST_F(WriteThrough, AStaleDeleteFindsItsEntryByTheWordAndNeverDropsAnotherMeaning) {
  Dictionary other;
  ASSERT_TRUE(other.LoadDicFile(DicPath()).ok());
  // The other program puts an entry before dog and gives cat a second meaning: dog moves to 3.
  ASSERT_TRUE(Add(other, u"bee", u"蜂", At(8, 0, 0)).ok());
  ASSERT_TRUE(Add(other, u"cat", u"ねこ", At(8, 0, 1)).ok());
  DicChange change = Delete(mDic, 2, u"dog 犬", At(9, 0, 0));  // 2 = dog here
  EXPECT_EQ(change.outcome, DicChange::Outcome::kWritten);
  EXPECT_TRUE(change.reloaded);
  EXPECT_EQ(ReadBytes(DicPath()), Sjis("bee\t蜂\r\ncat\tねこ\r\ncat\t猫\r\n"));

  // Deleting cat's only meaning in a stale copy: the other program's second meaning stays,
  // and a meaning already gone is not looked for in other entries.
  Reset();
  Dictionary& stale = mDic;
  Dictionary fresh;
  ASSERT_TRUE(fresh.LoadDicFile(DicPath()).ok());
  ASSERT_TRUE(Add(fresh, u"cat", u"ねこ", At(8, 0, 2)).ok());
  ASSERT_TRUE(Delete(stale, 2, u"dog 犬", At(9, 0, 1)).ok());  // stale again now
  ASSERT_TRUE(Delete(fresh, 1, u"cat 猫", At(9, 0, 2)).ok());
  change = Delete(stale, 1, u"cat 猫", At(9, 0, 3));
  EXPECT_EQ(change.outcome, DicChange::Outcome::kUnchanged);
  EXPECT_TRUE(change.reloaded);
  EXPECT_EQ(ReadBytes(DicPath()), Sjis("cat\tねこ\r\n"));
  EXPECT_EQ(stale.Words(), (StrList{u"", u"cat"}));
}

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
    for (const DicChange& change : {Add(mDic, u"cow", u"牛"), Delete(mDic, 1, u"x y")}) {
      EXPECT_EQ(change.outcome, DicChange::Outcome::kRefused) << c.name;
      EXPECT_EQ(change.refusal, DicChange::Refusal::kForeignFile) << c.name;
      EXPECT_EQ(GetCharCodeName(change.foreign.code), c.codeName) << c.name;
      EXPECT_EQ(change.foreign.line, c.line) << c.name;
      const std::string msg = Utf16ToUtf8(MsgChangeRefused(change));
      EXPECT_NE(msg.find(std::to_string(c.line) + "行目"), std::string::npos) << msg;
      EXPECT_NE(msg.find(c.convert), std::string::npos) << msg;
    }
    EXPECT_EQ(ReadBytes(DicPath()), c.bytes) << c.name;
    EXPECT_TRUE(Backups().empty()) << c.name;
  }
}

TEST_F(WriteThrough, ACharacterCp932CannotHoldIsRefusedByName) {
  for (const auto& [word, meaning, character, inWord, codePoint] :
       {std::tuple{u"smile", u"笑顔😀", std::u16string(u"😀"), false, "U+1F600"},
        {u"café", u"カフェ", u"é", true, "U+00E9"}}) {
    const DicChange change = Add(mDic, word, meaning);
    EXPECT_EQ(change.refusal, DicChange::Refusal::kNonSjisCharacter);
    EXPECT_EQ(change.character, character);
    EXPECT_EQ(change.inWord, inWord);
    const std::u16string msg = MsgChangeRefused(change);
    EXPECT_NE(msg.find(u"「" + character + u"」"), std::u16string::npos);
    EXPECT_NE(msg.find(U16(codePoint)), std::u16string::npos) << Utf16ToUtf8(msg);
  }
  ASSERT_TRUE(Add(mDic, u"wave", u"波～—").ok()) << "CP932 holds ～ and —";
  EXPECT_EQ(Backups().size(), 1u);
}

TEST_F(WriteThrough, ALinkedDictionaryIsWrittenThroughToItsTarget) {
  for (const char* target : {"shared/words.txt", "../elsewhere/words.txt"}) {
    const std::string real = target[0] == '.' ? mDir / "elsewhere/words.txt" : mDir / target;
    std::filesystem::create_directories(DirOf(real));
    std::filesystem::remove(DicPath());
    // A link relative to its own folder, as `ln -s` makes it, or a whole path.
    std::filesystem::create_symlink(target[0] == '.' ? std::string(target) : real, DicPath());
    Reset();  // the original written through the link
    ::chmod(real.c_str(), 0640);
    ASSERT_TRUE(Add(mDic, u"cow", u"牛").ok());
    EXPECT_TRUE(std::filesystem::is_symlink(DicPath())) << target;
    EXPECT_EQ(ReadBytes(real), Sjis("cat\t猫\r\ncow\t牛\r\ndog\t犬\r\n")) << target;
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u) << target;
    ASSERT_EQ(Backups().size(), 1u);
    const std::string backup = mDir / ("dic_backup/" + Backups()[0]);
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(backup)));
    EXPECT_EQ(ReadBytes(backup), Sjis(kOriginal)) << target;
    EXPECT_EQ(FileNames(DirOf(real)), (Names{".lock", "words.txt"})) << "nothing left behind";
  }
}

TEST_F(WriteThrough, PermissionsAreKeptAndAWriteProtectedFileIsRefusedEvenForRoot) {
  ::chmod(DicPath().c_str(), 0600);
  ASSERT_TRUE(Add(mDic, u"cow", u"牛").ok());
  struct stat st {};
  ASSERT_EQ(::stat(DicPath().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);

  for (const mode_t mode : {0444, 0400, 0000}) {
    ::chmod(DicPath().c_str(), mode);
    const std::string before = ReadBytes(DicPath());
    const DicChange change = Add(mDic, u"eel", u"うなぎ", At(9, 0, 1));
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
    const DicChange change = round == 0 ? Add(mDic, u"cow", u"牛", At(9, 0, 0), writing)
                                        : Delete(mDic, 1, u"cat 猫", At(9, 0, 0), writing);
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
  const Names debris = {"dic/.Dic_EJ.txt.4242.tmp", "dic/.Dic_EJ.txt.1.tmp",
                        "dic_backup/.Dic_EJ_2024_0315_0900_00.txt.tmp",
                        "dic_backup/.Dic_EJ_2024_0315_0900_00_2.txt.tmp"};
  const Names kept = {"dic/.Dic_EJ.txt.x1.tmp", "dic/.other.txt.12.tmp", "dic/notes.tmp",
                      "dic_backup/.keep.tmp", "dic_backup/Dic_EJ_2024_0315_0900_00.txt"};
  for (const Names& names : {debris, kept}) {
    for (const std::string& name : names)
      old(mDir / name);
  }
  WriteBytes(mDir / "dic/.Dic_EJ.txt.77.tmp", "a live change of a program without the lock");
  ASSERT_TRUE(Add(mDic, u"cow", u"牛", At(9, 0, 1)).ok());
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
