// The word list: the words a reader keeps, with their meanings and sentences, in SQLite.
#include "core/wordlist/word_list.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>

#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "core/base/paths.h"
#include "core/wordlist/sqlite_statement.h"

namespace kelmoa {
namespace {

// 1 -> 2: where each text was left, for ReadingPositions: the first line shown, the file's size
// when it was read, and the order in which the texts were left.
constexpr const char* ReadingPositionsStep() {
  return "CREATE TABLE reading_positions ("
         "  path TEXT PRIMARY KEY,"
         "  first_line INTEGER NOT NULL,"
         "  file_size INTEGER NOT NULL,"
         "  left_order INTEGER NOT NULL);";
}

// The steps from each schema version to the next: step v upgrades version v to v + 1. Each
// runs in the transaction that sets the new version, so that a database is never left half
// upgraded.
constexpr const char* kUpgradeSteps[] = {
    // 0 -> 1: words, their head words and meanings, and their contexts.
    "CREATE TABLE words ("
    "  id INTEGER PRIMARY KEY,"
    "  word_key TEXT NOT NULL UNIQUE,"  // the word lower-cased: one entry whatever the case
    "  word TEXT NOT NULL,"             // as met last
    "  count INTEGER NOT NULL,"
    "  first_added TEXT NOT NULL,"
    "  last_added TEXT NOT NULL);"
    "CREATE TABLE head_words ("
    "  word_id INTEGER NOT NULL REFERENCES words(id),"
    "  position INTEGER NOT NULL,"
    "  head_word TEXT NOT NULL,"
    "  PRIMARY KEY (word_id, position));"
    "CREATE TABLE meanings ("
    "  word_id INTEGER NOT NULL REFERENCES words(id),"
    "  position INTEGER NOT NULL,"
    "  meaning TEXT NOT NULL,"
    "  PRIMARY KEY (word_id, position));"
    "CREATE TABLE contexts ("
    "  id INTEGER PRIMARY KEY,"  // grows with every capture: the order of the contexts
    "  word_id INTEGER NOT NULL REFERENCES words(id),"
    "  line_before TEXT NOT NULL,"
    "  line TEXT NOT NULL,"
    "  line_after TEXT NOT NULL,"
    "  word_column INTEGER NOT NULL,"
    "  word_length INTEGER NOT NULL,"
    "  file TEXT NOT NULL,"
    "  line_number INTEGER NOT NULL,"
    "  added TEXT NOT NULL);"
    "CREATE INDEX contexts_of_word ON contexts (word_id, id);",
    ReadingPositionsStep(),
};
static_assert(std::size(kUpgradeSteps) == kWordListSchemaVersion);

// Whether the database's shared-memory file (-shm) is there and this program may not write to
// it: left so by a program that read a write-protected list, it refuses every change until it
// goes. It holds nothing that the database and its -wal do not, so it may go once no program
// has the list open.
bool StaleSharedMemory(const std::string& path) {
  const std::string shm = SharedMemoryPathOf(path);
  return ::access(shm.c_str(), F_OK) == 0 && ::access(shm.c_str(), W_OK) != 0 &&
         ::access(path.c_str(), W_OK) == 0;
}

// The failure of an SQLite call on the database at path.
Status Failure(sqlite3* db, int rc, const std::string& path) {
  const int primary = rc & 0xff;
  std::string reason = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT)
    return Status::Found(StatusCode::kCorrupt, Finding::kWordListDamaged, path, reason);
  if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
    return Status::Found(StatusCode::kBusy, Finding::kWordListBusy, path, reason);
  if (primary == SQLITE_READONLY && StaleSharedMemory(path)) {
    return Status::Found(StatusCode::kPermissionDenied, Finding::kWordListStaleSharedMemory, path,
                         reason);
  }
  if (primary == SQLITE_CANTOPEN || primary == SQLITE_READONLY || primary == SQLITE_PERM)
    return Status::Found(StatusCode::kPermissionDenied, Finding::kWordListUnopenable, path, reason);
  const StatusCode code = primary == SQLITE_FULL ? StatusCode::kNoSpace : StatusCode::kIoError;
  if (primary == SQLITE_FULL)
    reason = std::strerror(ENOSPC);
  return Status::Found(code, Finding::kWordListUnusable, path, reason);
}

int Exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// A transaction rolled back at the end of its scope unless committed.
class Transaction {
 public:
  Transaction(sqlite3* db, const char* begin) : mDb(db) { mRc = Exec(db, begin); }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  ~Transaction() {
    if (mRc == SQLITE_OK && !mDone)
      Exec(mDb, "ROLLBACK");
  }
  int code() const { return mRc; }
  int Commit() {
    const int rc = Exec(mDb, "COMMIT");
    mDone = rc == SQLITE_OK;
    return rc;
  }

 private:
  sqlite3* mDb;
  int mRc = SQLITE_OK;
  bool mDone = false;
};

int ReadInt(sqlite3* db, const char* sql, long long& value) {
  Statement st(db, sql);
  const int rc = st.Step();
  if (rc == SQLITE_ROW) {
    value = st.Int(0);
    return SQLITE_OK;
  }
  return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// Refuses what stands at path (a symbolic link followed) unless it is a plain file or nothing:
// SQLite would read a device as an empty database and make a journal beside it.
Status CheckPlainFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode))
    return Status::Ok();
  return Status::Found(StatusCode::kInvalidArgument, Finding::kWordListNotPlainFile, path,
                       "not a plain file");
}

// Refuses to change a list whose file allows nobody to write to it, as the dictionary and the
// settings do (root, which SQLite would let write, is held to it too), or whose folder cannot
// be written (its -wal and -shm live there).
Status CheckWritable(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && !AllowsWriting(path, st)) {
    return Status::Found(StatusCode::kPermissionDenied, Finding::kWordListWriteProtected, path,
                         "write-protected");
  }
  const std::string folder = DirOf(path);
  if (::access(folder.c_str(), W_OK) != 0 && (errno == EACCES || errno == EROFS)) {
    return Status::Found(StatusCode::kPermissionDenied, Finding::kWordListFolderNotWritable, folder,
                         std::strerror(errno));
  }
  return Status::Ok();
}

// The URI that opens the database at path as a file nobody changes (immutable=1): no locks,
// no -wal or -shm.
std::string ImmutableUri(const std::string& path) {
  std::string uri = "file:";
  for (const char c : path) {
    if (c == '%' || c == '?' || c == '#' || static_cast<unsigned char>(c) < 0x20) {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
      uri += escaped;
    } else {
      uri += c;
    }
  }
  return uri + "?immutable=1";
}

// Whether the database at path allows nobody to write to it (AllowsWriting) and has no -wal
// file with words not yet in it.
bool WriteProtectedWithoutWal(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 &&
         ::access(WriteAheadLogPathOf(path).c_str(), F_OK) != 0;
}

// Whether the tables of a word list made before the application id was written are there,
// with the columns this program reads and writes. Only the schema is read.
bool HasOwnTables(sqlite3* db) {
  for (const char* sql : {
           "SELECT id, word_key, word, count, first_added, last_added FROM words",
           "SELECT word_id, position, head_word FROM head_words",
           "SELECT word_id, position, meaning FROM meanings",
           "SELECT id, word_id, line_before, line, line_after, word_column, word_length, file,"
           " line_number, added FROM contexts",
       }) {
    if (Statement(db, sql).code() != SQLITE_OK)
      return false;
  }
  return true;
}

// Refuses a database of a newer schema version, or one of another program: another
// application id, or none and tables that are not a word list's.
Status CheckKnown(sqlite3* db, const std::string& path) {
  // All read in one statement, so from one state of the file: a program creating the tables
  // meanwhile commits them together with the version and the id.
  Statement st(db,
               "SELECT (SELECT user_version FROM pragma_user_version),"
               " (SELECT count(*) FROM sqlite_master),"
               " (SELECT application_id FROM pragma_application_id)");
  if (const int rc = st.Step(); rc != SQLITE_ROW)
    return Failure(db, rc == SQLITE_DONE ? SQLITE_CORRUPT : rc, path);
  const long long version = st.Int(0), tables = st.Int(1), id = st.Int(2);
  const auto foreign = [&path] {
    return Status::Found(StatusCode::kInvalidArgument, Finding::kWordListForeign, path,
                         "a database of another program");
  };
  if (id != 0 && id != kWordListApplicationId)
    return foreign();
  if (version > kWordListSchemaVersion || version < 0) {
    if (id == 0)
      return foreign();  // a newer Kelmoa writes its id
    return Status::Found(StatusCode::kUnsupported, Finding::kWordListNewer, path,
                         "schema version " + std::to_string(version) + " is newer than " +
                             std::to_string(kWordListSchemaVersion),
                         version);
  }
  if ((version == 0 && tables != 0) || (id == 0 && version > 0 && !HasOwnTables(db)))
    return foreign();
  return Status::Ok();
}

// Gives the database this program's application id, in the transaction of a change.
int SetOwnId(sqlite3* db) {
  const std::string sql = "PRAGMA application_id = " + std::to_string(kWordListApplicationId);
  return Exec(db, sql.c_str());
}

// Brings the schema to kWordListSchemaVersion. A database of a newer version, or one with
// tables of something else, is refused and left unchanged.
Status UpgradeSchema(sqlite3* db, const std::string& path) {
  long long version = 0;
  if (int rc = ReadInt(db, "PRAGMA user_version", version); rc != SQLITE_OK)
    return Failure(db, rc, path);
  if (version == kWordListSchemaVersion)
    return Status::Ok();
  Transaction tx(db, "BEGIN IMMEDIATE");
  if (tx.code() != SQLITE_OK)
    return Failure(db, tx.code(), path);
  // Read again under the write lock: another program may have upgraded it meanwhile.
  if (int rc = ReadInt(db, "PRAGMA user_version", version); rc != SQLITE_OK)
    return Failure(db, rc, path);
  if (Status s = CheckKnown(db, path); !s.ok())
    return s;
  for (long long v = version; v < kWordListSchemaVersion; ++v) {
    if (int rc = Exec(db, kUpgradeSteps[v]); rc != SQLITE_OK)
      return Failure(db, rc, path);
  }
  const std::string setVersion = "PRAGMA user_version = " + std::to_string(kWordListSchemaVersion);
  if (int rc = Exec(db, setVersion.c_str()); rc != SQLITE_OK)
    return Failure(db, rc, path);
  if (int rc = SetOwnId(db); rc != SQLITE_OK)
    return Failure(db, rc, path);
  if (int rc = tx.Commit(); rc != SQLITE_OK)
    return Failure(db, rc, path);
  return Status::Ok();
}

}  // namespace

void WordList::CloseDb::operator()(sqlite3* db) const {
  sqlite3_close_v2(db);
}

WordList::WordList(Key, std::string path, std::unique_ptr<sqlite3, CloseDb> db)
    : mPath(std::move(path)), mDb(std::move(db)) {}

WordList::~WordList() = default;

Status WordList::Open(const std::string& base, std::unique_ptr<WordList>& list) {
  if (!IsFolderExist(base))
    return Status::Found(StatusCode::kNotFound, Finding::kWordListNoBaseFolder, base,
                         "no such folder");
  const std::string folder = WordListFolder(base);
  if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
    return Status::Found(StatusCode::kIoError, Finding::kWordListFolderNotMade, folder,
                         std::strerror(errno));
  }
  if (!IsFolderExist(folder))
    return Status::Found(StatusCode::kInvalidArgument, Finding::kWordListFolderIsFile, folder,
                         "not a folder");
  if (Status s = OpenFile(WordListPath(base), list); !s.ok())
    return s;
  list->mBase = base;
  return Status::Ok();
}

Status WordList::OpenFile(const std::string& path, std::unique_ptr<WordList>& list,
                          WordListAccess access) {
  if (Status s = CheckPlainFile(path); !s.ok())
    return s;
  // A list that may not be changed is opened for reading, to be shown; every change is refused
  // with the reason (FollowFile). A new one must be made, so that cannot be.
  bool reading = access == WordListAccess::kRead;
  if (!reading) {
    const Status writable = CheckWritable(path);
    if (!writable.ok() && ::access(path.c_str(), F_OK) != 0)
      return writable;
    reading = !writable.ok();
  }
  std::unique_ptr<sqlite3, CloseDb> db;
  const auto open = [&db, &path](const std::string& name, int flags) {
    sqlite3* raw = nullptr;
    // A list's connection is used by one thread only, so it goes without SQLite's locking of
    // every call, which a listing makes a million of.
    const int rc = sqlite3_open_v2(name.c_str(), &raw, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    db.reset(raw);
    if (rc != SQLITE_OK)
      return Failure(db.get(), rc, path);
    sqlite3_extended_result_codes(db.get(), 1);
    sqlite3_busy_timeout(db.get(), kWordListBusyMs);
    return Status::Ok();
  };
  if (Status s =
          open(path, reading ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
      !s.ok())
    return s;
  // A list in WAL mode is read through its -wal and -shm files, which reading makes when they
  // are missing, with the list's permissions. A list that no program changes is read as the
  // unchanging file it is, without them: one in a folder that cannot be written (which holds
  // none and can get none, so nobody can change the list either), and a write-protected one
  // that has no -wal (which no Kelmoa changes; -wal and -shm made for it would be
  // write-protected too, and stay in the way of every change once it is no longer).
  if (reading && (WriteProtectedWithoutWal(path) ||
                  Statement(db.get(), "SELECT count(*) FROM sqlite_master").code() ==
                      SQLITE_READONLY_DIRECTORY)) {
    if (Status s = open(ImmutableUri(path), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI); !s.ok())
      return s;
  }
  const auto prepare = [&]() -> Status {
    // Reading the header first tells a file that is no database, or not this program's,
    // before anything is written to it.
    if (Status s = CheckKnown(db.get(), path); !s.ok() || reading)
      return s;
    // WAL: readers and one writer at a time without blocking each other, and a killed writer
    // leaves every committed transaction. FULL syncs each commit, so that a power cut keeps
    // it too.
    {
      Statement mode(db.get(), "PRAGMA journal_mode = WAL");
      if (const int rc = mode.Step(); rc != SQLITE_ROW && rc != SQLITE_DONE)
        return Failure(db.get(), rc, path);
    }
    if (int rc = Exec(db.get(), "PRAGMA synchronous = FULL"); rc != SQLITE_OK)
      return Failure(db.get(), rc, path);
    return UpgradeSchema(db.get(), path);
  };
  // Programs that open a new list at the same moment can meet where SQLite answers "busy"
  // at once instead of waiting (two of them turning it to WAL, each holding what the other
  // needs): such a step is tried again until the list's busy time has passed.
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWordListBusyMs);
  Status s = prepare();
  while (s.IsBusy() && std::chrono::steady_clock::now() < giveUp) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    s = prepare();
  }
  if (!s.ok())
    return s;
  list = std::make_unique<WordList>(Key(), path, std::move(db));
  list->mReadOnly = reading;
  return StampFile(path, list->mOpened);
}

Status WordList::OpenForReading(const std::string& base, std::unique_ptr<WordList>& list) {
  if (Status s = OpenFile(WordListPath(base), list, WordListAccess::kRead); !s.ok())
    return s;
  list->mBase = base;
  return Status::Ok();
}

Status WordList::FollowFile() {
  if (Status s = CheckWritable(mPath); !s.ok())
    return s;
  FileStamp now;
  if (Status s = StampFile(mPath, now); !s.ok())
    return s;
  const bool same =
      mDb != nullptr && now.exists && now.device == mOpened.device && now.inode == mOpened.inode;
  if (same && !mReadOnly)
    return Status::Ok();
  if (mDb != nullptr && !same) {
    // The words committed so far go into the database itself, wherever it went (its -wal
    // stayed at the old name), before it is closed.
    if (!mReadOnly)
      Exec(mDb.get(), "PRAGMA wal_checkpoint(TRUNCATE)");
    WordListRestart restart;
    restart.newList = !now.exists;
    restart.oldPath = NameOfOpenFile(mOpened.device, mOpened.inode, restart.oldDeleted);
    mRestart = std::move(restart);
  }
  // Also a list opened only for reading, while it could not be written, is opened anew.
  mDb.reset();
  std::unique_ptr<WordList> reopened;
  if (Status s = mBase.empty() ? OpenFile(mPath, reopened) : Open(mBase, reopened); !s.ok())
    return s;
  mDb = std::move(reopened->mDb);
  mOpened = reopened->mOpened;
  mReadOnly = reopened->mReadOnly;
  return Status::Ok();
}

Status WordList::MarkOwnId() {
  long long id = 0;
  if (int rc = ReadInt(mDb.get(), "PRAGMA application_id", id); rc != SQLITE_OK)
    return Failure(mDb.get(), rc, mPath);
  if (id == 0) {
    if (int rc = SetOwnId(mDb.get()); rc != SQLITE_OK)
      return Failure(mDb.get(), rc, mPath);
  }
  return Status::Ok();
}

Status WordList::Add(const WordCapture& capture, int* newCount) {
  if (Status s = FollowFile(); !s.ok())
    return s;
  sqlite3* db = mDb.get();
  const std::u16string key = LowerAscii(capture.word);
  const std::string& now = capture.context.added;
  Transaction tx(db, "BEGIN IMMEDIATE");
  if (tx.code() != SQLITE_OK)
    return Failure(db, tx.code(), mPath);
  if (Status s = MarkOwnId(); !s.ok())
    return s;
  long long id = 0, count = 0;
  {
    Statement find(db, "SELECT id, count FROM words WHERE word_key = ?");
    find.Bind(1, key);
    const int rc = find.Step();
    if (rc == SQLITE_ROW) {
      id = find.Int(0);
      count = find.Int(1);
    } else if (rc != SQLITE_DONE) {
      return Failure(db, rc, mPath);
    }
  }
  if (id != 0) {
    Statement update(db, "UPDATE words SET word = ?, count = ?, last_added = ? WHERE id = ?");
    update.Bind(1, capture.word).Bind(2, count + 1).Bind(3, now).Bind(4, id);
    if (int rc = update.Run(); rc != SQLITE_OK)
      return Failure(db, rc, mPath);
  } else {
    Statement insert(db,
                     "INSERT INTO words (word_key, word, count, first_added, last_added) "
                     "VALUES (?, ?, 1, ?, ?)");
    insert.Bind(1, key).Bind(2, capture.word).Bind(3, now).Bind(4, now);
    if (int rc = insert.Run(); rc != SQLITE_OK)
      return Failure(db, rc, mPath);
    id = sqlite3_last_insert_rowid(db);
  }
  ++count;
  // The newest popup replaces the head words and meanings: the dictionary may have changed.
  const std::pair<const char*, const std::vector<std::u16string>*> lists[] = {
      {"DELETE FROM head_words WHERE word_id = ?", nullptr},
      {"INSERT INTO head_words (word_id, position, head_word) VALUES (?, ?, ?)",
       &capture.headWords},
      {"DELETE FROM meanings WHERE word_id = ?", nullptr},
      {"INSERT INTO meanings (word_id, position, meaning) VALUES (?, ?, ?)", &capture.meanings},
  };
  for (const auto& [sql, items] : lists) {
    if (items == nullptr) {
      Statement del(db, sql);
      del.Bind(1, id);
      if (int rc = del.Run(); rc != SQLITE_OK)
        return Failure(db, rc, mPath);
      continue;
    }
    for (size_t i = 0; i < items->size(); ++i) {
      Statement ins(db, sql);
      ins.Bind(1, id).Bind(2, static_cast<long long>(i + 1)).Bind(3, (*items)[i]);
      if (int rc = ins.Run(); rc != SQLITE_OK)
        return Failure(db, rc, mPath);
    }
  }
  const WordContext& c = capture.context;
  Statement ctx(db,
                "INSERT INTO contexts (word_id, line_before, line, line_after, word_column, "
                "word_length, file, line_number, added) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
  ctx.Bind(1, id).Bind(2, c.lineBefore).Bind(3, c.line).Bind(4, c.lineAfter);
  ctx.Bind(5, static_cast<long long>(c.column)).Bind(6, static_cast<long long>(c.length));
  ctx.Bind(7, c.file).Bind(8, static_cast<long long>(c.lineNumber)).Bind(9, c.added);
  if (int rc = ctx.Run(); rc != SQLITE_OK)
    return Failure(db, rc, mPath);
  // Keep the earliest context and the newest ones.
  Statement prune(db,
                  "DELETE FROM contexts WHERE word_id = ?1"
                  " AND id <> (SELECT min(id) FROM contexts WHERE word_id = ?1)"
                  " AND id NOT IN (SELECT id FROM contexts WHERE word_id = ?1"
                  " ORDER BY id DESC LIMIT ?2)");
  prune.Bind(1, id).Bind(2, static_cast<long long>(kMaxWordContexts - 1));
  if (int rc = prune.Run(); rc != SQLITE_OK)
    return Failure(db, rc, mPath);
  if (int rc = tx.Commit(); rc != SQLITE_OK)
    return Failure(db, rc, mPath);
  if (newCount != nullptr)
    *newCount = static_cast<int>(count);
  return Status::Ok();
}

namespace {

// The context a row of kContextColumns holds, from column first on.
constexpr const char* kContextColumns =
    "line_before, line, line_after, word_column, word_length, file, line_number, added";

WordContext ContextAt(const Statement& st, int first) {
  WordContext c;
  c.lineBefore = st.Text16(first);
  c.line = st.Text16(first + 1);
  c.lineAfter = st.Text16(first + 2);
  c.column = static_cast<int>(st.Int(first + 3));
  c.length = static_cast<int>(st.Int(first + 4));
  c.file = st.Text(first + 5);
  c.lineNumber = static_cast<int>(st.Int(first + 6));
  c.added = st.Text(first + 7);
  return c;
}

// Moves items so that item order[k] stands at k, in place, one cycle of the permutation at a
// time: a second vector of them would double what a large list takes at its peak.
void MoveIntoOrder(std::vector<WordEntry>& items, const std::vector<size_t>& order) {
  std::vector<bool> placed(items.size(), false);
  for (size_t start = 0; start < items.size(); ++start) {
    if (placed[start])
      continue;
    WordEntry held = std::move(items[start]);
    for (size_t at = start;;) {
      placed[at] = true;
      const size_t from = order[at];
      if (from == start) {
        items[at] = std::move(held);
        break;
      }
      items[at] = std::move(items[from]);
      at = from;
    }
  }
}

// The entries of a listing as the words table gives them, in the order of their ids, found by
// id. The rows of the other tables mostly come in the words' order, so the entry after the
// last one found is tried first.
class EntriesById {
 public:
  void Reserve(size_t n) {
    mIds.reserve(n);
    mEntries.reserve(n);
  }
  // Ids must come in ascending order.
  void Add(long long id, WordEntry e) {
    mIds.push_back(id);
    mEntries.push_back(std::move(e));
  }
  size_t size() const { return mEntries.size(); }
  long long IdAt(size_t i) const { return mIds[i]; }
  WordEntry& At(size_t i) { return mEntries[i]; }
  // The place of the entry of id, or kNone when no word has it.
  size_t Find(long long id) {
    if (mLast + 1 < mIds.size() && mIds[mLast + 1] == id)
      return ++mLast;
    if (mLast < mIds.size() && mIds[mLast] == id)
      return mLast;
    const auto it = std::lower_bound(mIds.begin(), mIds.end(), id);
    if (it == mIds.end() || *it != id)
      return kNone;
    mLast = static_cast<size_t>(it - mIds.begin());
    return mLast;
  }
  std::vector<WordEntry> Take() { return std::move(mEntries); }

  static constexpr size_t kNone = static_cast<size_t>(-1);

 private:
  std::vector<long long> mIds;
  std::vector<WordEntry> mEntries;
  size_t mLast = 0;
};

// A table of a word's lines (head words or meanings), each with its position.
struct LineTable {
  const char* all;     // every row, in stored order
  const char* ofWord;  // one word's rows in their order
  std::vector<std::u16string> WordEntry::*member;
};

constexpr LineTable kLineTables[] = {
    {"SELECT word_id, position, head_word FROM head_words ORDER BY rowid",
     "SELECT head_word FROM head_words WHERE word_id = ? ORDER BY position", &WordEntry::headWords},
    {"SELECT word_id, position, meaning FROM meanings ORDER BY rowid",
     "SELECT meaning FROM meanings WHERE word_id = ? ORDER BY position", &WordEntry::meanings},
};

// Reads table's lines into the entries: in stored order, since a capture writes a word's lines
// in their order; a word whose lines come otherwise (written by another program) is read
// again, in order. SQLITE_OK or the failing code.
int ReadLines(sqlite3* db, const LineTable& table, EntriesById& entries) {
  std::vector<long long> lastPosition(entries.size(), 0);
  std::vector<bool> outOfOrder(entries.size(), false);
  {
    Statement st(db, table.all);
    int rc;
    while ((rc = st.Step()) == SQLITE_ROW) {
      const size_t i = entries.Find(st.Int(0));
      if (i == EntriesById::kNone)
        continue;
      const long long position = st.Int(1);
      if (position <= lastPosition[i])
        outOfOrder[i] = true;
      lastPosition[i] = position;
      (entries.At(i).*table.member).push_back(st.Text16(2));
    }
    if (rc != SQLITE_DONE)
      return rc;
  }
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!outOfOrder[i])
      continue;
    std::vector<std::u16string>& lines = entries.At(i).*table.member;
    lines.clear();
    Statement st(db, table.ofWord);
    st.Bind(1, entries.IdAt(i));
    int rc;
    while ((rc = st.Step()) == SQLITE_ROW)
      lines.push_back(st.Text16(0));
    if (rc != SQLITE_DONE)
      return rc;
  }
  return SQLITE_OK;
}

}  // namespace

Status WordList::Entries(std::vector<WordEntry>& entries, ContextsRead read) const {
  entries.clear();
  sqlite3* db = mDb.get();
  // One read transaction: a writer meanwhile is seen entirely or not at all.
  Transaction tx(db, "BEGIN");
  if (tx.code() != SQLITE_OK)
    return Failure(db, tx.code(), mPath);
  // Each table is read in the order it is stored in (by rowid, which needs no index and no
  // sort) and put in order here: walking the indexes instead takes twice as long with many
  // words, since every row is then looked up in its table.
  EntriesById found;
  {
    long long count = 0;
    if (int rc = ReadInt(db, "SELECT count(*) FROM words", count); rc != SQLITE_OK)
      return Failure(db, rc, mPath);
    found.Reserve(static_cast<size_t>(std::max(0LL, count)));
    Statement words(db, "SELECT id, word, count, first_added, last_added FROM words ORDER BY id");
    int rc;
    while ((rc = words.Step()) == SQLITE_ROW) {
      WordEntry e;
      e.word = words.Text16(1);
      e.count = static_cast<int>(words.Int(2));
      e.firstAdded = words.Text(3);
      e.lastAdded = words.Text(4);
      found.Add(words.Int(0), std::move(e));
    }
    if (rc != SQLITE_DONE)
      return Failure(db, rc, mPath);
  }
  for (const LineTable& table : kLineTables) {
    if (int rc = ReadLines(db, table, found); rc != SQLITE_OK)
      return Failure(db, rc, mPath);
  }
  // Newest first: contexts' ids grow with every capture.
  const std::string sql =
      read == ContextsRead::kAll
          ? std::string("SELECT word_id, ") + kContextColumns + " FROM contexts ORDER BY id DESC"
          : "SELECT word_id, file, line_number FROM contexts ORDER BY id DESC";
  Statement contexts(db, sql.c_str());
  int rc;
  while ((rc = contexts.Step()) == SQLITE_ROW) {
    const size_t i = found.Find(contexts.Int(0));
    if (i == EntriesById::kNone ||
        (read == ContextsRead::kNewestPlace && !found.At(i).contexts.empty()))
      continue;
    WordContext c;
    if (read == ContextsRead::kAll) {
      c = ContextAt(contexts, 1);
    } else {
      c.file = contexts.Text(1);
      c.lineNumber = static_cast<int>(contexts.Int(2));
    }
    found.At(i).contexts.push_back(std::move(c));
  }
  if (rc != SQLITE_DONE)
    return Failure(db, rc, mPath);
  // The listing's order, by word_key: the index on it holds the ids too, so it is read alone.
  std::vector<size_t> order;
  order.reserve(found.size());
  {
    Statement byKey(db, "SELECT id FROM words ORDER BY word_key");
    while ((rc = byKey.Step()) == SQLITE_ROW) {
      if (const size_t i = found.Find(byKey.Int(0)); i != EntriesById::kNone)
        order.push_back(i);
    }
    if (rc != SQLITE_DONE)
      return Failure(db, rc, mPath);
  }
  if (order.size() != found.size())  // an index that disagrees with its table
    return Failure(db, SQLITE_CORRUPT, mPath);
  if (int commitRc = tx.Commit(); commitRc != SQLITE_OK)
    return Failure(db, commitRc, mPath);
  entries = found.Take();
  MoveIntoOrder(entries, order);
  return Status::Ok();
}

Status WordList::Contexts(std::u16string_view word, std::vector<WordContext>& contexts) const {
  contexts.clear();
  sqlite3* db = mDb.get();
  Statement st(db, (std::string("SELECT ") + kContextColumns +
                    " FROM contexts WHERE word_id = (SELECT id FROM words WHERE word_key = ?)"
                    " ORDER BY id DESC")
                       .c_str());
  st.Bind(1, LowerAscii(word));
  int rc;
  while ((rc = st.Step()) == SQLITE_ROW)
    contexts.push_back(ContextAt(st, 0));
  if (rc != SQLITE_DONE)
    return Failure(db, rc, mPath);
  return Status::Ok();
}

Status WordList::Remove(std::u16string_view word) {
  if (Status s = FollowFile(); !s.ok())
    return s;
  sqlite3* db = mDb.get();
  Transaction tx(db, "BEGIN IMMEDIATE");
  if (tx.code() != SQLITE_OK)
    return Failure(db, tx.code(), mPath);
  if (Status s = MarkOwnId(); !s.ok())
    return s;
  const std::u16string key = LowerAscii(word);
  for (const char* sql :
       {"DELETE FROM head_words WHERE word_id IN (SELECT id FROM words WHERE word_key = ?)",
        "DELETE FROM meanings WHERE word_id IN (SELECT id FROM words WHERE word_key = ?)",
        "DELETE FROM contexts WHERE word_id IN (SELECT id FROM words WHERE word_key = ?)",
        "DELETE FROM words WHERE word_key = ?"}) {
    Statement st(db, sql);
    st.Bind(1, key);
    if (int rc = st.Run(); rc != SQLITE_OK)
      return Failure(db, rc, mPath);
  }
  if (int rc = tx.Commit(); rc != SQLITE_OK)
    return Failure(db, rc, mPath);
  return Status::Ok();
}

Status WordList::RemoveAll() {
  if (Status s = FollowFile(); !s.ok())
    return s;
  sqlite3* db = mDb.get();
  Transaction tx(db, "BEGIN IMMEDIATE");
  if (tx.code() != SQLITE_OK)
    return Failure(db, tx.code(), mPath);
  if (Status s = MarkOwnId(); !s.ok())
    return s;
  if (int rc = Exec(db,
                    "DELETE FROM head_words; DELETE FROM meanings; DELETE FROM contexts;"
                    "DELETE FROM words;");
      rc != SQLITE_OK)
    return Failure(db, rc, mPath);
  if (int rc = tx.Commit(); rc != SQLITE_OK)
    return Failure(db, rc, mPath);
  return Status::Ok();
}

std::vector<WordEntry> FilterWordEntries(const std::vector<WordEntry>& entries,
                                         std::u16string_view filter) {
  if (filter.empty())
    return entries;
  const std::u16string needle = LowerAscii(filter);
  std::vector<WordEntry> kept;
  for (const WordEntry& e : entries) {
    bool match = LowerAscii(e.word).find(needle) != std::u16string::npos;
    for (size_t i = 0; !match && i < e.meanings.size(); ++i)
      match = LowerAscii(e.meanings[i]).find(needle) != std::u16string::npos;
    if (match)
      kept.push_back(e);
  }
  return kept;
}

}  // namespace kelmoa
