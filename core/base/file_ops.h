// The file operations the dictionary and the settings go through, so tests can make any fail.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <chrono>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/base/status.h"

namespace kelmoa {

// What tells one version of a file from another: which file it is (device and inode; a file
// replaced by a rename is a new inode), its size, and when its content and its inode last
// changed, to the nanosecond.
struct FileStamp {
  bool exists = false;
  unsigned long long device = 0, inode = 0;
  long long size = 0, modifiedNs = 0, changedNs = 0;
  bool operator==(const FileStamp&) const = default;
};

// The stamp of the file at path, following symbolic links; exists is false when there is no
// file. Any other failure of stat is an error.
Status StampFile(const std::string& path, FileStamp& stamp);

// The permissions and owner a new file takes over from the file it replaces.
struct KeptMode {
  mode_t permissions = 0644;
  uid_t owner = 0;
  gid_t group = 0;
};

// No limit on the size of a file read whole.
inline constexpr long long kNoSizeLimit = -1;

// The narrow door through which the dictionary and the settings reach the file system, so
// that a test can make any single write, sync, link or rename fail and check that nothing is
// lost. Paths are file-system paths ("/" separated, bytes as the system stores them).
class FileOps {
 public:
  virtual ~FileOps() = default;

  // Reads the whole file into bytes. A file larger than maxBytes (unless kNoSizeLimit) is
  // refused with EFBIG before anything is read. stamp, when given, receives the stamp of the
  // open file: the version that was read, even when the name is given to another file meanwhile.
  virtual Status ReadFile(const std::string& path, std::string& bytes, long long maxBytes,
                          FileStamp* stamp);
  Status ReadAll(const std::string& path, std::string& bytes) {
    return ReadFile(path, bytes, kNoSizeLimit, nullptr);
  }
  // Writes bytes to a new file in dir, flushes it to the disk and closes it; tmpPath receives
  // its path. The file is made under a name no file had, TemporaryName(name), with
  // O_CREAT|O_EXCL|O_NOFOLLOW: whatever stands under a name tried (a file, a planted symbolic
  // link) is never opened, and another name is tried instead. It gets the permissions and
  // owner of mode when given (the owner as far as the system allows), else 0644 less the
  // umask. On failure nothing is left.
  virtual Status WriteTemporary(const std::string& dir, const std::string& name,
                                std::string_view bytes, const std::optional<KeptMode>& mode,
                                std::string& tmpPath);
  Status WriteTemporary(const std::string& dir, const std::string& name, std::string_view bytes,
                        std::string& tmpPath) {
    return WriteTemporary(dir, name, bytes, std::nullopt, tmpPath);
  }
  // The name of a temporary file for the file name (TemporaryFileName) with six random letters
  // and digits for its tag, a new one at every call, so that a leftover of a killed program can
  // be told by its name and no other program can know it beforehand.
  virtual std::string TemporaryName(const std::string& name);
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
// The file name part of a path.
std::string NameOf(const std::string& path);

// The file a path finally names, with every symbolic link on the way followed; the path itself
// when it names nothing (yet).
std::string FollowLinks(const std::string& path);

// An exclusive lock on a lock file (flock), held while this lives, so that programs changing
// the same files take turns.
class ExclusiveLock {
 public:
  ExclusiveLock() = default;
  ExclusiveLock(const ExclusiveLock&) = delete;
  ExclusiveLock& operator=(const ExclusiveLock&) = delete;
  ~ExclusiveLock();
  // Takes the lock on path, making the file when it is missing. While another program holds
  // it, waits up to patience, then gives up with EWOULDBLOCK, so that a stopped holder cannot
  // freeze this one for good.
  Status Take(const std::string& path, std::chrono::milliseconds patience);
  // The moment the lock was taken.
  const std::timespec& TakenAt() const { return mTakenAt; }
  // Whether the last Take gave up because another program held the lock.
  bool Busy() const { return mBusy; }

 private:
  int mFd = -1;
  bool mBusy = false;
  std::timespec mTakenAt{};
};

// Removes the plain files of dir whose names isDebris accepts and that were last modified
// before `before`: what a killed change left behind. Returns how many went.
int RemoveLeftovers(FileOps& fs, const std::string& dir,
                    const std::function<bool(std::string_view)>& isDebris,
                    const std::timespec& before);

// Replaces the file at path with bytes so that, whatever happens, the file holds either its old
// content or the new content in full: the bytes go to a temporary file in the same folder
// (FileOps::WriteTemporary), are synced, and the temporary file is renamed over path. When path
// is a symbolic link, the file it leads to is replaced, in that file's folder, and the link
// stays. The new file keeps the permissions and owner of the old one. What path leads to must
// be a plain file or nothing: anything else (a folder, a device, a pipe) is refused with
// kInvalidArgument, and a file that allows nobody to write to it (no write permission bit,
// which binds root too) or not this user with kPermissionDenied; nothing is written then. A
// folder named by syncFirst is synced after the new content and before the rename: entries just
// made there (a backup of the old content) are on the disk before the old content loses its
// name, and a file system that commits them with the new content has nothing left to wait for.
Status ReplaceFileAtomically(FileOps& fs, const std::string& path, std::string_view bytes,
                             const std::string& syncFirst = {});

// Keeps the current content of src under a new name in backupDir without touching src:
// backupDir/nameOf(1), or nameOf(2), nameOf(3), ... when that name is taken; an existing file
// is never overwritten. A hard link is tried first; where the file system has none, the
// content is copied (into a temporary file, synced, then put under its name). usedName
// receives the name used. backupDir is synced at the end unless syncDir is false: then the
// caller syncs it.
Status KeepBackupCopy(FileOps& fs, const std::string& src, const std::string& backupDir,
                      const std::function<std::string(int)>& nameOf, std::string* usedName,
                      bool syncDir = true);

// Gives the temporary file tmp (written by WriteTemporary in path's folder) the name path, where
// no file stands: by a hard link, which never replaces what came to stand there meanwhile, or,
// on a file system without hard links, by a rename after a check. tmp is gone afterwards
// either way. A taken name is kAlreadyExists, and whatever stands there stays as it is.
Status PutInPlace(FileOps& fs, const std::string& tmp, const std::string& path);

// Whether this program may write to the file st describes at path: some write permission bit
// is set (a file that allows nobody to write is write-protected for root too), and this user
// may write to it.
bool AllowsWriting(const std::string& path, const struct stat& st);

// The name an open file of this process (device and inode) goes by now, as the system knows
// it (/proc/self/fd): empty when no descriptor of this process leads to it. deleted tells
// whether the file has lost its last name.
std::string NameOfOpenFile(unsigned long long device, unsigned long long inode, bool& deleted);

}  // namespace kelmoa
