#pragma once

#include <string>
#include <string_view>

#include "common/status.h"

namespace kelmoa {

// The narrow door through which the dictionary and the settings reach the file system, so
// that a test can make any single write, sync, link or rename fail and check that nothing is
// lost. Paths are file-system paths ("/" separated, bytes as the system stores them).
class FileOps {
 public:
  virtual ~FileOps() = default;

  // Reads the whole file into oBytes.
  virtual Status ReadAll(const std::string& path, std::string& oBytes);
  // Creates or truncates the file, writes all of bytes, flushes it to the disk and closes it.
  // On failure the half-written file is removed.
  virtual Status WriteSynced(const std::string& path, std::string_view bytes);
  // Makes a second name for an existing file; fails (EEXIST) when `to` exists already.
  virtual Status Link(const std::string& from, const std::string& to);
  // Renames from over to, replacing to atomically.
  virtual Status Rename(const std::string& from, const std::string& to);
  virtual Status Remove(const std::string& path);
  // Flushes a folder's entries to the disk, so that a rename in it survives a crash.
  virtual Status SyncDir(const std::string& dir);
  virtual bool Exists(const std::string& path);
};

// The real file system.
FileOps& DefaultFileOps();

// A plain file open for reading, closed when this goes.
class ReadOnlyFile {
 public:
  ReadOnlyFile() = default;
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  ~ReadOnlyFile();
  // Opens path without blocking, so that a pipe with no writer cannot hold the program. Only
  // a plain file is opened: a folder is refused with EISDIR, anything else with EINVAL.
  Status Open(const std::string& path);
  int fd() const { return mFd; }
  long long size() const { return mSize; }

 private:
  int mFd = -1;
  long long mSize = 0;
};

// The folder part of a path ("." when it has none).
std::string DirOf(const std::string& path);

// Replaces the file at path with bytes so that, whatever happens, the file holds either its old
// content or the new content in full: the bytes go to a temporary file in the same folder,
// are synced, and the temporary file is renamed over path. A folder named by syncFirst is
// synced after the new content and before the rename: entries just made there (a backup of
// the old content) are on the disk before the old content loses its name, and a file system
// that commits them with the new content has nothing left to wait for.
Status ReplaceFileAtomically(FileOps& fs, const std::string& path, std::string_view bytes,
                             const std::string& syncFirst = {});

// Keeps the current content of src under a new name in backupDir without touching src:
// backupDir/stem + ext, or stem + "_2" + ext, "_3", ... when that name is taken; an existing
// file is never overwritten. A hard link is tried first; where the file system has none, the
// content is copied (synced first, then put under its name). oName receives the name used.
// backupDir is synced at the end unless syncDir is false: then the caller syncs it.
Status KeepBackupCopy(FileOps& fs, const std::string& src, const std::string& backupDir,
                      const std::string& stem, const std::string& ext, std::string* oName,
                      bool syncDir = true);

}  // namespace kelmoa
