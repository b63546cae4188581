// The word list: the words a reader keeps, with their meanings and sentences, in SQLite.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/base/file_ops.h"
#include "core/base/status.h"
#include "core/wordlist/word_capture.h"

struct sqlite3;

namespace kelmoa {

// The schema version this program writes (PRAGMA user_version). Older databases are upgraded
// step by step when opened; a newer one is refused, never changed.
inline constexpr int kWordListSchemaVersion = 2;

// How many contexts a word keeps: the earliest one and the newest ones up to this total.
inline constexpr int kMaxWordContexts = 4;

// How long a write waits for another program writing the same list before it gives up.
inline constexpr int kWordListBusyMs = 10000;

// The SQLite application id of a word list (PRAGMA application_id): the letters "Klmo" as a
// big-endian number, Kelmoa's own. A database with another id is not opened as a word list.
// Lists made before the id was written have none; they are known by their tables, and get
// the id with their next change.
inline constexpr int kWordListApplicationId = 0x4B6C6D6F;

// Whether a word list is opened to be changed or only read.
enum class WordListAccess {
  kChange,  // made when missing, switched to WAL, upgraded: ready for changes
  kRead,    // read only (SQLITE_OPEN_READONLY): nothing is made, changed or switched
};

// The database of an open word list had moved or vanished before a change, and the change
// went to a new list at its place (WordList::TakeRestart).
struct WordListRestart {
  bool newList = true;      // nothing stood at the place: a new, empty list was begun
  std::string oldPath;      // where the old database is now; empty when that is not known
  bool oldDeleted = false;  // the old database has been deleted
};

// One word of the list. Words are one entry whatever their case: the word is stored as it was
// met last.
struct WordEntry {
  std::u16string word;
  std::vector<std::u16string> headWords;  // of the newest capture
  std::vector<std::u16string> meanings;   // the popup's lines of the newest capture
  int count = 0;                          // how many times it was added
  std::string firstAdded, lastAdded;      // UTC, ISO 8601
  std::vector<WordContext> contexts;      // newest first; the earliest is always among them
};

// How much of each word's contexts WordList::Entries reads.
enum class ContextsRead {
  kAll,          // every context kept: what an export writes
  kNewestPlace,  // the newest context's file and line number only: what a listing shows, a
                 // fraction of the memory; the sentences are read by WordList::Contexts
};

// The word list of an installed folder: one SQLite database, WordListPath(base),
// in WAL mode so that several Kelmoa windows and kelmoa-tool may write to it at once; every
// change is one transaction, so a program killed during a change leaves what was committed.
// A file that cannot be opened, is no database or is damaged is reported and left as it is.
class WordList {
 public:
  struct CloseDb {
    void operator()(sqlite3* db) const;
  };
  // Made by Open and OpenFile only: the key is theirs.
  class Key {
    friend class WordList;
    Key() = default;
  };
  WordList(Key, std::string path, std::unique_ptr<sqlite3, CloseDb> db);
  WordList(const WordList&) = delete;
  WordList& operator=(const WordList&) = delete;
  ~WordList();

  // Opens the word list of base, making its folder and the database when missing, and
  // upgrades an older schema. A list that may not be changed (write-protected, or in a folder
  // that cannot be written) is opened for reading: it shows, and each change is refused.
  static Status Open(const std::string& base, std::unique_ptr<WordList>& list);
  // The same for a database file named directly.
  static Status OpenFile(const std::string& path, std::unique_ptr<WordList>& list,
                         WordListAccess access = WordListAccess::kChange);
  // Opens the word list of base for reading: Entries only. A database in a folder that
  // cannot be written, or one that is write-protected, is read as it is.
  static Status OpenForReading(const std::string& base, std::unique_ptr<WordList>& list);

  const std::string& path() const { return mPath; }

  // Set when a change found that the database had moved or vanished since it was opened (a
  // user moved a damaged list away, or deleted the folder): the change went to the list now
  // at the path, a new one when none was there. Given once, then cleared.
  std::optional<WordListRestart> TakeRestart() { return std::exchange(mRestart, std::nullopt); }

  // Adds a word: a new entry with count 1, or for a word already there (any case) count + 1,
  // the newest word form, head words and meanings, and the context added to those kept.
  // newCount, when given, receives the count after the change.
  Status Add(const WordCapture& capture, int* newCount = nullptr);
  // Every entry, in the order of their lower-cased words.
  Status Entries(std::vector<WordEntry>& entries, ContextsRead read = ContextsRead::kAll) const;
  // The contexts kept of word (any case), newest first; none for a word not there.
  Status Contexts(std::u16string_view word, std::vector<WordContext>& contexts) const;
  // Removes the entry of the word (any case); removing a word not there is no error.
  Status Remove(std::u16string_view word);
  // Removes every entry.
  Status RemoveAll();

 private:
  // Before a change: when the file at mPath is no longer the database that was opened, every
  // committed word is put into that database wherever it went, and the list at mPath (a new
  // one when there is none) is opened in its stead.
  Status FollowFile();
  // In a change's transaction: gives a list made before the application id was written its id.
  Status MarkOwnId();

  std::string mPath;
  std::unique_ptr<sqlite3, CloseDb> mDb;
  std::string mBase;       // the installed folder, when opened by Open
  FileStamp mOpened;       // which file was opened (device and inode)
  bool mReadOnly = false;  // opened for reading: it may not be changed
  std::optional<WordListRestart> mRestart;
};

// The entries whose word or one of whose meanings holds filter, ignoring the case of A-Z; all
// of them for an empty filter.
std::vector<WordEntry> FilterWordEntries(const std::vector<WordEntry>& entries,
                                         std::u16string_view filter);

}  // namespace kelmoa
