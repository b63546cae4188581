// The run log: CP932 lines with a local time stamp, in the program folder.
#include "core/base/log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "core/base/paths.h"

namespace kelmoa {
namespace {

// Writes one line to the log, a new file or at the end of the one there. A symbolic link
// planted under the log's name is not followed: the log is written nowhere else.
Status WriteLine(const std::string& path, bool append, const std::u16string& text) {
  const int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | (append ? O_APPEND : O_TRUNC);
  const int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0)
    return Status::FromErrno("open", path, errno);
  const std::string line = FormatTimeOfDay(LocalNow()) + Utf16ToSjis(text) + "\r\n";
  const ssize_t put = ::write(fd, line.data(), line.size());
  const int err = errno;
  ::close(fd);
  if (put != static_cast<ssize_t>(line.size()))
    return Status::FromErrno("write", path, put < 0 ? err : EIO);
  return Status::Ok();
}

}  // namespace

Status StartLog(const std::string& programFolder, const std::string& title) {
  const std::string path = LogPath(programFolder, title);
  if (std::remove(path.c_str()) != 0 && errno != ENOENT) {
    return Status::FromErrno("remove", path, errno);
  }
  return WriteLine(path, false, u" log start");
}

Status WriteLog(const std::string& programFolder, const std::string& programBaseName,
                const std::u16string& text) {
  return WriteLine(LogPath(programFolder, programBaseName), true, u" " + text);
}

}  // namespace kelmoa
