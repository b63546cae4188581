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

namespace {

// How a Linux editor is told the line to show.
enum class LinuxEditor {
  kNone,
  kPlusLineFirst,  // +LINE FILE
  kPlusLineAfter,  // FILE +LINE: the line belongs to the file named before it
  kLineOption,     // --line LINE FILE
  kGoto,           // --goto FILE:LINE
};

// The Linux editor a program is, by its file name alone (in lower case): a folder named after
// an editor does not make every program in it that editor.
LinuxEditor LinuxEditorOf(const std::string& lowerPath) {
  const std::string name = lowerPath.substr(lowerPath.rfind('/') + 1);
  static const struct {
    const char* name;
    LinuxEditor kind;
  } kEditors[] = {
      {"gedit", LinuxEditor::kPlusLineFirst}, {"gnome-text-editor", LinuxEditor::kPlusLineAfter},
      {"kate", LinuxEditor::kLineOption},     {"kwrite", LinuxEditor::kLineOption},
      {"mousepad", LinuxEditor::kLineOption}, {"code", LinuxEditor::kGoto},
  };
  for (const auto& editor : kEditors) {
    if (name == editor.name)
      return editor.kind;
  }
  return LinuxEditor::kNone;
}

}  // namespace

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
  } else if (const LinuxEditor kind = LinuxEditorOf(lower); kind != LinuxEditor::kNone) {
    switch (kind) {
      case LinuxEditor::kPlusLineFirst:
        cmd.commandLine = editor + " +" + line + " " + quoted;
        cmd.args = {"+" + line, file};
        break;
      case LinuxEditor::kPlusLineAfter:
        cmd.commandLine = editor + " " + quoted + " +" + line;
        cmd.args = {file, "+" + line};
        break;
      case LinuxEditor::kLineOption:
        cmd.commandLine = editor + " --line " + line + " " + quoted;
        cmd.args = {"--line", line, file};
        break;
      case LinuxEditor::kGoto:
        cmd.commandLine = editor + " --goto \"" + file + ":" + line + "\"";
        cmd.args = {"--goto", file + ":" + line};
        break;
      case LinuxEditor::kNone:
        break;
    }
  } else {
    cmd.commandLine = editor + " " + quoted;
    cmd.args = {file};
    if (editor == kPlainEditor)
      cmd.program = kPlainEditorProgram;
  }
  return cmd;
}

}  // namespace kelmoa
