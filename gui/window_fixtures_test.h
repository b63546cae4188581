// What the window tests share: an installed Kelmoa in a temporary folder whose dialogs the test
// answers, where a word stands on the page, real mouse events, and how a window looks.
#pragma once

#include <QApplication>
#include <QImage>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointF>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/base/codepage.h"
#include "core/base/fixtures_test.h"
#include "core/settings/settings.h"
#include "core/text/layout.h"
#include "gui/main_window.h"
#include "gui/message_dialog.h"
#include "gui/picture_box.h"
#include "gui/text_view.h"

namespace kelmoa::testing {

// A mouse event of type at p of target, as the window system sends it.
inline void SendMouse(QWidget& target, QEvent::Type type, QPointF p,
                      Qt::MouseButton button = Qt::NoButton, Qt::KeyboardModifiers modifiers = {}) {
  QMouseEvent event(type, p, target.mapToGlobal(p), button,
                    type == QEvent::MouseMove ? Qt::NoButton : button, modifiers);
  QApplication::sendEvent(&target, &event);
}

// An executable shell script at path.
inline void WriteScript(const std::string& path, const std::string& body) {
  WriteBytes(path, "#!/bin/sh\n" + body + "\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

// How many pixels of r in image pred holds for.
inline int CountPixels(const QImage& image, const QRect& r, bool (*pred)(QRgb)) {
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y) {
    for (int x = r.left(); x <= r.right(); ++x)
      n += pred(image.pixel(x, y)) ? 1 : 0;
  }
  return n;
}
inline bool IsBlue(QRgb c) {
  return qBlue(c) > 160 && qRed(c) < 120 && qGreen(c) < 120;
}
inline bool IsDark(QRgb c) {
  return qRed(c) < 110 && qGreen(c) < 110 && qBlue(c) < 110;
}

// The button of a window with the given caption; null when there is none.
inline QPushButton* Button(const QWidget& window, const QString& caption) {
  for (QPushButton* button : window.findChildren<QPushButton*>()) {
    if (button->text() == caption)
      return button;
  }
  return nullptr;
}

// The lines of the items.
inline QStringList Texts(const QList<QListWidgetItem*>& items) {
  QStringList lines;
  for (const QListWidgetItem* item : items)
    lines << item->text();
  return lines;
}

// A click of the mouse on the button of a window with the given caption.
inline void Press(const QWidget& window, const QString& caption) {
  QPushButton* button = Button(window, caption);
  QVERIFY2(button != nullptr, qPrintable(caption));
  QTest::mouseClick(button, Qt::LeftButton);
}

// Shows the window and makes it the active one, so that its keys work.
inline bool ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  return QTest::qWaitForWindowActive(&window);
}

// The main window's caption with the text file shown.
inline QString Title(const std::string& file) {
  return QString::fromStdString(file) + QStringLiteral(" - Kelmoa Ver1.1.1");
}

// A test over an installed Kelmoa in a temporary base folder (bin, dic, dic_backup,
// txt_shift_jis), emptied after each test. The message dialog is answered with mAnswer.
class WindowTest : public QObject {
 protected:
  TempDir mDir;
  QStringList mMessages;  // the message dialog
  QStringList mPlain;     // the plain message box
  MessageDialog::Answer mAnswer = MessageDialog::Answer::kCancel;

  // For init(): the data folders, no messages yet, and the answer to the dialog.
  void Reset(MessageDialog::Answer answer = MessageDialog::Answer::kCancel) {
    MakeDataFolders(mDir.path());
    mMessages.clear();
    mPlain.clear();
    mAnswer = answer;
  }
  // For cleanup(): nothing left of the test.
  void Empty() {
    for (const auto& entry : std::filesystem::directory_iterator(mDir.path()))
      std::filesystem::remove_all(entry.path());
  }
  void WriteDictionary(const std::vector<std::string>& lines) const {
    WriteBytes(mDir / "dic/Dic_EJ.txt", SjisLines(lines));
  }
  // A text in txt_shift_jis, its lines in Shift_JIS with CR LF; returns its path.
  std::string Text(const std::string& name, const std::vector<std::string>& lines) const {
    const std::string path = mDir / ("txt_shift_jis/" + name);
    WriteBytes(path, SjisLines(lines));
    return path;
  }
  MessageDialog::Responder Answering() {
    return [this](const QString& msg, MessageDialog::Buttons) {
      mMessages << msg;
      return mAnswer;
    };
  }
  // A main window on the installed Kelmoa, not yet activated.
  std::unique_ptr<MainWindow> StartMainWindow(const std::string& commandLine = {}) {
    auto w = std::make_unique<MainWindow>(ProgramPaths::FromProgramFile(mDir / "bin/Kelmoa"),
                                          commandLine);
    w->MsgDialog().SetResponder(Answering());
    w->SetPlainMessageResponder([this](const QString& msg) { mPlain << msg; });
    return w;
  }
  // The middle of the n-th occurrence (from 1) of word on the main window's page, in pane
  // coordinates; (-1, -1) when the text has no such occurrence.
  static QPointF WordOnPage(MainWindow& w, const std::string& word, int n = 1) {
    const WordTable& t = w.Document().words;
    for (int k = 1; k <= t.Count(); ++k) {
      const auto ki = static_cast<size_t>(k);
      if (t.Word(k) == U16(word) && --n == 0)
        return QPointF(
            (t.mWordX1[ki] + t.mWordX2[ki]) / 2.0,
            PageGeometry::Of(w.Setting()).LineTop(t.mWordLine[ki], w.View().FirstLine()) + 7);
    }
    return {-1, -1};
  }
};

}  // namespace kelmoa::testing
