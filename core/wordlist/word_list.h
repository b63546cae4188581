#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

// The word list of an installed folder: one SQLite database, base/wordlist/wordlist.sqlite,
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

  // The database of the installed folder base.
  static std::string PathIn(const std::string& base);

  // Opens the word list of base, making its folder and the database when missing, and
  // upgrades an older schema.
  static Status Open(const std::string& base, std::unique_ptr<WordList>& list);
  // The same for a database file named directly.
  static Status OpenFile(const std::string& path, std::unique_ptr<WordList>& list);

  const std::string& path() const { return mPath; }

  // Adds a word: a new entry with count 1, or for a word already there (any case) count + 1,
  // the newest word form, head words and meanings, and the context added to those kept.
  // newCount, when given, receives the count after the change.
  Status Add(const WordCapture& capture, int* newCount = nullptr);
  // Every entry, in the order of their lower-cased words.
  Status Entries(std::vector<WordEntry>& entries) const;
  // Removes the entry of the word (any case); removing a word not there is no error.
  Status Remove(std::u16string_view word);
  // Removes every entry.
  Status RemoveAll();

 private:
  std::string mPath;
  std::unique_ptr<sqlite3, CloseDb> mDb;
};

// The entries whose word or one of whose meanings holds filter, ignoring the case of A-Z; all
// of them for an empty filter.
std::vector<WordEntry> FilterWordEntries(const std::vector<WordEntry>& entries,
                                         std::u16string_view filter);

}  // namespace kelmoa
