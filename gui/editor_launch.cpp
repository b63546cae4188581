// Starts the external editor (or any program) detached, without a shell.
#include "gui/editor_launch.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <thread>

#include "core/base/helpers.h"

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

}  // namespace

bool StartDetachedProgram(const std::string& program, const std::vector<std::string>& args,
                          QString& reason) {
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
  posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSID);
  pid_t pid = 0;
  const int err =
      posix_spawnp(&pid, program.c_str(), &setup.actions, &setup.attributes, argv.data(), environ);
  if (err != 0) {
    reason = StartFailure(err);
    return false;
  }
  // Nothing waits for the program; its end is collected beside, so that it leaves no zombie.
  std::thread([pid] {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty())
    return path;
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  return ec ? path : absolute.string();
}

bool StartEditor(const std::string& editorField, const std::string& file, const EditorPlace& place,
                 std::string& startedProgram, QString& reason) {
  const EditorCommand command =
      BuildEditorCommand(ResolveEditor(editorField), AbsolutePath(file), place);
  // A program named without a folder would be looked for on the search path only.
  startedProgram = IsFileExist(command.program) ? AbsolutePath(command.program) : command.program;
  // The file's path goes over as its bytes: a name that is not UTF-8 reaches the editor whole.
  return StartDetachedProgram(startedProgram, command.args, reason);
}

}  // namespace kelmoa
