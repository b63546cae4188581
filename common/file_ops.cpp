#include "common/file_ops.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace kelmoa {

Status Status::FromErrno(const std::string& what, const std::string& path, int err) {
  return Error(what + " " + path + ": " + std::strerror(err));
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

}  // namespace

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

Status FileOps::ReadAll(const std::string& path, std::string& oBytes) {
  oBytes.clear();
  ReadOnlyFile file;
  if (Status s = file.Open(path); !s.ok())
    return s;
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
    oBytes.append(buf, static_cast<size_t>(got));
  }
  return Status::Ok();
}

Status FileOps::WriteSynced(const std::string& path, std::string_view bytes) {
  Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (fd.get() < 0)
    return Status::FromErrno("create", path, errno);
  auto fail = [&](const char* what, int err) {
    fd.Close();
    ::unlink(path.c_str());
    return Status::FromErrno(what, path, err);
  };
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

std::string DirOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  if (slash == 0)
    return "/";
  return path.substr(0, slash);
}

Status ReplaceFileAtomically(FileOps& fs, const std::string& path, std::string_view bytes,
                             const std::string& syncFirst) {
  const std::string dir = DirOf(path);
  const auto slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::string tmp = dir + "/." + name + "." + std::to_string(::getpid()) + ".tmp";
  if (Status s = fs.WriteSynced(tmp, bytes); !s.ok())
    return s;
  if (!syncFirst.empty())
    fs.SyncDir(syncFirst);
  if (Status s = fs.Rename(tmp, path); !s.ok()) {
    fs.Remove(tmp);
    return s;
  }
  // The new content is in place from the rename on; a folder sync that fails now cannot undo
  // that, so it is not reported as a failed replacement.
  fs.SyncDir(dir);
  return Status::Ok();
}

Status KeepBackupCopy(FileOps& fs, const std::string& src, const std::string& backupDir,
                      const std::string& stem, const std::string& ext, std::string* oName,
                      bool syncDir) {
  std::string copy;  // read only when the file system cannot link
  bool linkable = true;
  for (int n = 1; n < 10000; ++n) {
    const std::string name = n == 1 ? stem + ext : stem + "_" + std::to_string(n) + ext;
    const std::string dst = backupDir + "/" + name;
    if (fs.Exists(dst))
      continue;
    if (linkable) {
      Status s = fs.Link(src, dst);
      if (s.ok()) {
        if (oName)
          *oName = name;
        if (syncDir)
          fs.SyncDir(backupDir);
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
    const std::string tmp = backupDir + "/." + name + ".tmp";
    if (Status s = fs.WriteSynced(tmp, copy); !s.ok())
      return s;
    if (fs.Exists(dst)) {
      fs.Remove(tmp);
      continue;
    }
    if (Status s = fs.Rename(tmp, dst); !s.ok()) {
      fs.Remove(tmp);
      return s;
    }
    if (oName)
      *oName = name;
    if (syncDir)
      fs.SyncDir(backupDir);
    return Status::Ok();
  }
  return Status::Error("no free backup name in " + backupDir);
}

}  // namespace kelmoa
