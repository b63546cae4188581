// The desktop program: starts the log, checks the data folders and shows the main window.

#include <QApplication>
#include <QMetaObject>
#include <filesystem>
#include <string>
#include <system_error>

#include "core/base/startup.h"
#include "gui/main_window.h"
#include "gui/window_helpers.h"

namespace {

// The program file's own path, wherever it was started from.
std::string ProgramFile(const char* argv0) {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec)
    return self.string();
  return std::filesystem::absolute(argv0, ec).string();
}

// The arguments joined by single spaces and taken whole as one path, so that a path with
// spaces that reaches the program unquoted still works.
std::string CommandLine(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1)
      line += ' ';
    line += argv[i];
  }
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  const kelmoa::ProgramPaths paths = kelmoa::ProgramPaths::FromProgramFile(ProgramFile(argv[0]));
  // A missing data folder ends the run before any window: its name is in the log.
  if (!kelmoa::StartLogAndCheckDataFolders(paths))
    return 0;
  // The path is taken before the toolkit looks at the arguments, exactly as given.
  const std::string commandLine = CommandLine(argc, argv);

  QApplication app(argc, argv);
  kelmoa::RegisterFontSubstitutions();
  // Without them the standard dialogs and context menus speak English; the program goes on.
  kelmoa::LoadQtJapanese(app);
  kelmoa::MainWindow window(paths, commandLine);
  QObject::connect(&window, &kelmoa::MainWindow::programEnded, &app,
                   [] { QCoreApplication::exit(0); });
  window.show();
  // The first activation also runs where no window manager activates the window.
  QMetaObject::invokeMethod(&window, &kelmoa::MainWindow::ActivateFirstTime, Qt::QueuedConnection);
  return app.exec();
}
