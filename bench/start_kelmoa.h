// Starting Kelmoa for the window benchmarks: the main window on an installed folder, shown
// and activated, with any message it would ask printed and answered キャンセル.
#pragma once

#include <QApplication>
#include <QString>
#include <cstdio>
#include <memory>
#include <string>

#include "gui/main_window.h"
#include "gui/message_dialog.h"

namespace kelmoa {

// Kelmoa installed at base, with text open.
inline std::unique_ptr<MainWindow> StartKelmoaAt(const std::string& base, const std::string& text) {
  auto w = std::make_unique<MainWindow>(ProgramPaths::FromProgramFile(base + "/bin/Kelmoa"), text);
  w->MsgDialog().SetResponder([](const QString& msg, MessageDialog::Buttons) {
    std::fprintf(stderr, "unexpected message: %s\n", msg.toLocal8Bit().constData());
    return MessageDialog::Answer::kCancel;
  });
  w->SetPlainMessageResponder([](const QString&) {});
  w->show();
  w->ActivateFirstTime();
  QApplication::processEvents();
  return w;
}

}  // namespace kelmoa
