// Starts the external editor (or any program) detached, without a shell.
#include "gui/editor_launch.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QSocketNotifier>
#include <QWidget>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <thread>

#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "gui/window_helpers.h"

namespace kelmoa {

bool StartDetachedProgram(const QString& program, const QStringList& args, QString& reason) {
  QProcess process;
  process.setProgram(program);
  process.setArguments(args);
  // The started program never waits for input from this one.
  process.setStandardInputFile(QProcess::nullDevice());
  if (process.startDetached())
    return true;
  reason = process.errorString();
  return false;
}

namespace {

// Why a program could not be started, in the user's words.
QString StartFailure(int err) {
  switch (err) {
    case ENOENT:
      return QStringLiteral("プログラムが見つかりません");
    case EACCES:
      return QStringLiteral("実行の許可がありません");
    case ENOEXEC:
      return QStringLiteral("実行できる形式のファイルではありません");
    default:
      return QString::fromLocal8Bit(std::strerror(err));
  }
}

// The spawn attributes and file actions, released when this goes.
struct SpawnSetup {
  posix_spawn_file_actions_t actions{};
  posix_spawnattr_t attributes{};
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
};

// Starts program with args, its standard input from /dev/null and its error output to
// errorFd (or this program's when errorFd is -1), in a session of its own.
bool Spawn(const std::string& program, const std::vector<std::string>& args, int errorFd,
           pid_t& pid, QString& reason) {
  std::vector<char*> argv;
  argv.reserve(args.size() + 2);
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  SpawnSetup setup;
  // The started program never waits for input from this one, and has a session of its own,
  // so that a signal meant for this program's terminal does not reach it.
  posix_spawn_file_actions_addopen(&setup.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (errorFd >= 0)
    posix_spawn_file_actions_adddup2(&setup.actions, errorFd, STDERR_FILENO);
  posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSID);
  const int err =
      posix_spawnp(&pid, program.c_str(), &setup.actions, &setup.attributes, argv.data(), environ);
  if (err != 0) {
    reason = StartFailure(err);
    return false;
  }
  return true;
}

// Collects the end of a program that nothing waits for, beside, so that it leaves no zombie.
void ReapBeside(pid_t pid) {
  std::thread([pid] {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }).detach();
}

// The first line of text that begins "error:", without its line end; empty when none does.
QString ErrorLine(const QByteArray& text) {
  for (const QByteArray& line : text.split('\n')) {
    if (line.startsWith("error:"))
      return QString::fromLocal8Bit(line).trimmed();
  }
  return {};
}

// Watches one started program from the thread it lives on: its end through a process file
// descriptor, and its error output when that is read. Reports a failed end once, then goes.
class ProgramWatch : public QObject {
 public:
  ProgramWatch(std::string program, pid_t pid, int pidFd, int errorFd, ProgramFailedFn onFailure,
               QObject& owner)
      : QObject(&owner),
        mProgram(std::move(program)),
        mPid(pid),
        mPidFd(pidFd),
        mErrorFd(errorFd),
        mOnFailure(std::move(onFailure)) {
    auto* ended = new QSocketNotifier(mPidFd, QSocketNotifier::Read, this);
    connect(ended, &QSocketNotifier::activated, this, [this, ended] {
      ended->setEnabled(false);
      Ended();
    });
    if (mErrorFd >= 0) {
      mErrorNotifier = new QSocketNotifier(mErrorFd, QSocketNotifier::Read, this);
      connect(mErrorNotifier, &QSocketNotifier::activated, this, [this] { ReadErrors(); });
    }
  }
  ProgramWatch(const ProgramWatch&) = delete;
  ProgramWatch& operator=(const ProgramWatch&) = delete;
  ~ProgramWatch() override {
    ::close(mPidFd);
    if (mErrorFd >= 0)
      ::close(mErrorFd);
    if (!mReaped)
      ReapBeside(mPid);  // its owner went first
  }

 private:
  // What the error output holds now; at its end the notifier stops.
  void ReadErrors() {
    char buf[4096];
    for (;;) {
      const ssize_t n = ::read(mErrorFd, buf, sizeof buf);
      if (n > 0) {
        if (mErrors.size() < kKeepErrorBytes)
          mErrors.append(buf, n);
        continue;
      }
      if (n < 0 && errno == EINTR)
        continue;
      if ((n == 0 || errno != EAGAIN) && mErrorNotifier != nullptr)
        mErrorNotifier->setEnabled(false);
      return;
    }
  }

  void Ended() {
    if (mErrorFd >= 0)
      ReadErrors();
    int status = 0;
    pid_t got = 0;
    while ((got = ::waitpid(mPid, &status, WNOHANG)) < 0 && errno == EINTR) {
    }
    if (got != mPid)
      return;  // not ended after all
    mReaped = true;
    ProgramEnd end;
    end.program = mProgram;
    end.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
    end.errorLine = ErrorLine(mErrors);
    ProgramFailedFn onFailure = std::move(mOnFailure);
    deleteLater();
    if (end.exitCode != 0 || !end.errorLine.isEmpty())
      onFailure(end);
  }

  static constexpr qsizetype kKeepErrorBytes = 64 * 1024;
  std::string mProgram;
  pid_t mPid;
  int mPidFd;
  int mErrorFd;
  ProgramFailedFn mOnFailure;
  QSocketNotifier* mErrorNotifier = nullptr;
  QByteArray mErrors;
  bool mReaped = false;
};

}  // namespace

bool StartDetachedProgram(const std::string& program, const std::vector<std::string>& args,
                          QString& reason) {
  pid_t pid = 0;
  if (!Spawn(program, args, -1, pid, reason))
    return false;
  ReapBeside(pid);
  return true;
}

bool StartWatchedProgram(const std::string& program, const std::vector<std::string>& args,
                         bool readErrors, QObject& owner, ProgramFailedFn onFailure,
                         QString& reason) {
  // A process file descriptor becomes readable when its program ends, even when it has ended
  // already. A system without them leaves the program unwatched.
  const int ownFd = static_cast<int>(::syscall(SYS_pidfd_open, ::getpid(), 0));
  if (ownFd < 0)
    return StartDetachedProgram(program, args, reason);
  ::close(ownFd);
  int errorPipe[2] = {-1, -1};
  if (readErrors && ::pipe2(errorPipe, O_CLOEXEC) != 0)
    errorPipe[0] = errorPipe[1] = -1;  // its error output then goes where this program's goes
  pid_t pid = 0;
  const bool started = Spawn(program, args, errorPipe[1], pid, reason);
  if (errorPipe[1] >= 0)
    ::close(errorPipe[1]);
  if (!started) {
    if (errorPipe[0] >= 0)
      ::close(errorPipe[0]);
    return false;
  }
  const int pidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (pidFd < 0) {  // out of descriptors: the program goes on, unwatched
    if (errorPipe[0] >= 0)
      ::close(errorPipe[0]);
    ReapBeside(pid);
    return true;
  }
  if (errorPipe[0] >= 0)
    ::fcntl(errorPipe[0], F_SETFL, ::fcntl(errorPipe[0], F_GETFL) | O_NONBLOCK);
  new ProgramWatch(program, pid, pidFd, errorPipe[0], std::move(onFailure),
                   owner);  // owner keeps it
  return true;
}

EditorPlace EditorPlaceBeside(const QWidget& window, int line) {
  const QRect frame = window.frameGeometry();
  EditorPlace place;
  place.line = line;
  place.x = frame.x() + frame.width();
  place.y = frame.y();
  place.w = PrimaryScreenGeometry().width() - (frame.width() + frame.x());
  place.h = frame.height();
  return place;
}

std::u16string EditorFailureReason(const ProgramEnd& end) {
  const std::u16string code = Utf8ToUtf16(std::to_string(end.exitCode));
  const std::u16string program = UPath(end.program);
  return end.program == kPlainEditorProgram
             ? u"テキストファイルを開くプログラム（エディタ）が設定されていないようです（" +
                   program + u" の終了コード " + code + u"）"
             : u"終了コード " + code + u" で終わりました";
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty())
    return path;
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  return ec ? path : absolute.string();
}

bool StartEditor(const std::string& editorField, const std::string& file, const EditorPlace& place,
                 QObject& owner, ProgramFailedFn onFailure, std::string& startedProgram,
                 QString& reason) {
  const EditorCommand command =
      BuildEditorCommand(ResolveEditor(editorField), AbsolutePath(file), place);
  // A program named without a folder would be looked for on the search path only.
  startedProgram = IsFileExist(command.program) ? AbsolutePath(command.program) : command.program;
  // The file's path goes over as its bytes: a name that is not UTF-8 reaches the editor whole.
  return StartWatchedProgram(startedProgram, command.args, false, owner, std::move(onFailure),
                             reason);
}

}  // namespace kelmoa
