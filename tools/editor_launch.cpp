#include "tools/editor_launch.h"

#include <QFile>
#include <QProcess>
#include <filesystem>
#include <system_error>

#include "common/helpers.h"

namespace kelmoa {

bool StartDetachedProgram(const QString& program, const QStringList& args, QString& oReason) {
  QProcess process;
  process.setProgram(program);
  process.setArguments(args);
  // The started program never waits for input from this one.
  process.setStandardInputFile(QProcess::nullDevice());
  if (process.startDetached())
    return true;
  oReason = process.errorString();
  return false;
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty())
    return path;
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  return ec ? path : absolute.string();
}

bool StartEditor(const std::string& editorField, const std::string& file, const EditorPlace& place,
                 std::string& oProgram, QString& oReason) {
  const EditorCommand command =
      BuildEditorCommand(ResolveEditor(editorField), AbsolutePath(file), place);
  // A program named without a folder would be looked for on the search path only.
  oProgram = IsFileExist(command.program) ? AbsolutePath(command.program) : command.program;
  QStringList args;
  for (const std::string& arg : command.args)
    args << QFile::decodeName(arg.c_str());
  return StartDetachedProgram(QFile::decodeName(oProgram.c_str()), args, oReason);
}

}  // namespace kelmoa
