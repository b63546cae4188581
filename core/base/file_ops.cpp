// File operations on POSIX: stamps, crash-safe replacement, links and renames.
#include "core/base/file_ops.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <thread>
#include <utility>

#include "core/base/paths.h"

namespace kelmoa {

namespace {

StatusCode CodeOfErrno(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return StatusCode::kNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return StatusCode::kPermissionDenied;
    case EEXIST:
      return StatusCode::kAlreadyExists;
    case EISDIR:
    case EINVAL:
      return StatusCode::kInvalidArgument;
    case EFBIG:
    case EOVERFLOW:
      return StatusCode::kTooLarge;
    case ENOMEM:
      return StatusCode::kOutOfMemory;
    case EBUSY:
    case ETXTBSY:
      return StatusCode::kBusy;
    case ENOSPC:
    case EDQUOT:
      return StatusCode::kNoSpace;
    default:
      return StatusCode::kIoError;
  }
}

}  // namespace

Status Status::FromErrno(const std::string& what, const std::string& path, int err) {
  return Make(CodeOfErrno(err), what + " " + path, std::strerror(err));
}

namespace {

// Closes a file descriptor when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd) : mFd(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (mFd >= 0)
      ::close(mFd);
  }
  int get() const { return mFd; }
  // Gives the descriptor up without closing it.
  int Release() { return std::exchange(mFd, -1); }
  // Closes now and reports the result (close can report a delayed write error).
  int Close() {
    const int r = ::close(mFd);
    mFd = -1;
    return r;
  }

 private:
  int mFd;
};

FileStamp StampOf(const struct stat& st) {
  constexpr long long kNsPerSecond = 1000000000LL;
  FileStamp stamp;
  stamp.exists = true;
  stamp.device = st.st_dev;
  stamp.inode = st.st_ino;
  stamp.size = st.st_size;
  stamp.modifiedNs = st.st_mtim.tv_sec * kNsPerSecond + st.st_mtim.tv_nsec;
  stamp.changedNs = st.st_ctim.tv_sec * kNsPerSecond + st.st_ctim.tv_nsec;
  return stamp;
}

bool Before(const struct timespec& a, const std::timespec& b) {
  return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

}  // namespace

Status StampFile(const std::string& path, FileStamp& stamp) {
  stamp = FileStamp{};
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT)
      return Status::Ok();
    return Status::FromErrno("stat", path, errno);
  }
  stamp = StampOf(st);
  return Status::Ok();
}

ReadOnlyFile::~ReadOnlyFile() {
  if (mFd >= 0)
    ::close(mFd);
}

Status ReadOnlyFile::Open(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0)
    return Status::FromErrno("open", path, errno);
  Fd owner(fd);
  struct stat st {};
  if (::fstat(fd, &st) != 0)
    return Status::FromErrno("stat", path, errno);
  if (!S_ISREG(st.st_mode))
    return Status::FromErrno("read", path, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
  if (mFd >= 0)
    ::close(mFd);
  mFd = fd;
  (void)owner.Release();
  mSize = st.st_size;
  return Status::Ok();
}

Status FileOps::ReadFile(const std::string& path, std::string& bytes, long long maxBytes,
                         FileStamp* stamp) {
  bytes.clear();
  ReadOnlyFile file;
  if (Status s = file.Open(path); !s.ok())
    return s;
  if (stamp != nullptr) {
    struct stat st {};
    if (::fstat(file.fd(), &st) != 0)
      return Status::FromErrno("stat", path, errno);
    *stamp = StampOf(st);
  }
  if (maxBytes != kNoSizeLimit && file.size() > maxBytes)
    return Status::FromErrno("read", path, EFBIG);
  // The size is known: room for all of it at once, so that a large file is not copied as the
  // string grows.
  bytes.reserve(static_cast<size_t>(file.size()));
  char buf[1 << 16];
  for (;;) {
    const ssize_t got = ::read(file.fd(), buf, sizeof buf);
    if (got < 0) {
      if (errno == EINTR)
        continue;
      return Status::FromErrno("read", path, errno);
    }
    if (got == 0)
      break;
    bytes.append(buf, static_cast<size_t>(got));
  }
  return Status::Ok();
}

std::string FileOps::TemporaryName(const std::string& name) {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
  std::string tag;
  for (int i = 0; i < 6; ++i)
    tag += kLetters[pick(random)];
  return TemporaryFileName(name, tag);
}

Status FileOps::WriteTemporary(const std::string& dir, const std::string& name,
                               std::string_view bytes, const std::optional<KeptMode>& mode,
                               std::string& tmpPath) {
  // A name taken by anything, a planted link included, is passed over: O_EXCL never opens what
  // stands there, and O_NOFOLLOW makes sure of it for a link.
  constexpr int kTries = 100;
  int raw = -1;
  for (int i = 0; i < kTries && raw < 0; ++i) {
    tmpPath = dir + "/" + TemporaryName(name);
    raw = ::open(tmpPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (raw < 0 && errno != EEXIST)
      break;
  }
  Fd fd(raw);
  if (fd.get() < 0)
    return Status::FromErrno("create", tmpPath, errno);
  const std::string path = tmpPath;
  auto fail = [&](const char* what, int err) {
    fd.Close();
    ::unlink(path.c_str());
    return Status::FromErrno(what, path, err);
  };
  if (mode) {
    // The owner first: changing it clears the set-id bits, which the permissions then restore.
    // Only root may give a file away; anyone else's new file stays theirs.
    struct stat st {};
    if (::fstat(fd.get(), &st) == 0 && (st.st_uid != mode->owner || st.st_gid != mode->group))
      (void)::fchown(fd.get(), mode->owner, mode->group);
    if (::fchmod(fd.get(), mode->permissions) != 0)
      return fail("chmod", errno);
  }
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
    if (put < 0) {
      if (errno == EINTR)
        continue;
      return fail("write", errno);
    }
    done += static_cast<size_t>(put);
  }
  if (::fsync(fd.get()) != 0)
    return fail("sync", errno);
  if (fd.Close() != 0) {
    const int err = errno;
    ::unlink(path.c_str());
    return Status::FromErrno("close", path, err);
  }
  return Status::Ok();
}

Status FileOps::Link(const std::string& from, const std::string& to) {
  if (::link(from.c_str(), to.c_str()) != 0)
    return Status::FromErrno("link", to, errno);
  return Status::Ok();
}

Status FileOps::Rename(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0)
    return Status::FromErrno("rename", from, errno);
  return Status::Ok();
}

Status FileOps::Remove(const std::string& path) {
  if (::unlink(path.c_str()) != 0)
    return Status::FromErrno("remove", path, errno);
  return Status::Ok();
}

Status FileOps::SyncDir(const std::string& dir) {
  Fd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() < 0)
    return Status::FromErrno("open", dir, errno);
  if (::fsync(fd.get()) != 0)
    return Status::FromErrno("sync", dir, errno);
  return Status::Ok();
}

bool FileOps::Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

FileOps& DefaultFileOps() {
  static FileOps ops;
  return ops;
}

std::string NameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FollowLinks(const std::string& path) {
  const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                         &std::free);
  return real ? std::string(real.get()) : path;
}

ExclusiveLock::~ExclusiveLock() {
  if (mFd >= 0)
    ::close(mFd);  // closing the last descriptor lets the lock go
}

Status ExclusiveLock::Take(const std::string& path, std::chrono::milliseconds patience) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0 && (errno == EACCES || errno == EROFS))
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);  // flock needs no write
  mBusy = false;
  if (fd < 0)
    return Status::FromErrno("lock", path, errno);
  Fd owner(fd);
  const auto giveUp = std::chrono::steady_clock::now() + patience;
  auto pause = std::chrono::milliseconds(1);
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR)
      continue;
    if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= giveUp) {
      mBusy = errno == EWOULDBLOCK;
      return Status::FromErrno("lock", path, errno);
    }
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(50));
  }
  if (mFd >= 0)
    ::close(mFd);
  mFd = owner.Release();
  ::clock_gettime(CLOCK_REALTIME, &mTakenAt);
  return Status::Ok();
}

int RemoveLeftovers(FileOps& fs, const std::string& dir,
                    const std::function<bool(std::string_view)>& isDebris,
                    const std::timespec& before) {
  struct CloseDir {
    void operator()(DIR* d) const { ::closedir(d); }
  };
  const std::unique_ptr<DIR, CloseDir> folder(::opendir(dir.c_str()));
  if (!folder)
    return 0;
  int removed = 0;
  while (const dirent* entry = ::readdir(folder.get())) {
    const std::string_view name = entry->d_name;
    if (!isDebris(name))
      continue;
    const std::string path = dir + "/" + std::string(name);
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !Before(st.st_mtim, before))
      continue;
    if (fs.Remove(path).ok())
      ++removed;
  }
  return removed;
}

std::string DirOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  if (slash == 0)
    return "/";
  return path.substr(0, slash);
}

Status ReplaceFileAtomically(FileOps& fs, const std::string& named, std::string_view bytes,
                             const std::string& syncFirst) {
  // A symbolic link stays a link: the file it leads to is replaced, in its own folder.
  const std::string path = FollowLinks(named);
  const std::string dir = DirOf(path);
  std::optional<KeptMode> mode;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode))
      return Status::Found(StatusCode::kInvalidArgument, Finding::kNotPlainFile, "write " + path,
                           "not a plain file");
    if (!AllowsWriting(path, st))
      return Status::Found(StatusCode::kPermissionDenied, Finding::kWriteProtected, "write " + path,
                           "write-protected");
    mode = KeptMode{static_cast<mode_t>(st.st_mode & 07777), st.st_uid, st.st_gid};
  } else if (errno != ENOENT) {
    return Status::FromErrno("stat", path, errno);
  }
  std::string tmp;
  if (Status s = fs.WriteTemporary(dir, NameOf(path), bytes, mode, tmp); !s.ok())
    return s;
  if (!syncFirst.empty())
    // A failed sync makes what was made there only less sure to outlive a power cut; the
    // replacement itself is as safe as before.
    (void)fs.SyncDir(syncFirst);
  if (Status s = fs.Rename(tmp, path); !s.ok()) {
    (void)fs.Remove(tmp);  // the failed rename is what is reported
    return s;
  }
  // The new content is in place from the rename on; a folder sync that fails now cannot undo
  // that, so it is not reported as a failed replacement.
  (void)fs.SyncDir(dir);
  return Status::Ok();
}

Status PutInPlace(FileOps& fs, const std::string& tmp, const std::string& path) {
  Status put = fs.Link(tmp, path);
  if (!put.ok()) {
    if (fs.Exists(path))
      put = Status::FromErrno("create", path, EEXIST);
    else
      put = fs.Rename(tmp, path);  // a file system without hard links
  }
  if (fs.Exists(tmp))
    (void)fs.Remove(tmp);  // the file has its name either way; a hidden leftover at worst
  return put;
}

Status KeepBackupCopy(FileOps& fs, const std::string& src, const std::string& backupDir,
                      const std::function<std::string(int)>& nameOf, std::string* usedName,
                      bool syncDir) {
  std::string copy;  // read only when the file system cannot link
  bool linkable = true;
  for (int n = 1; n < 10000; ++n) {
    const std::string name = nameOf(n);
    const std::string dst = JoinPath(backupDir, name);
    if (fs.Exists(dst))
      continue;
    if (linkable) {
      Status s = fs.Link(src, dst);
      if (s.ok()) {
        if (usedName)
          *usedName = name;
        if (syncDir)
          // The backup is there; a failed sync only makes it less sure to outlive a power cut.
          (void)fs.SyncDir(backupDir);
        return Status::Ok();
      }
      if (fs.Exists(dst))
        continue;  // taken meanwhile
      if (!fs.Exists(src))
        return s;
      linkable = false;  // no hard links here (or not allowed): copy instead
      if (Status r = fs.ReadAll(src, copy); !r.ok())
        return r;
    }
    std::string tmp;
    if (Status s = fs.WriteTemporary(backupDir, name, copy, tmp); !s.ok())
      return s;
    if (fs.Exists(dst)) {
      (void)fs.Remove(tmp);  // another name is tried; a hidden leftover at worst
      continue;
    }
    if (Status s = fs.Rename(tmp, dst); !s.ok()) {
      (void)fs.Remove(tmp);  // the failed rename is what is reported
      return s;
    }
    if (usedName)
      *usedName = name;
    if (syncDir)
      (void)fs.SyncDir(backupDir);  // as above
    return Status::Ok();
  }
  return Status::Error("no free backup name in " + backupDir);
}

bool AllowsWriting(const std::string& path, const struct stat& st) {
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
    return false;
  return ::access(path.c_str(), W_OK) == 0 || errno == ENOENT;
}

std::string NameOfOpenFile(unsigned long long device, unsigned long long inode, bool& deleted) {
  deleted = false;
  constexpr std::string_view kGone = " (deleted)";
  const std::string fds = "/proc/self/fd";
  struct CloseDir {
    void operator()(DIR* d) const { ::closedir(d); }
  };
  const std::unique_ptr<DIR, CloseDir> folder(::opendir(fds.c_str()));
  if (!folder)
    return {};
  while (const dirent* entry = ::readdir(folder.get())) {
    const std::string link = fds + "/" + entry->d_name;
    struct stat st {};
    if (entry->d_name[0] == '.' || ::stat(link.c_str(), &st) != 0 || st.st_dev != device ||
        st.st_ino != inode)
      continue;
    char target[PATH_MAX];
    const ssize_t n = ::readlink(link.c_str(), target, sizeof target);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof target)
      continue;
    std::string name(target, static_cast<size_t>(n));
    if (st.st_nlink == 0) {
      deleted = true;
      if (name.ends_with(kGone))
        name.resize(name.size() - kGone.size());
    }
    return name;
  }
  return {};
}

}  // namespace kelmoa
