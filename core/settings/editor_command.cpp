// The external editor's command line and argument list, for a launch without a shell.
#include "core/settings/editor_command.h"

#include <algorithm>

#include "core/base/helpers.h"

namespace kelmoa {

std::string ResolveEditor(const std::string& editorField) {
  if (editorField.empty() || !IsFileExist(editorField))
    return kPlainEditor;
  return editorField;
}

EditorCommand BuildEditorCommand(const std::string& editor, const std::string& file,
                                 const EditorPlace& p) {
  std::string lower = editor;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  });
  const std::string line = std::to_string(p.line), x = std::to_string(p.x), y = std::to_string(p.y),
                    w = std::to_string(p.w), h = std::to_string(p.h);
  const std::string quoted = "\"" + file + "\"";
  EditorCommand cmd;
  cmd.program = editor;
  if (lower.find("hidemaru.exe") != std::string::npos) {
    cmd.commandLine =
        editor + " /(" + x + "," + y + "," + w + "," + h + ")  /j" + line + " " + quoted;
    cmd.args = {"/(" + x + "," + y + "," + w + "," + h + ")", "/j" + line, file};
  } else if (lower.find("sakura.exe") != std::string::npos) {
    cmd.commandLine = editor + " -Y:" + line + "  -VY:" + line + "  -WX:" + x + "  -WY:" + y +
                      "  -SY:" + h + " " + quoted;
    cmd.args = {"-Y:" + line, "-VY:" + line, "-WX:" + x, "-WY:" + y, "-SY:" + h, file};
  } else if (lower.find("terapad.exe") != std::string::npos) {
    cmd.commandLine = editor + " /jl=" + line + " " + quoted;
    cmd.args = {"/jl=" + line, file};
  } else {
    cmd.commandLine = editor + " " + quoted;
    cmd.args = {file};
    if (editor == kPlainEditor)
      cmd.program = kPlainEditorProgram;
  }
  return cmd;
}

}  // namespace kelmoa
