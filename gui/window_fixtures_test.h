// What the window tests share: an installed Kelmoa in a temporary folder, its texts, a main
// window on it whose dialogs the test answers, and where a word stands in the text pane.
#pragma once

#include <QPointF>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "core/base/codepage.h"
#include "core/base/fixtures_test.h"
#include "core/text/layout.h"
#include "gui/main_window.h"
#include "gui/message_dialog.h"

namespace kelmoa::testing {

// A text in the folder's txt_shift_jis, its lines in Shift_JIS with CR LF; returns its path.
inline std::string WriteSampleText(const TempDir& dir, const std::string& name,
                                   const std::vector<std::string>& lines) {
  const std::string path = dir / ("txt_shift_jis/" + name);
  WriteBytes(path, SjisLines(lines));
  return path;
}

// A main window on the installed Kelmoa in dir, not yet activated. The message dialog's
// messages go to messages and its answer is answer (read at each question); the plain message
// box's messages go to plainMessages (which may be messages).
inline std::unique_ptr<MainWindow> StartMainWindow(const TempDir& dir,
                                                   const std::string& commandLine,
                                                   QStringList& messages,
                                                   QStringList& plainMessages, const int& answer) {
  auto window =
      std::make_unique<MainWindow>(ProgramPaths::FromProgramFile(dir / "bin/Kelmoa"), commandLine);
  window->MsgDialog().SetResponder([&messages, &answer](const QString& msg, int) {
    messages << msg;
    return answer;
  });
  window->SetPlainMessageResponder([&plainMessages](const QString& msg) { plainMessages << msg; });
  return window;
}

// The middle of the n-th occurrence (from 1) of word in the window's text, in pane coordinates,
// with line firstLine at the top of the page; (-1, -1) when the text has no such occurrence.
inline QPointF WordMiddle(const MainWindow& window, int firstLine, const std::string& word,
                          int n = 1) {
  const WordTable& t = window.Document().words;
  const PageGeometry geometry = PageGeometry::Of(window.Setting());
  for (int k = 1; k <= t.Count(); ++k) {
    const auto ki = static_cast<size_t>(k);
    if (t.Word(k) == U16(word) && --n == 0)
      return QPointF((t.mWordX1[ki] + t.mWordX2[ki]) / 2.0,
                     geometry.LineTop(t.mWordLine[ki], firstLine) + 7);
  }
  return {-1, -1};
}

}  // namespace kelmoa::testing
