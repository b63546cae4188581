// Mouse buttons over the text pane: the middle one (or Ctrl + left) adds a word to the word
// list, the left one speaks a word, the right one hands it to the dictionary editor.

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QScrollBar>

#include "core/text/popup_text.h"
#include "gui/dictionary_editor.h"
#include "gui/main_window.h"

namespace kelmoa {

void MainWindow::PressAt(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, double x,
                         double y) {
  if (!mSession.HasText())
    return;
  const bool add = button == Qt::MiddleButton ||
                   (button == Qt::LeftButton && modifiers.testFlag(Qt::ControlModifier));
  const bool speak = !add && button == Qt::LeftButton && mSpeakBox->isChecked();
  // The editor feeds on right clicks only while it is on screen.
  const bool toEditor =
      button == Qt::RightButton && mDictionaryEditor != nullptr && mDictionaryEditor->isVisible();
  if (!add && !speak && !toEditor)
    return;
  const int line = LineAtY(y, mScrollBar->value(), PageGeometry::Of(mSetting).pitch);
  const int k = mSession.WordAt(line, x);
  if (k < 1)
    return;
  if (add) {
    AddWordToList(k, AddedBy::kClick);
    return;
  }
  // The word as written in the text, capitals kept.
  const QString word = QStringView(Document().words.Word(k)).toString();
  if (speak) {
    (void)mSpeaker.SpeakWord(word);  // a failure is said in the status line, once
    return;
  }
  mDictionaryEditor->SetWord(word);
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->clear();
  clipboard->setText(word);
}

}  // namespace kelmoa
