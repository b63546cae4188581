// The run log: CP932 lines with a local time stamp, in the program folder.
#include "core/base/log.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#include "core/base/codepage.h"
#include "core/base/helpers.h"

namespace kelmoa {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

Status WriteLine(const std::string& path, const char* mode, const std::u16string& text) {
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), mode));
  if (!f)
    return Status::FromErrno("open", path, errno);
  const std::string line = FormatTimeOfDay(LocalNow()) + Utf16ToSjis(text) + "\r\n";
  if (std::fwrite(line.data(), 1, line.size(), f.get()) != line.size() ||
      std::fflush(f.get()) != 0) {
    return Status::FromErrno("write", path, errno);
  }
  return Status::Ok();
}

}  // namespace

Status StartLog(const std::string& programFolder, const std::string& title) {
  const std::string path = programFolder + "/" + title + ".log";
  if (std::remove(path.c_str()) != 0 && errno != ENOENT) {
    return Status::FromErrno("remove", path, errno);
  }
  return WriteLine(path, "wb", u" log start");
}

Status WriteLog(const std::string& programFolder, const std::string& programBaseName,
                const std::u16string& text) {
  return WriteLine(programFolder + "/" + programBaseName + ".log", "ab", u" " + text);
}

}  // namespace kelmoa
