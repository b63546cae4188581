#pragma once

#include <ctime>
#include <string>

#include "common/file_ops.h"
#include "common/status.h"
#include "common/str_list.h"

namespace kelmoa {

// The dictionary file's name in the folder dic.
inline constexpr const char* kDicDefault = "Dic_EJ.txt";

// True for an entry line: after removing spaces at both ends, its first TAB stands at position 3
// or later (a head word of two characters at least) and something follows that TAB.
bool IsDicLine(std::u16string_view line);

// True when word TAB meaning is an entry line that loads back as this one word with this one
// meaning: no TAB, CR or LF in either.
bool IsStorableEntry(std::u16string_view word, std::u16string_view meaning);

// The order of entry lines: by head word, then by the rest of the line. For every head word
// without characters below TAB this is the plain code-unit order of the whole lines.
bool DicLineLess(std::u16string_view a, std::u16string_view b);

// Reads the entry lines of a dictionary file into oLines (elements 1..m, untrimmed); oSorted
// tells whether they were already in order. A read error is returned with the lines read
// up to it kept in oLines.
Status ReadFileToAryWithSortChk(const std::string& path, StrList& oLines, bool& oSorted,
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
  // A read error is returned; the entries read up to it are loaded all the same.
  Status LoadDicFile(const std::string& path, FileOps& fs = DefaultFileOps());

  // Adds pMeaning to the head word pWord (stored as given), creating the entry in its place
  // when the word is new. The meaning goes last, even when an equal one is there already.
  void GetAddEntryToMemoryDic(const std::u16string& pWord, const std::u16string& pMeaning);

  // Removes from entry pIdx the meaning that follows the first space of pEntry (a line of the
  // editor's list: head word, space, meaning); every copy of it goes. An entry left without
  // meanings, or with a single meaning, is removed and later entries move down by one.
  // An index outside 1..n changes nothing.
  void GetDelEntryFromMemoryDic(int pIdx, const std::u16string& pEntry);

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
  void Revert(const Undo& undo);

  StrList mDicWord;
  StrList mDicMeaning;
};

// The dictionary's files: base/dic/Dic_EJ.txt and the backups in base/dic_backup.
class DictionaryFiles {
 public:
  explicit DictionaryFiles(std::string baseFolder, FileOps& fs = DefaultFileOps());

  std::string DicPath() const;
  std::string BackupFolder() const;

  // The backup name for a change at time t: Dic_EJ_yyyy_mmdd_hhnn_ss.txt.
  static std::string BackupName(const std::tm& t);

  // Keeps the dictionary file as it is now under the backup name of time t in dic_backup
  // (another name, "_2" and on, when that one is taken; an older backup is never replaced).
  // The dictionary file itself stays where it is until WriteFileMemoryDic replaces it.
  // A missing dictionary file needs no backup. oName receives the name used. The backup folder
  // is synced unless syncFolder is false (the write that follows syncs it).
  Status WriteFileRenameCurDic(const std::tm& t, std::string* oName = nullptr,
                               bool syncFolder = true);

  // Replaces the dictionary file with the dictionary, atomically: the file holds either the
  // old or the new dictionary in full at every moment.
  // The folder syncFirst, when given, is synced before the new file takes the old one's name.
  Status WriteFileMemoryDic(const Dictionary& dic, const std::string& syncFirst = {});

  // One editor change written through: change in memory, backup, write. When the backup or
  // the write fails, the change is taken back in memory and the backup made for it removed,
  // so memory and file agree; the failure is returned to be shown.
  Status AddEntry(Dictionary& dic, const std::u16string& word, const std::u16string& meaning,
                  const std::tm& t);
  Status DeleteEntry(Dictionary& dic, int idx, const std::u16string& entry, const std::tm& t);

 private:
  Status WriteThrough(Dictionary& dic, const Dictionary::Undo& undo, const std::tm& t);

  std::string mBase;
  FileOps& mFs;
};

}  // namespace kelmoa
