// The word list's database: counts and contexts, a killed writer, and files that are not a
// word list. Several writers at once: kelmoa-tool's tests.
#include "core/wordlist/word_list.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <tuple>

#include "core/base/codepage.h"
#include "core/base/fixtures_test.h"
#include "core/base/helpers.h"
#include "core/base/paths.h"
#include "core/text/messages.h"

namespace kelmoa {
namespace {

using namespace testing;  // the shared fixtures

WordCapture Capture(const std::string& word, int lineNumber, const std::string& meaning = "意味") {
  WordCapture c{U16(word), {LowerAscii(U16(word))}, {U16(meaning), u"second line"}, {}};
  c.context.line = U16("the " + word + " here");
  c.context.column = 5;
  c.context.length = static_cast<int>(word.size());
  c.context.file = "/texts/a.txt";
  c.context.lineNumber = lineNumber;
  c.context.added = "2026-01-01T00:00:" + std::to_string(10 + lineNumber % 50) + "Z";
  return c;
}

std::unique_ptr<WordList> OpenIn(const std::string& base) {
  std::unique_ptr<WordList> list;
  const Status s = WordList::Open(base, list);
  EXPECT_TRUE(s.ok()) << s.message();
  return list;
}

std::vector<WordEntry> EntriesOf(WordList& list) {
  std::vector<WordEntry> entries;
  const Status s = list.Entries(entries);
  EXPECT_TRUE(s.ok()) << s.message();
  return entries;
}

// Runs sql on the database at path, made if missing; the first value it gives, if any.
std::string Sql(const std::string& path, const char* sql) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  std::string first;
  const auto keepFirst = [](void* out, int, char** values, char**) {
    if (static_cast<std::string*>(out)->empty() && values[0] != nullptr)
      *static_cast<std::string*>(out) = values[0];
    return 0;
  };
  EXPECT_EQ(sqlite3_exec(db, sql, keepFirst, &first, nullptr), SQLITE_OK) << sql;
  sqlite3_close(db);
  return first;
}

TEST(WordList, RepeatsRaiseTheCountAndKeepTheEarliestAndNewestContexts) {
  TempDir dir;
  // An empty file, as a start killed at once leaves, is made a word list.
  std::filesystem::create_directories(dir / "wordlist");
  WriteBytes(WordListPath(dir.path()), "");
  auto list = OpenIn(dir.path());
  ASSERT_TRUE(list);
  EXPECT_EQ(Sql(list->path(), "PRAGMA user_version"), std::to_string(kWordListSchemaVersion));
  EXPECT_EQ(Sql(list->path(), "PRAGMA journal_mode"), "wal");
  int count = 0;
  for (int i = 1; i <= 6; ++i) {
    // Any case is the same word; the newest form and meanings are kept.
    ASSERT_TRUE(
        list->Add(Capture(i % 2 ? "Hungry" : "hungry", i, "m" + std::to_string(i)), &count).ok());
    EXPECT_EQ(count, i);
  }
  ASSERT_TRUE(list->Add(Capture("apple", 9), &count).ok());
  EXPECT_EQ(count, 1);

  const auto entries = EntriesOf(*list);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].word, u"apple");
  const WordEntry& e = entries[1];
  EXPECT_EQ(std::tie(e.word, e.count, e.firstAdded, e.lastAdded),
            std::tuple(u"hungry", 6, Capture("x", 1).context.added, Capture("x", 6).context.added));
  EXPECT_EQ(e.meanings, (std::vector<std::u16string>{u"m6", u"second line"}));
  EXPECT_EQ(e.headWords, std::vector<std::u16string>{u"hungry"});
  // Newest first: the three newest, then the first ever.
  EXPECT_EQ(e.contexts, (std::vector{Capture("hungry", 6).context, Capture("Hungry", 5).context,
                                     Capture("hungry", 4).context, Capture("Hungry", 1).context}));
  // A listing reads the newest place alone; the sentences come by the word, in any case.
  std::vector<WordEntry> listed;
  ASSERT_TRUE(list->Entries(listed, ContextsRead::kNewestPlace).ok());
  ASSERT_EQ(listed[1].contexts.size(), 1u);
  EXPECT_EQ(listed[1].contexts[0].lineNumber, 6);
  EXPECT_EQ(listed[1].contexts[0].file, e.contexts[0].file);
  std::vector<WordContext> contexts;
  ASSERT_TRUE(list->Contexts(u"HUNGRY", contexts).ok());
  EXPECT_EQ(contexts, e.contexts);
  ASSERT_TRUE(list->Contexts(u"absent", contexts).ok());
  EXPECT_TRUE(contexts.empty());

  ASSERT_TRUE(list->Remove(u"HUNGRY").ok());
  EXPECT_EQ(EntriesOf(*list).size(), 1u);
  ASSERT_TRUE(list->Remove(u"nothing").ok());
  ASSERT_TRUE(list->RemoveAll().ok());
  EXPECT_TRUE(EntriesOf(*list).empty());
  EXPECT_EQ(Sql(list->path(), "SELECT count(*) FROM contexts"), "0");
}

// A listing reads each table in its stored order and sorts in memory: rows that another
// program stored in any order still come by word, and each word's lines by position.
TEST(WordList, RowsStoredInAnyOrderAreListedByWordAndPosition) {
  TempDir dir;
  auto list = OpenIn(dir.path());
  ASSERT_TRUE(list);
  Sql(list->path(),
      "INSERT INTO words VALUES (7, 'pear', 'Pear', 1, 't', 't'), (3, 'zebra', 'zebra', 2, 't',"
      " 't'), (5, 'apple', 'apple', 1, 't', 't');"
      "INSERT INTO meanings VALUES (7, 3, 'c'), (3, 1, 'z1'), (7, 1, 'a'), (7, 2, 'b');"
      "INSERT INTO head_words VALUES (3, 2, 'h2'), (3, 1, 'h1'), (9, 1, 'of no word');"
      "INSERT INTO contexts (id, word_id, line_before, line, line_after, word_column,"
      " word_length, file, line_number, added) VALUES (4, 7, '', 'l', '', 0, 4, 'new.txt', 2, 't'),"
      " (2, 7, '', 'l', '', 0, 4, 'old.txt', 1, 't'), (3, 9, '', 'l', '', 0, 1, 'x', 1, 't');");
  for (const ContextsRead read : {ContextsRead::kAll, ContextsRead::kNewestPlace}) {
    std::vector<WordEntry> entries;
    ASSERT_TRUE(list->Entries(entries, read).ok());
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].word + entries[1].word + entries[2].word, u"applePearzebra");
    EXPECT_EQ(entries[1].meanings, (std::vector<std::u16string>{u"a", u"b", u"c"}));
    EXPECT_EQ(entries[2].headWords, (std::vector<std::u16string>{u"h1", u"h2"}));
    ASSERT_EQ(entries[1].contexts.size(), read == ContextsRead::kAll ? 2u : 1u);
    EXPECT_EQ(entries[1].contexts[0].file, "new.txt");
    EXPECT_TRUE(entries[0].contexts.empty());
  }
}

TEST(WordList, AKilledWriterLeavesEveryCommittedWord) {
  TempDir dir;
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {  // adds words and says each one committed, until it is killed
    ::close(pipeFds[0]);
    std::unique_ptr<WordList> list;
    bool ok = WordList::Open(dir.path(), list).ok();
    for (int i = 0; ok; ++i)
      ok = list->Add(Capture("word" + std::to_string(i), i)).ok() &&
           ::write(pipeFds[1], "x", 1) == 1;
    ::_exit(1);
  }
  ::close(pipeFds[1]);
  // Killed at once after 40 words are committed, most likely amid the next one.
  int committed = 0;
  char ch;
  while (committed < 40 && ::read(pipeFds[0], &ch, 1) == 1)
    ++committed;
  ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ::close(pipeFds[0]);
  ASSERT_EQ(committed, 40);
  ASSERT_TRUE(WIFSIGNALED(status));

  auto list = OpenIn(dir.path());
  ASSERT_TRUE(list);
  const auto entries = EntriesOf(*list);
  EXPECT_GE(entries.size(), 40u);
  for (const WordEntry& e : entries)
    EXPECT_EQ(std::tuple(e.count, e.contexts.size(), e.meanings.size()), std::tuple(1, 1u, 2u));
  EXPECT_EQ(Sql(list->path(), "PRAGMA integrity_check"), "ok");
  EXPECT_TRUE(list->Add(Capture("after", 1)).ok());
}

// A database of a good word list, its bytes flushed into the main file.
std::string GoodDatabase(const TempDir& dir) {
  const std::string base = dir / "good";
  std::filesystem::create_directory(base);
  auto list = OpenIn(base);
  for (int i = 0; i < 200; ++i)
    EXPECT_TRUE(list->Add(Capture("word" + std::to_string(i), i, std::string(300, 'm'))).ok());
  list.reset();
  return ReadBytes(WordListPath(base));
}

TEST(WordList, AFileThatIsNoWordListIsReportedAndLeftAsItIs) {
  TempDir dir;
  const std::string good = GoodDatabase(dir);
  ASSERT_GT(good.size(), 8192u);
  Sql(dir / "other.sqlite", "CREATE TABLE notes (t TEXT); INSERT INTO notes VALUES ('x');");
  const std::string otherProgram = ReadBytes(dir / "other.sqlite");
  // Another program's tables at user_version 1, and no id.
  Sql(dir / "other1.sqlite", "CREATE TABLE words (w TEXT); PRAGMA user_version = 1;");
  const std::string otherVersionOne = ReadBytes(dir / "other1.sqlite");
  std::string otherId = good;
  otherId[71] = 1;  // application_id, big-endian at offset 68
  std::string newer = good;
  newer[63] = 99;  // user_version, big-endian at offset 60
  std::string badPage = good;
  for (size_t i = 4096 + 100; i < badPage.size(); i += 7)
    badPage[i] = static_cast<char>(0xA5);

  struct Case {
    const char* name;
    std::string bytes;
    const char* says;
  };
  const Case cases[] = {
      {"text", "this is not a database\n", "壊れている"},
      {"random", std::string(5000, '\x7f'), "壊れている"},
      {"header only", good.substr(0, 100), "壊れている"},
      {"cut short", good.substr(0, good.size() / 2 + 50), "壊れている"},
      {"damaged pages", badPage, "壊れている"},
      {"another program's", otherProgram, "単語帳ではない"},
      {"another program's at version 1", otherVersionOne, "単語帳ではない"},
      {"another application's id", otherId, "単語帳ではない"},
      {"a newer version", newer, "新しい版"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string base = dir / c.name;
    std::filesystem::create_directories(base + "/wordlist");
    const std::string path = WordListPath(base);
    WriteBytes(path, c.bytes);
    std::vector<WordEntry> entries;
    std::unique_ptr<WordList> list;
    Status s = WordList::OpenForReading(base, list);
    if (s.ok())
      s = list->Entries(entries);
    if (s.ok())
      s = WordList::Open(base, list);
    if (s.ok()) {
      // Some damage shows only when the pages are read.
      s = list->Entries(entries);
      if (s.ok())
        s = list->Add(Capture("new", 1));
      list.reset();
    }
    EXPECT_FALSE(s.ok());
    const std::string said = Utf16ToUtf8(StatusInWords(s));
    EXPECT_NE(said.find(c.says), std::string::npos) << said;
    EXPECT_NE(said.find(path), std::string::npos) << said;
    EXPECT_EQ(ReadBytes(path), c.bytes);
  }
}

// Moved away (as the README suggests for a damaged one) or deleted under an open list: the
// restart is said once, with where the old list went.
TEST(WordList, AChangeAfterTheDatabaseMovedOrVanishedGoesToANewList) {
  using Away = std::function<std::string(const TempDir&)>;
  const Away moved = [](const TempDir& dir) {
    std::filesystem::rename(WordListPath(dir.path()), dir / "moved.sqlite");
    return dir / "moved.sqlite";
  };
  const Away deleted = [](const TempDir& dir) {
    std::filesystem::remove_all(dir / "wordlist");
    return std::string();
  };
  for (const Away& away : {moved, deleted}) {
    TempDir dir;
    auto list = OpenIn(dir.path());
    ASSERT_TRUE(list->Add(Capture("apple", 1)).ok());
    ASSERT_TRUE(list->Add(Capture("pear", 2)).ok());
    const std::string old = away(dir);
    ASSERT_TRUE(list->Add(Capture("plum", 3)).ok());
    const std::optional<WordListRestart> restart = list->TakeRestart();
    ASSERT_TRUE(restart);
    EXPECT_TRUE(restart->newList);
    EXPECT_EQ(restart->oldDeleted, old.empty());
    if (!old.empty()) {
      EXPECT_EQ(restart->oldPath, std::filesystem::canonical(old).string());
    }
    EXPECT_FALSE(list->TakeRestart()) << "said once";
    ASSERT_TRUE(list->Add(Capture("fig", 4)).ok());
    EXPECT_FALSE(list->TakeRestart());
    EXPECT_EQ(EntriesOf(*OpenIn(dir.path())).size(), 2u) << "plum and fig, in the new list";
    if (!old.empty()) {
      std::unique_ptr<WordList> kept;
      ASSERT_TRUE(WordList::OpenFile(old, kept, WordListAccess::kRead).ok());
      EXPECT_EQ(EntriesOf(*kept).size(), 2u) << "apple and pear, in the old one";
    }
  }
}

// A list in a folder that cannot be written and a write-protected list are read as they are,
// and a -shm that a write-protected list left behind is named when it stands in the way.
TEST(WordList, ReadingWritesNothing) {
  TempDir dir;
  ::chmod(dir.path().c_str(), 0777);
  const std::string path = WordListPath(dir.path());
  ASSERT_TRUE(OpenIn(dir.path())->Add(Capture("apple", 1)).ok());
  const std::string bytes = ReadBytes(path);
  // Read, and opened to be changed (as the window does), it shows and refuses the change.
  const auto readsAsItIs = [&] {
    std::unique_ptr<WordList> list;
    std::vector<WordEntry> entries;
    return WordList::OpenForReading(dir.path(), list).ok() && list->Entries(entries).ok() &&
           entries.size() == 1 && WordList::Open(dir.path(), list).ok() &&
           list->Entries(entries).ok() && entries.size() == 1 &&
           !list->Add(Capture("pear", 2)).ok() &&
           testing::FileNames(dir / "wordlist") == std::vector<std::string>{"wordlist.sqlite"};
  };
  ::chmod((dir / "wordlist").c_str(), 0555);
  EXPECT_TRUE(testing::InUnprivilegedChild(readsAsItIs)) << "a folder that cannot be written";
  ::chmod((dir / "wordlist").c_str(), 0777);
  ::chmod(path.c_str(), 0444);
  EXPECT_TRUE(readsAsItIs()) << "a write-protected list, root too";
  EXPECT_TRUE(testing::InUnprivilegedChild(readsAsItIs)) << "a write-protected list";
  EXPECT_EQ(ReadBytes(path), bytes);
  auto shown = OpenIn(dir.path());  // writing allowed again: the next change goes through
  ::chmod(path.c_str(), 0644);
  EXPECT_TRUE(shown->Add(Capture("pear", 2)).ok());
  EXPECT_FALSE(shown->TakeRestart());
  shown.reset();

  ::chmod(path.c_str(), 0666);
  WriteBytes(path + "-shm", "");
  ::chmod((path + "-shm").c_str(), 0444);
  EXPECT_TRUE(testing::InUnprivilegedChild([&] {
    std::unique_ptr<WordList> list;
    Status s = WordList::Open(dir.path(), list);
    if (s.ok())
      s = list->Add(Capture("pear", 2));
    return Utf16ToUtf8(StatusInWords(s)).find(path + "-shm") != std::string::npos;
  }));
}

// A list made before the application id was written has none, and is read as it is.
TEST(WordList, AnEarlierListGetsTheIdWithItsNextChange) {
  TempDir dir;
  const std::string path = WordListPath(dir.path());
  OpenIn(dir.path());
  Sql(path, "PRAGMA application_id = 0");
  auto list = OpenIn(dir.path());
  EntriesOf(*list);
  EXPECT_EQ(Sql(path, "PRAGMA application_id"), "0");
  ASSERT_TRUE(list->Add(Capture("apple", 1)).ok());
  EXPECT_EQ(Sql(path, "PRAGMA application_id"), std::to_string(kWordListApplicationId));
}

}  // namespace
}  // namespace kelmoa
