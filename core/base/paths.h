// File names: every name the program gives a file or a folder, made and told apart here.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace kelmoa {

// An installed Kelmoa is one folder, the base folder:
//   bin/                 the program folder: the programs, the settings file and the log
//   dic/                 the dictionary, the phrase dictionary and the lock of their changes
//   dic_backup/          the dictionary as it was before each change
//   txt_shift_jis/       the texts the chooser offers, and the copies prepared for reading
//   htm/                 the help page
//   wordlist/            the word list's database
inline constexpr char kDicFolder[] = "dic";
inline constexpr char kBackupFolder[] = "dic_backup";
inline constexpr char kTextFolder[] = "txt_shift_jis";
inline constexpr char kHelpFolder[] = "htm";
inline constexpr char kWordListFolder[] = "wordlist";

// The data folders checked at start, in the order they are checked.
inline constexpr const char* kDataFolders[] = {kDicFolder, kBackupFolder, kTextFolder};

// The program's title: it names the log and the settings file.
inline constexpr char kProgramTitle[] = "Kelmoa";

// The dictionary's file name in the folder dic.
inline constexpr char kDicFileName[] = "Dic_EJ.txt";
// The phrase dictionary's file name, beside the dictionary.
inline constexpr char kPhraseDicFileName[] = "Phrase_EJ.txt";
// The sound of a warning, in the program folder.
inline constexpr char kNotifySoundFileName[] = "notify.wav";

// folder/name; name alone when folder is empty.
std::string JoinPath(std::string_view folder, std::string_view name);

// base/folder: one of the folders below the base folder.
std::string DataFolder(const std::string& base, std::string_view folder);
// base/dic/Dic_EJ.txt.
std::string DicPath(const std::string& base);
// The phrase dictionary beside the dictionary file at dicPath (whatever that one is called).
std::string PhraseDicPathBeside(const std::string& dicPath);
// base/dic_backup.
std::string BackupFolder(const std::string& base);
// base/txt_shift_jis.
std::string TextFolder(const std::string& base);
// base/htm/index.htm.
std::string HelpPagePath(const std::string& base);
// base/wordlist, and the database in it: base/wordlist/wordlist.sqlite.
std::string WordListFolder(const std::string& base);
std::string WordListPath(const std::string& base);
// The files SQLite keeps beside a database in WAL mode: its log (-wal) and its shared memory
// (-shm).
std::string WriteAheadLogPathOf(const std::string& dbPath);
std::string SharedMemoryPathOf(const std::string& dbPath);
// programFolder/<title>.log and programFolder/<title>.ini.
std::string LogPath(const std::string& programFolder, std::string_view title);
std::string SettingsPath(const std::string& programFolder, std::string_view title);
// The lock file that changes of the files in folder take turns on: folder/.lock.
std::string LockPath(const std::string& folder);

// The name of the backup kept for a change at time t: Dic_EJ_yyyy_mmdd_hhnn_ss.txt, and for
// the copy-th change in the same second (copy 2 and on) Dic_EJ_yyyy_mmdd_hhnn_ss_copy.txt.
std::string BackupFileName(const std::tm& t, int copy = 1);

// The name of a temporary file that becomes name once it is written in full: "." + name + "."
// + tag + ".tmp", tag being six random letters and digits (a process id in older versions).
std::string TemporaryFileName(std::string_view name, std::string_view tag);

// The name of a prepared copy of a text named baseName (its name without the extension) in
// the text folder: baseName.txt, or for the n-th try (n from 2) "baseName (n).txt".
std::string PreparedCopyName(std::string_view baseName, int n);
// A text's name without its extension ("story.md" gives "story"; ".hidden" stays).
std::string NameWithoutExtension(std::string_view name);
// The files a text split into partCount parts is written to: path itself for one part, else
// NAME-1.txt, NAME-2.txt, ... for path NAME.txt (the number before the extension).
std::vector<std::string> PartPaths(const std::string& path, size_t partCount);

// What a file name tells, as ParseFileName reads it.
enum class FileKind {
  kOther,             // none of the program's own
  kDictionary,        // Dic_EJ.txt
  kPhraseDictionary,  // Phrase_EJ.txt
  kBackup,            // Dic_EJ_2024_0315_1423_05.txt, ..._05_2.txt
  kTemporary,         // .NAME.tag.tmp
  kLock,              // .lock
  kWordList,          // wordlist.sqlite
  kWriteAheadLog,     // NAME-wal
  kSharedMemory,      // NAME-shm
  kLog,               // TITLE.log
  kSettings,          // TITLE.ini
  kHelpPage,          // index.htm
};

struct ParsedFileName {
  FileKind kind = FileKind::kOther;
  std::tm time{};   // kBackup: the time of the change (year, month, day, hour, minute, second)
  int copy = 1;     // kBackup: 1 for the first backup of its second, then 2, 3, ...
  std::string of;   // kTemporary, kWriteAheadLog, kSharedMemory: the name it belongs to;
                    // kLog, kSettings: the title
  std::string tag;  // kTemporary: its random tag; empty for a leftover of an older version
                    // that had none
};

// What the file name (a name, not a path) is, for every kind the program makes: the inverse
// of the functions above.
ParsedFileName ParseFileName(std::string_view name);

// Whether name is a leftover of a killed change of the dictionary file dicName: a temporary
// new dictionary (".Dic_EJ.txt.x7Gq2a.tmp", or with a process id for the tag).
bool IsDicTemporary(std::string_view name, std::string_view dicName);
// Whether name is a leftover of a killed change in the backup folder: a backup copy not yet
// under its name (".Dic_EJ_2024_0315_1423_05.txt.x7Gq2a.tmp", or ".tmp" alone after it in
// older versions).
bool IsBackupTemporary(std::string_view name);

}  // namespace kelmoa
