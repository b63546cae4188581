// Where texts were left: a round trip through the database, a text changed since, the order
// of leaving, two windows on one folder at once, and a word list made before positions.
#include "core/wordlist/reading_positions.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <thread>
#include <tuple>
#include <vector>

#include "core/base/fixtures_test.h"
#include "core/wordlist/word_list.h"

namespace kelmoa {
namespace {

using namespace testing;  // the shared fixtures

std::unique_ptr<ReadingPositions> OpenIn(const std::string& base) {
  std::unique_ptr<ReadingPositions> positions;
  const Status s = ReadingPositions::Open(base, positions);
  EXPECT_TRUE(s.ok()) << s.message();
  return positions;
}

// The line a text of that size opens at, or -1 when it cannot be read.
int FirstLine(ReadingPositions& positions, const std::string& path, long long size) {
  int line = 0;
  return positions.FirstLineOf(path, size, line).ok() ? line : -1;
}

TEST(ReadingPositions, ALineComesBackUnlessTheFileChangedSize) {
  TempDir dir;
  WriteBytes(dir / "a.txt", "a");
  ASSERT_TRUE(OpenIn(dir.path())->Store({dir / "a.txt", 400, 1234}).ok());
  auto positions = OpenIn(dir.path());  // as after a restart
  EXPECT_EQ(FirstLine(*positions, dir / "a.txt", 1234), 400);
  // The same file reached through another spelling of its path is the same text.
  EXPECT_EQ(FirstLine(*positions, dir.path() + "/./a.txt", 1234), 400);
  EXPECT_EQ(FirstLine(*positions, dir / "a.txt", 1235), 1) << "its size changed: from the top";
  EXPECT_EQ(FirstLine(*positions, dir / "never.txt", 1234), 1);
}

TEST(ReadingPositions, TheTextLeftLastIsTheNewestOtherThanTheOneShown) {
  TempDir dir;
  auto positions = OpenIn(dir.path());
  ReadingPosition last;
  bool found = true;
  ASSERT_TRUE(positions->LastLeft("", last, found).ok() && !found);
  ASSERT_TRUE(positions->Store({dir / "a.txt", 10, 1}).ok());
  ASSERT_TRUE(positions->Store({dir / "b.txt", 20, 2}).ok());
  ASSERT_TRUE(positions->Store({dir / "a.txt", 30, 1}).ok());  // left again: newest
  ASSERT_TRUE(positions->LastLeft("", last, found).ok() && found);
  EXPECT_EQ(std::tie(last.path, last.firstLine), std::tuple(dir / "a.txt", 30));
  ASSERT_TRUE(positions->LastLeft(dir / "a.txt", last, found).ok());
  EXPECT_EQ(last.path, dir / "b.txt");
}

// At the same moment, each through its own connection: each sees the other's positions.
TEST(ReadingPositions, TwoWindowsOnOneBaseBothStore) {
  TempDir dir;
  auto first = OpenIn(dir.path());
  auto second = OpenIn(dir.path());
  constexpr int kEach = 100;
  const auto storeMany = [&](ReadingPositions& positions, const std::string& prefix) {
    for (int i = 1; i <= kEach; ++i)
      ASSERT_TRUE(positions.Store({dir / (prefix + std::to_string(i)), i, i}).ok());
  };
  std::thread one([&] { storeMany(*first, "one-"); });
  std::thread two([&] { storeMany(*second, "two-"); });
  one.join();
  two.join();
  for (int i = 1; i <= kEach; ++i) {
    EXPECT_EQ(FirstLine(*first, dir / ("two-" + std::to_string(i)), i), i);
    EXPECT_EQ(FirstLine(*second, dir / ("one-" + std::to_string(i)), i), i);
  }
}

TEST(ReadingPositions, AnOlderWordListIsUpgradedWithItsWords) {
  TempDir dir;
  WordCapture dog;
  dog.word = u"dog";
  dog.context.added = "2026-01-01T00:00:00Z";
  std::unique_ptr<WordList> list;
  ASSERT_TRUE(WordList::Open(dir.path(), list).ok() && list->Add(dog).ok());
  list.reset();
  sqlite3* db = nullptr;  // back to the schema before positions
  ASSERT_EQ(sqlite3_open((dir / "wordlist/wordlist.sqlite").c_str(), &db), SQLITE_OK);
  const int done = sqlite3_exec(db, "DROP TABLE reading_positions; PRAGMA user_version = 1;",
                                nullptr, nullptr, nullptr);
  sqlite3_close(db);
  ASSERT_EQ(done, SQLITE_OK);
  ASSERT_TRUE(OpenIn(dir.path())->Store({dir / "a.txt", 7, 1}).ok());
  std::vector<WordEntry> entries;
  ASSERT_TRUE(WordList::Open(dir.path(), list).ok() && list->Entries(entries).ok());
  ASSERT_EQ(entries.size(), 1U);
  EXPECT_EQ(entries[0].word, u"dog");
}

}  // namespace
}  // namespace kelmoa
