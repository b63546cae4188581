// The dictionary store: the entries in memory and the file they are written through to.
#pragma once

#include <ctime>
#include <optional>
#include <string>

#include "core/base/char_code.h"
#include "core/base/file_ops.h"
#include "core/base/status.h"
#include "core/base/str_list.h"

namespace kelmoa {

// The largest dictionary file that is loaded: sixteen times the bundled one. A larger file is
// refused before it is read, as an unreadable one is.
inline constexpr long long kMaxDicFileBytes = 64LL * 1024 * 1024;

// How a loaded dictionary file fails to be plain CP932: the character code it was taken for
// and the first line (from 1) that shows it.
struct ForeignCode {
  CharCode code = CharCode::kSjis;  // kSjis when bytes merely fail to decode
  long long line = 0;
};

// True for an entry line: after removing spaces at both ends, its first TAB stands at position 3
// or later (a head word of two characters at least) and something follows that TAB.
bool IsDicLine(std::u16string_view line);

// True when word TAB meaning is an entry line that loads back as this one word with this one
// meaning: no TAB, CR or LF in either.
bool IsStorableEntry(std::u16string_view word, std::u16string_view meaning);

// The order of entry lines: by head word, then by the rest of the line. For every head word
// without characters below TAB this is the plain code-unit order of the whole lines.
bool DicLineLess(std::u16string_view a, std::u16string_view b);

// Reads the entry lines of a dictionary file into fileLines (elements 1..m, untrimmed); inOrder
// tells whether they were already in order. A read error is returned with the lines read
// up to it kept in fileLines.
Status ReadLinesAndCheckOrder(const std::string& path, StrList& fileLines, bool& inOrder,
                              FileOps& fs = DefaultFileOps());

// The file lines of a dictionary as one text: one line per meaning (head word, TAB, meaning),
// each ended by CR LF, head words in their order and the meanings of each in theirs.
std::u16string MakeDicFileLines(const StrList& words, const StrList& meanings);
// The same lines as the file's bytes: CP932, what it cannot hold written as "?".
std::string MakeDicFileBytes(const StrList& words, const StrList& meanings);

// The in-memory dictionary: head words 1..n, unique and ascending in code-unit order, with
// each word's meanings joined by TAB. Element 0 of both lists is the empty string.
class Dictionary {
 public:
  Dictionary() : mDicWord(NewStrList()), mDicMeaning(NewStrList()) {}

  const StrList& Words() const { return mDicWord; }
  const StrList& Meanings() const { return mDicMeaning; }
  int Count() const { return UpperBound(mDicWord); }

  // Replaces the dictionary with the file's entries (order check, sort when needed, merge).
  // A read error is returned; the entries read up to it are loaded all the same. A file over
  // kMaxDicFileBytes, or one too large for the memory, is an error and loads nothing.
  Status LoadDicFile(const std::string& path, FileOps& fs = DefaultFileOps());

  // Set when the file loaded last is not plain CP932 (a byte that decodes to no character,
  // or a file taken for another code): it is loaded for reading, and every change is refused,
  // so that its bytes are never rewritten as "?".
  const std::optional<ForeignCode>& Foreign() const { return mForeign; }

  // Adds the meaning to the head word (stored as given), creating the entry in its place
  // when the word is new. The meaning goes last, even when an equal one is there already.
  void AddInMemory(const std::u16string& word, const std::u16string& meaning);

  // Removes from entry idx the meaning that follows the first space of entry (a line of the
  // editor's list: head word, space, meaning); every copy of it goes. An entry left without
  // meanings, or with a single meaning, is removed and later entries move down by one.
  // An index outside 1..n changes nothing.
  void DeleteInMemory(int idx, const std::u16string& entry);

 private:
  friend class DictionaryFiles;

  // What undoes one change, so that a change whose file write failed leaves no trace.
  struct Undo {
    enum Kind { kNothing, kRestoreMeaning, kErase, kInsert } kind = kNothing;
    int idx = 0;
    std::u16string word, meaning;
  };
  Undo Add(const std::u16string& word, const std::u16string& meaning);
  Undo Delete(int idx, const std::u16string& entry);
  // Takes a change back without asking for memory, so that it works when memory ran out.
  void Revert(Undo undo);

  StrList mDicWord;
  StrList mDicMeaning;
  // The version of the file loaded, to tell whether another program changed it since; none
  // after a failed load, so that the next change loads it again. A dictionary never loaded
  // stands for a missing file.
  std::optional<FileStamp> mStamp = FileStamp{};
  std::optional<ForeignCode> mForeign;
};

// What became of one change of the dictionary written through.
struct DicChange {
  enum class Outcome {
    kWritten,    // made in memory and in the file
    kUnchanged,  // after loading the file again, the meaning to delete was gone already
    kRefused,    // the change or the file does not allow it; nothing was tried
    kFailed,     // a step failed; memory and file are as before (status tells which)
  };
  enum class Refusal {
    kNone,
    kNotAnEntry,         // the word or the meaning would not load back as one entry
    kNoSuchEntry,        // the index names no entry
    kNonSjisCharacter,   // the word or the meaning holds a character CP932 cannot encode
    kForeignFile,        // the file is not plain CP932 (foreign tells how)
    kWriteProtected,     // the file allows no writing
    kFolderNotWritable,  // the dictionary's folder allows no writing (no new file, no lock)
    kBusy,               // another program kept the dictionary locked for too long
  };

  bool ok() const { return outcome == Outcome::kWritten || outcome == Outcome::kUnchanged; }

  Outcome outcome = Outcome::kWritten;
  Refusal refusal = Refusal::kNone;
  Status status;             // kFailed: the failed step, its file and the system's reason
  std::u16string character;  // kNonSjisCharacter: the character, one or two code units
  bool inWord = false;       // kNonSjisCharacter: it stands in the word, not the meaning
  int index = 0;             // kNoSuchEntry: the index asked for
  ForeignCode foreign;       // kForeignFile
  std::string path;          // the dictionary file (the file a link leads to)
  // Another program had changed the file since it was loaded: it was loaded again (the
  // dictionary in memory is that copy now) and this change was applied to it.
  bool reloaded = false;
};

// The dictionary's files: base/dic/Dic_EJ.txt and the backups in base/dic_backup (their
// names are made in core/base/paths.h).
class DictionaryFiles {
 public:
  explicit DictionaryFiles(std::string baseFolder, FileOps& fs = DefaultFileOps());

  std::string DicPath() const;
  std::string BackupFolder() const;

  // Keeps the dictionary file as it is now under the backup name of time t in dic_backup
  // (BackupFileName; the next copy's name when that one is taken: an older backup is never
  // replaced).
  // The dictionary file itself stays where it is until WriteDictionary replaces it.
  // A missing dictionary file needs no backup. backupName receives the name used. The backup folder
  // is synced unless syncFolder is false (the write that follows syncs it).
  Status KeepBackup(const std::tm& t, std::string* backupName = nullptr, bool syncFolder = true);

  // Replaces the dictionary file with the dictionary, atomically: the file holds either the
  // old or the new dictionary in full at every moment.
  // The folder syncFirst, when given, is synced before the new file takes the old one's name.
  Status WriteDictionary(const Dictionary& dic, const std::string& syncFirst = {});

  // One change written through: change in memory, backup, write, all under the lock of the
  // dictionary's folder, so that programs changing one dictionary take turns. When the file
  // is no longer the version dic was loaded from, it is loaded again first and the change is
  // applied to that copy, so that nothing another program added is dropped. When the backup
  // or the write fails, the change is taken back in memory and the backup made for it
  // removed, so memory and file agree. Leftovers of earlier changes that were killed are
  // removed on the way.
  DicChange AddEntry(Dictionary& dic, const std::u16string& word, const std::u16string& meaning,
                     const std::tm& t);
  // Deletes as DeleteInMemory does. When the file had to be loaded again, the entry
  // is found again by its head word, and only a meaning that is still there is deleted.
  DicChange DeleteEntry(Dictionary& dic, int idx, const std::u16string& entry, const std::tm& t);

 private:
  struct Request;
  DicChange WriteThrough(Dictionary& dic, const Request& request, const std::tm& t);

  std::string mBase;
  FileOps& mFs;
};

}  // namespace kelmoa
