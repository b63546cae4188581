// Tests of the editor command line.
#include "core/settings/editor_command.h"

#include <gtest/gtest.h>

#include "core/base/fixtures_test.h"

namespace kelmoa {
namespace {

TEST(EditorCommand, EachKnownEditorHasItsOwnLine) {
  const EditorPlace p{12, 800, 40, -30, 700};
  const std::string file = "/t/a b.txt";
  const struct {
    std::string program, commandLine;
    std::vector<std::string> args;
  } cases[] = {
      {"/opt/Hidemaru.exe",
       "/opt/Hidemaru.exe /(800,40,-30,700)  /j12 \"/t/a b.txt\"",
       {"/(800,40,-30,700)", "/j12", file}},
      {"/opt/sakura.exe",
       "/opt/sakura.exe -Y:12  -VY:12  -WX:800  -WY:40  -SY:700 \"/t/a b.txt\"",
       {"-Y:12", "-VY:12", "-WX:800", "-WY:40", "-SY:700", file}},
      {"/my apps/terapad.exe", "/my apps/terapad.exe /jl=12 \"/t/a b.txt\"", {"/jl=12", file}},
      {"/b/gedit", "/b/gedit +12 \"/t/a b.txt\"", {"+12", file}},
      {"/b/gnome-text-editor", "/b/gnome-text-editor \"/t/a b.txt\" +12", {file, "+12"}},
      {"/b/kate", "/b/kate --line 12 \"/t/a b.txt\"", {"--line", "12", file}},
      {"/b/KWrite", "/b/KWrite --line 12 \"/t/a b.txt\"", {"--line", "12", file}},
      {"/b/mousepad", "/b/mousepad --line 12 \"/t/a b.txt\"", {"--line", "12", file}},
      {"/s/code", "/s/code --goto \"/t/a b.txt:12\"", {"--goto", file + ":12"}},
      {"/b/leafpad", "/b/leafpad \"/t/a b.txt\"", {file}},
      {"/opt/gedit/bin/vim", "/opt/gedit/bin/vim \"/t/a b.txt\"", {file}},
      {"/b/gedit-old", "/b/gedit-old \"/t/a b.txt\"", {file}},
  };
  for (const auto& c : cases) {
    const EditorCommand command = BuildEditorCommand(c.program, file, p);
    EXPECT_EQ(command.commandLine, c.commandLine);
    EXPECT_EQ(command.program, c.program);
    EXPECT_EQ(command.args, c.args) << c.program;
  }
}

TEST(EditorCommand, TheFirstKnownNameAnywhereInThePathDecides) {
  const EditorPlace p;
  EXPECT_EQ(BuildEditorCommand("/x/sakura.exe.old/terapad.exe", "/f", p).args.front(), "-Y:1");
  EXPECT_EQ(BuildEditorCommand("/x/TERAPAD.EXE/hidemaru.exe", "/f", p).args.front(), "/(0,0,0,0)");
  EXPECT_EQ(BuildEditorCommand("/opt/sakura.exe.d/kate", "/f", p).args.front(), "-Y:1")
      << "a Windows editor's name comes before a Linux editor's";
}

TEST(EditorCommand, ThePlainEditorIsTheDesktopsFileHandler) {
  testing::TempDir dir;
  testing::WriteBytes(dir / "editor", "");
  EXPECT_EQ(ResolveEditor(""), kPlainEditor);
  EXPECT_EQ(ResolveEditor(dir / "gone"), kPlainEditor);
  EXPECT_EQ(ResolveEditor(dir.path()), kPlainEditor) << "a folder is no editor";
  EXPECT_EQ(ResolveEditor(dir / "editor"), dir / "editor");
  const EditorCommand c = BuildEditorCommand(kPlainEditor, "/t/a b.txt", {});
  EXPECT_EQ(c.commandLine, "notepad.exe \"/t/a b.txt\"");
  EXPECT_EQ(c.program, "xdg-open");
  EXPECT_EQ(c.args, (std::vector<std::string>{"/t/a b.txt"}));
}

}  // namespace
}  // namespace kelmoa
