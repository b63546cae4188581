// What the main window's tests share: a main window on an installed Kelmoa in a temporary
// folder, whose dialogs the test answers.
#pragma once

#include <QStringList>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "core/base/fixtures_test.h"
#include "gui/main_window.h"
#include "gui/message_dialog.h"
#include "gui/window_fixtures_test.h"

namespace kelmoa::testing {

// A main window on the installed Kelmoa in dir, not yet activated. The message dialog's
// messages go to messages and its answer is answer (read at each question); the plain message
// box's messages go to plainMessages (which may be messages).
inline std::unique_ptr<MainWindow> StartMainWindow(const TempDir& dir,
                                                   const std::string& commandLine,
                                                   QStringList& messages,
                                                   QStringList& plainMessages,
                                                   const MessageDialog::Answer& answer) {
  auto window =
      std::make_unique<MainWindow>(ProgramPaths::FromProgramFile(dir / "bin/Kelmoa"), commandLine);
  window->MsgDialog().SetResponder(
      [&messages, &answer](const QString& msg, MessageDialog::Buttons) {
        messages << msg;
        return answer;
      });
  window->SetPlainMessageResponder([&plainMessages](const QString& msg) { plainMessages << msg; });
  return window;
}

// The main window's caption with the text file shown.
inline QString Title(const std::string& file) {
  return QString::fromStdString(file) + QStringLiteral(" - Kelmoa Ver1.1.1");
}

// Shows the window and makes it the active one, so that its keys work.
inline bool ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  return QTest::qWaitForWindowActive(&window);
}

// The middle of the n-th occurrence (from 1) of word on the window's page.
inline QPointF WordOnPage(MainWindow& w, const std::string& word, int n = 1) {
  return WordMiddle(w.Document(), w.Setting(), w.View().FirstLine(), word, n);
}

}  // namespace kelmoa::testing
