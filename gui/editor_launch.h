// Starts the external editor (or any program) detached, without a shell.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "core/settings/editor_command.h"

class QObject;
class QWidget;

namespace kelmoa {

// Starts program with the argument list, detached and without a shell: the call returns at
// once, and every argument reaches the program as one argument, whatever spaces, quotes or
// leading dashes it holds. False with the system's reason when the program cannot be started.
bool StartDetachedProgram(const QString& program, const QStringList& args, QString& reason);

// The same with the program and the arguments as file-system bytes, handed over unchanged: a
// path that is not UTF-8 reaches the program as the file system stores it. A program named
// without a "/" is looked for on the search path. reason is in the user's words.
bool StartDetachedProgram(const std::string& program, const std::vector<std::string>& args,
                          QString& reason);

// How a program started by StartWatchedProgram ended.
struct ProgramEnd {
  std::string program;  // as it was started
  int exitCode = 0;     // its exit status
  QString errorLine;    // the first line of its error output that begins "error:", when read
};
using ProgramFailedFn = std::function<void(const ProgramEnd& end)>;

// Starts program as StartDetachedProgram does, and watches it from owner's thread without
// waiting: when it ends with an exit status other than 0, or (with readErrors) has written a
// line beginning "error:" to its error output, onFailure runs there. With readErrors that output
// is read here rather than passed on. A program ended by a signal counts as ended on purpose.
// Nothing runs once owner is gone, nor where the system cannot watch a process: the program
// then runs unwatched, as StartDetachedProgram starts it.
bool StartWatchedProgram(const std::string& program, const std::vector<std::string>& args,
                         bool readErrors, QObject& owner, ProgramFailedFn onFailure,
                         QString& reason);

// Where an editor started for window is to stand: right of it up to the screen's edge, as high
// as it, scrolled to line.
EditorPlace EditorPlaceBeside(const QWidget& window, int line);

// Why a watched editor (or the desktop's handler of text files) failed, in the user's words.
std::u16string EditorFailureReason(const ProgramEnd& end);

// path made absolute against the current folder; an empty path stays empty.
std::string AbsolutePath(const std::string& path);

// Starts the external editor of the editor field on file at place (the command lines of
// BuildEditorCommand). The file is always handed over as an absolute path, so that a name
// beginning with "-" is never taken for an option, and an editor given as a path relative to
// the current folder is started from there. False with the program tried and the reason when
// the editor cannot be started; onFailure runs (on owner's thread) when it ends with an error.
bool StartEditor(const std::string& editorField, const std::string& file, const EditorPlace& place,
                 QObject& owner, ProgramFailedFn onFailure, std::string& startedProgram,
                 QString& reason);

}  // namespace kelmoa
