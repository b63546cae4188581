// The external editor's command line and argument list, for a launch without a shell.
#pragma once

#include <string>
#include <vector>

namespace kelmoa {

// The plain editor used when no editor is set or the set one is gone. It stands for the
// desktop's own handler of text files, which `xdg-open` starts.
inline constexpr char kPlainEditor[] = "notepad.exe";
inline constexpr char kPlainEditorProgram[] = "xdg-open";

// Where the external editor is to show the file: the first line shown in the text pane, and
// the room right of the main window (pixels).
struct EditorPlace {
  int line = 1;
  int x = 0;  // the main window's right edge
  int y = 0;  // its top
  int w = 0;  // room between its right edge and the screen's (negative when it reaches past)
  int h = 0;  // its height
};

// One launch of the external editor: the command line as the editor is told it, and the
// program with the argument list that line stands for. The launch passes the list; it never
// goes through a shell, so a path with spaces or quotes reaches the editor as one argument.
struct EditorCommand {
  std::string commandLine;
  std::string program;
  std::vector<std::string> args;
};

// The editor to use for the editor field's text: the field itself when it names an existing
// file, else the plain editor.
std::string ResolveEditor(const std::string& editorField);

// The command line for the editor (already resolved) and the file, with the line to show where
// the editor is known. Three Windows editors are known by the program name anywhere in the
// path, compared in lower case, in this order: hidemaru.exe, sakura.exe, terapad.exe. Failing
// those, the common Linux editors are known by the program's file name, in lower case: gedit
// (+LINE FILE), gnome-text-editor (FILE +LINE), kate, kwrite and mousepad (--line LINE FILE)
// and Visual Studio Code's code (--goto FILE:LINE). Every other editor gets the file alone.
EditorCommand BuildEditorCommand(const std::string& editor, const std::string& file,
                                 const EditorPlace& place);

}  // namespace kelmoa
