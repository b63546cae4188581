// Where each text was left: its first shown line, kept per installed folder.
#include "core/wordlist/reading_positions.h"

#include <sqlite3.h>

#include <filesystem>
#include <system_error>
#include <utility>

#include "core/base/paths.h"
#include "core/wordlist/sqlite_statement.h"
#include "core/wordlist/word_list.h"

namespace kelmoa {
namespace {

// The message for a failed SQLite call on the positions' database.
Status Failure(sqlite3* db, int rc) {
  const std::string reason = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  return Status::Found((rc & 0xff) == SQLITE_BUSY ? StatusCode::kBusy : StatusCode::kIoError,
                       Finding::kPositionsUnusable, "", reason);
}

}  // namespace

void ReadingPositions::CloseDb::operator()(sqlite3* db) const {
  sqlite3_close_v2(db);
}

ReadingPositions::ReadingPositions(std::unique_ptr<sqlite3, CloseDb> db) : mDb(std::move(db)) {}

Status ReadingPositions::Open(const std::string& base,
                              std::unique_ptr<ReadingPositions>& positions) {
  // The word list makes the database, turns it to WAL and brings its schema up to date, with
  // its checks of a damaged or newer file; the positions then use a connection of their own.
  {
    std::unique_ptr<WordList> list;
    if (Status s = WordList::Open(base, list); !s.ok())
      return s;
  }
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(WordListPath(base).c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  std::unique_ptr<sqlite3, CloseDb> db(raw);
  if (rc != SQLITE_OK)
    return Failure(db.get(), rc);
  sqlite3_extended_result_codes(db.get(), 1);
  sqlite3_busy_timeout(db.get(), kWordListBusyMs);
  positions = std::make_unique<ReadingPositions>(std::move(db));
  return Status::Ok();
}

std::string ReadingPositions::KeyOf(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path key = std::filesystem::weakly_canonical(path, ec);
  return ec ? path : key.string();
}

Status ReadingPositions::Store(const ReadingPosition& position) {
  // One statement, so one transaction: the order number is taken under the write lock, and a
  // second window storing at the same moment gets the next one.
  Statement store(mDb.get(),
                  "INSERT INTO reading_positions (path, first_line, file_size, left_order) "
                  "VALUES (?, ?, ?, (SELECT coalesce(max(left_order), 0) + 1 "
                  "FROM reading_positions)) "
                  "ON CONFLICT (path) DO UPDATE SET first_line = excluded.first_line, "
                  "file_size = excluded.file_size, left_order = excluded.left_order");
  store.Bind(1, KeyOf(position.path))
      .Bind(2, static_cast<long long>(position.firstLine))
      .Bind(3, position.fileSize);
  if (const int rc = store.Step(); rc != SQLITE_DONE)
    return Failure(mDb.get(), rc);
  return Status::Ok();
}

Status ReadingPositions::FirstLineOf(const std::string& path, long long size,
                                     int& firstLine) const {
  firstLine = 1;
  Statement find(mDb.get(), "SELECT first_line, file_size FROM reading_positions WHERE path = ?");
  find.Bind(1, KeyOf(path));
  const int rc = find.Step();
  if (rc == SQLITE_ROW) {
    if (find.Int(1) == size && find.Int(0) >= 1)
      firstLine = static_cast<int>(find.Int(0));
    return Status::Ok();
  }
  return rc == SQLITE_DONE ? Status::Ok() : Failure(mDb.get(), rc);
}

Status ReadingPositions::LastLeft(const std::string& except, ReadingPosition& position,
                                  bool& found) const {
  found = false;
  Statement last(mDb.get(),
                 "SELECT path, first_line, file_size FROM reading_positions WHERE path <> ? "
                 "ORDER BY left_order DESC LIMIT 1");
  last.Bind(1, except.empty() ? std::string() : KeyOf(except));
  const int rc = last.Step();
  if (rc == SQLITE_ROW) {
    found = true;
    position.path = last.Text(0);
    position.firstLine = static_cast<int>(last.Int(1));
    position.fileSize = last.Int(2);
    return Status::Ok();
  }
  return rc == SQLITE_DONE ? Status::Ok() : Failure(mDb.get(), rc);
}

}  // namespace kelmoa
