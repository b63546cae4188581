// File names: every name the program gives a file or a folder, made and told apart here.
#include "core/base/paths.h"

#include <algorithm>
#include <cstdio>

#include "core/base/helpers.h"

namespace kelmoa {
namespace {

constexpr std::string_view kTxt = ".txt";
constexpr std::string_view kTmp = ".tmp";
constexpr char kHelpPageFileName[] = "index.htm";
constexpr char kWordListFileName[] = "wordlist.sqlite";
constexpr char kLockFileName[] = ".lock";
constexpr std::string_view kWalSuffix = "-wal";
constexpr std::string_view kShmSuffix = "-shm";

// "Dic_EJ": the dictionary's name without ".txt", which every backup name begins with.
constexpr std::string_view DicStem() {
  constexpr std::string_view name = kDicFileName;
  return name.substr(0, name.size() - kTxt.size());
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), IsDigit);
}

// Reads the digits s[at..at+n) into value; false unless they are all digits.
bool ReadDigits(std::string_view s, size_t at, size_t n, int& value) {
  if (at + n > s.size() || !AllDigits(s.substr(at, n)))
    return false;
  value = 0;
  for (size_t i = at; i < at + n; ++i)
    value = value * 10 + (s[i] - '0');
  return true;
}

// A temporary file's tag: six letters and digits, or the process id of an older version.
bool IsTemporaryTag(std::string_view tag) {
  const auto letterOrDigit = [](char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  };
  return AllDigits(tag) || (tag.size() == 6 && std::all_of(tag.begin(), tag.end(), letterOrDigit));
}

// Dic_EJ_yyyy_mmdd_hhnn_ss.txt or Dic_EJ_yyyy_mmdd_hhnn_ss_copy.txt.
bool ParseBackupName(std::string_view name, ParsedFileName& parsed) {
  const std::string_view stem = DicStem();
  if (!name.starts_with(stem) || !name.ends_with(kTxt))
    return false;
  const std::string_view stamp = name.substr(stem.size(), name.size() - stem.size() - kTxt.size());
  // "_yyyy_mmdd_hhnn_ss": 18 characters.
  constexpr size_t kStampSize = 18;
  if (stamp.size() < kStampSize || stamp[0] != '_' || stamp[5] != '_' || stamp[10] != '_' ||
      stamp[15] != '_') {
    return false;
  }
  std::tm& t = parsed.time;
  int year = 0, month = 0;
  if (!ReadDigits(stamp, 1, 4, year) || !ReadDigits(stamp, 6, 2, month) ||
      !ReadDigits(stamp, 8, 2, t.tm_mday) || !ReadDigits(stamp, 11, 2, t.tm_hour) ||
      !ReadDigits(stamp, 13, 2, t.tm_min) || !ReadDigits(stamp, 16, 2, t.tm_sec)) {
    return false;
  }
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  parsed.copy = 1;
  if (stamp.size() > kStampSize) {
    const std::string_view copy = stamp.substr(kStampSize);
    int n = 0;
    if (copy[0] != '_' || copy.size() > 10 || !ReadDigits(copy, 1, copy.size() - 1, n) || n < 2)
      return false;
    parsed.copy = n;
  }
  parsed.kind = FileKind::kBackup;
  return true;
}

}  // namespace

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty())
    path += '/';
  path += name;
  return path;
}

std::string DataFolder(const std::string& base, std::string_view folder) {
  return base + "/" + std::string(folder);
}

std::string DicPath(const std::string& base) {
  return JoinPath(DataFolder(base, kDicFolder), kDicFileName);
}

std::string PhraseDicPathBeside(const std::string& dicPath) {
  return JoinPath(GetBaseFolder(dicPath), kPhraseDicFileName);
}

std::string BackupFolder(const std::string& base) {
  return DataFolder(base, kBackupFolder);
}

std::string TextFolder(const std::string& base) {
  return DataFolder(base, kTextFolder);
}

std::string HelpPagePath(const std::string& base) {
  return JoinPath(DataFolder(base, kHelpFolder), kHelpPageFileName);
}

std::string WordListFolder(const std::string& base) {
  return DataFolder(base, kWordListFolder);
}

std::string WordListPath(const std::string& base) {
  return JoinPath(WordListFolder(base), kWordListFileName);
}

std::string WriteAheadLogPathOf(const std::string& dbPath) {
  return dbPath + std::string(kWalSuffix);
}

std::string SharedMemoryPathOf(const std::string& dbPath) {
  return dbPath + std::string(kShmSuffix);
}

std::string LogPath(const std::string& programFolder, std::string_view title) {
  return JoinPath(programFolder, std::string(title) + ".log");
}

std::string SettingsPath(const std::string& programFolder, std::string_view title) {
  return JoinPath(programFolder, std::string(title) + ".ini");
}

std::string LockPath(const std::string& folder) {
  return JoinPath(folder, kLockFileName);
}

std::string BackupFileName(const std::tm& t, int copy) {
  char stamp[80];
  std::snprintf(stamp, sizeof stamp, "_%04d_%02d%02d_%02d%02d_%02d", t.tm_year + 1900, t.tm_mon + 1,
                t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  std::string name = std::string(DicStem()) + stamp;
  if (copy > 1)
    name += "_" + std::to_string(copy);
  return name + std::string(kTxt);
}

std::string TemporaryFileName(std::string_view name, std::string_view tag) {
  return "." + std::string(name) + "." + std::string(tag) + std::string(kTmp);
}

std::string PreparedCopyName(std::string_view baseName, int n) {
  return std::string(baseName) + (n == 1 ? "" : " (" + std::to_string(n) + ")") + ".txt";
}

std::string NameWithoutExtension(std::string_view name) {
  const size_t dot = name.rfind('.');
  return std::string(dot != std::string_view::npos && dot > 0 ? name.substr(0, dot) : name);
}

std::vector<std::string> PartPaths(const std::string& path, size_t partCount) {
  if (partCount <= 1)
    return {path};
  const size_t slash = path.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot <= nameStart)
    dot = path.size();  // no extension (a leading dot names a hidden file)
  std::vector<std::string> paths;
  for (size_t i = 1; i <= partCount; ++i)
    paths.push_back(path.substr(0, dot) + "-" + std::to_string(i) + path.substr(dot));
  return paths;
}

ParsedFileName ParseFileName(std::string_view name) {
  ParsedFileName parsed;
  const auto kind = [&parsed](FileKind k) {
    parsed.kind = k;
    return parsed;
  };
  if (name == kDicFileName)
    return kind(FileKind::kDictionary);
  if (name == kPhraseDicFileName)
    return kind(FileKind::kPhraseDictionary);
  if (name == kLockFileName)
    return kind(FileKind::kLock);
  if (name == kWordListFileName)
    return kind(FileKind::kWordList);
  if (name == kHelpPageFileName)
    return kind(FileKind::kHelpPage);
  if (name.size() > 1 + kTmp.size() && name[0] == '.' && name.ends_with(kTmp)) {
    const std::string_view inner = name.substr(1, name.size() - 1 - kTmp.size());
    const size_t dot = inner.rfind('.');
    if (dot != std::string_view::npos && IsTemporaryTag(inner.substr(dot + 1))) {
      parsed.of = inner.substr(0, dot);
      parsed.tag = inner.substr(dot + 1);
    } else {
      parsed.of = inner;
    }
    return kind(FileKind::kTemporary);
  }
  if (ParseBackupName(name, parsed))
    return parsed;
  for (const auto& [suffix, k] : {std::pair{kWalSuffix, FileKind::kWriteAheadLog},
                                  std::pair{kShmSuffix, FileKind::kSharedMemory},
                                  std::pair{std::string_view(".log"), FileKind::kLog},
                                  std::pair{std::string_view(".ini"), FileKind::kSettings}}) {
    if (name.size() > suffix.size() && name.ends_with(suffix)) {
      parsed.of = name.substr(0, name.size() - suffix.size());
      return kind(k);
    }
  }
  return parsed;
}

bool IsDicTemporary(std::string_view name, std::string_view dicName) {
  const ParsedFileName parsed = ParseFileName(name);
  return parsed.kind == FileKind::kTemporary && !parsed.tag.empty() && parsed.of == dicName;
}

bool IsBackupTemporary(std::string_view name) {
  const ParsedFileName parsed = ParseFileName(name);
  return parsed.kind == FileKind::kTemporary && parsed.of.starts_with(std::string(DicStem()) + "_");
}

}  // namespace kelmoa
