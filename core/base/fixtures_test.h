// Shared test fixtures: temporary folders, byte files, encoders, failing file systems, tool runs.
#pragma once

#include <iconv.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <new>
#include <ostream>
#include <string>
#include <vector>

#include "core/base/codepage.h"
#include "core/base/file_ops.h"

namespace kelmoa::testing {

// A fresh folder below the system's temporary folder, removed with everything in it at the end.
class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "kelmoa-test-XXXXXX").string();
    mPath = ::mkdtemp(tmpl.data());
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(mPath, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(mPath, ec);
  }
  const std::string& path() const { return mPath; }
  std::string operator/(const std::string& name) const { return mPath + "/" + name; }

 private:
  std::string mPath;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The names in a folder, sorted.
inline std::vector<std::string> FileNames(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// CP932 bytes of a UTF-8 literal.
inline std::string Sjis(std::string_view utf8) {
  return Utf16ToSjis(Utf8ToUtf16(utf8));
}

// The bytes of UTF-8 text in another code, by iconv: an encoder apart from the program's own.
inline std::string Encode(std::string_view utf8, const char* code) {
  const std::unique_ptr<void, int (*)(iconv_t)> cd(iconv_open(code, "UTF-8"), iconv_close);
  std::string out(utf8.size() * 8 + 64, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* o = out.data();
  size_t outLeft = out.size();
  iconv(cd.get(), &in, &inLeft, &o, &outLeft);
  iconv(cd.get(), nullptr, nullptr, &o, &outLeft);  // a stateful code's closing shift
  out.resize(out.size() - outLeft);
  return out;
}

// CP932 bytes of UTF-8 lines, each ended by CR LF.
inline std::string SjisLines(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines)
    bytes += Sjis(line) + "\r\n";
  return bytes;
}

// The base folder of an installed program: dic, dic_backup and txt_shift_jis below it.
inline void MakeDataFolders(const std::string& base) {
  for (const char* d : {"bin", "dic", "dic_backup", "txt_shift_jis"})
    std::filesystem::create_directories(base + "/" + d);
}

// A file system whose n-th operation of a kind fails: what does a failed step leave behind?
class FailingOps : public FileOps {
 public:
  std::string failOp;        // "write", "link", "rename" or "read"
  int failAt = 1;            // which call of that kind fails (1 = the first)
  bool outOfMemory = false;  // the failing call throws std::bad_alloc instead

  Status WriteTemporary(const std::string& dir, const std::string& name, std::string_view bytes,
                        const std::optional<KeptMode>& mode, std::string& tmpPath) override {
    if (Hit("write"))
      return Status::Error("write " + dir + "/" + name + ": No space left on device");
    return FileOps::WriteTemporary(dir, name, bytes, mode, tmpPath);
  }
  Status Link(const std::string& from, const std::string& to) override {
    if (Hit("link"))
      return Status::Error("link " + to + ": Operation not permitted");
    return FileOps::Link(from, to);
  }
  Status Rename(const std::string& from, const std::string& to) override {
    if (Hit("rename"))
      return Status::Error("rename " + from + ": Input/output error");
    return FileOps::Rename(from, to);
  }
  Status ReadFile(const std::string& path, std::string& out, long long maxBytes,
                  FileStamp* stamp) override {
    if (Hit("read"))
      return Status::Error("read " + path + ": Input/output error");
    return FileOps::ReadFile(path, out, maxBytes, stamp);
  }

 private:
  bool Hit(const std::string& op) {
    if (op != failOp || ++mCalls[op] != failAt)
      return false;
    if (outOfMemory)
      throw std::bad_alloc();
    return true;
  }
  std::map<std::string, int> mCalls;
};

// Runs fn in a child process; true when fn returned true there. An unprivileged child runs as
// the user nobody when this is root (permissions do not bind root).
inline bool InChild(const std::function<bool()>& fn, bool unprivileged = false) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (unprivileged && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
      ::_exit(2);
    ::_exit(fn() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

inline bool InUnprivilegedChild(const std::function<bool()>& fn) {
  return InChild(fn, true);
}

// An English prose text that no one here wrote: a licence text every Debian machine has.
inline std::string LicenceText() {
  return ReadBytes("/usr/share/common-licenses/GPL-3");
}

#ifdef KELMOA_TOOL_PATH
// What a run of kelmoa-tool ended with and printed.
struct ToolRun {
  int code = -1;
  std::string out, err;
  bool operator==(const ToolRun&) const = default;
  friend std::ostream& operator<<(std::ostream& os, const ToolRun& r) {
    return os << "code " << r.code << ", out \"" << r.out << "\", err \"" << r.err << '"';
  }
};

// Starts kelmoa-tool with args, output to dir/.out<tag> and dir/.err<tag>; returns its pid.
// memoryLimit, when not 0, caps the address space the tool may use.
inline pid_t StartTool(const TempDir& dir, const std::vector<std::string>& args,
                       const std::string& tag = "", rlim_t memoryLimit = 0) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::freopen((dir / (".out" + tag)).c_str(), "w", stdout);
    std::freopen((dir / (".err" + tag)).c_str(), "w", stderr);
    if (memoryLimit != 0) {
      const rlimit limit{memoryLimit, memoryLimit};
      ::setrlimit(RLIMIT_AS, &limit);
    }
    std::vector<char*> argv{const_cast<char*>(KELMOA_TOOL_PATH)};
    for (const auto& a : args)
      argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(KELMOA_TOOL_PATH, argv.data());
    ::_exit(127);
  }
  return pid;
}

inline ToolRun FinishTool(const TempDir& dir, pid_t pid, const std::string& tag = "") {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(dir / (".out" + tag)),
          ReadBytes(dir / (".err" + tag))};
}

inline ToolRun RunTool(const TempDir& dir, const std::vector<std::string>& args) {
  return FinishTool(dir, StartTool(dir, args));
}
#endif

}  // namespace kelmoa::testing
