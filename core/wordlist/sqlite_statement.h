// A prepared SQLite statement that finalizes itself: what the word list and the reading
// positions read and write their database through.
#pragma once

#include <sqlite3.h>
#include <unicode/ustring.h>

#include <string>
#include <string_view>

namespace kelmoa {

// One prepared statement, finalized at the end of its scope. The first failure, of the
// preparation, a binding or a step, is kept: later calls return it.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) {
    mRc = sqlite3_prepare_v2(db, sql, -1, &mStmt, nullptr);
  }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement() { sqlite3_finalize(mStmt); }

  int code() const { return mRc; }
  Statement& Bind(int i, std::u16string_view s) {
    Keep(sqlite3_bind_text16(mStmt, i, s.data(), static_cast<int>(s.size() * 2), SQLITE_TRANSIENT));
    return *this;
  }
  Statement& Bind(int i, const std::string& s) {
    Keep(sqlite3_bind_text(mStmt, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT));
    return *this;
  }
  Statement& Bind(int i, long long v) {
    Keep(sqlite3_bind_int64(mStmt, i, v));
    return *this;
  }
  // SQLITE_ROW with a row to read, SQLITE_DONE at the end, or the error.
  int Step() {
    if (mRc != SQLITE_OK)
      return mRc;
    const int rc = sqlite3_step(mStmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
      mRc = rc;
    return rc;
  }
  // Runs a statement that returns no row needed.
  int Run() {
    int rc = Step();
    while (rc == SQLITE_ROW)
      rc = Step();
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
  }
  long long Int(int col) const { return sqlite3_column_int64(mStmt, col); }
  // The text as UTF-16, decoded here from the UTF-8 SQLite keeps (a malformed sequence read
  // as U+FFFD): asking SQLite for UTF-16 would convert it into a buffer of its own first, and a
  // listing reads hundreds of thousands of values.
  std::u16string Text16(int col) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(mStmt, col));
    const int bytes = sqlite3_column_bytes(mStmt, col);
    std::u16string text;
    if (p == nullptr || bytes == 0)
      return text;
    int32_t units = 0;
    UErrorCode error = U_ZERO_ERROR;
    u_strFromUTF8WithSub(nullptr, 0, &units, p, bytes, 0xFFFD, nullptr, &error);
    text.resize(static_cast<size_t>(units));
    error = U_ZERO_ERROR;
    u_strFromUTF8WithSub(text.data(), units, &units, p, bytes, 0xFFFD, nullptr, &error);
    if (U_FAILURE(error))
      text.clear();
    return text;
  }
  std::string Text(int col) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(mStmt, col));
    return p == nullptr ? std::string()
                        : std::string(p, static_cast<size_t>(sqlite3_column_bytes(mStmt, col)));
  }

 private:
  void Keep(int rc) {
    if (mRc == SQLITE_OK && rc != SQLITE_OK)
      mRc = rc;
  }
  sqlite3_stmt* mStmt = nullptr;
  int mRc = SQLITE_OK;
};

}  // namespace kelmoa
