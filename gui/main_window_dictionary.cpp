// The main window's side of the dictionary editor: opening it, the lookup it lists, the
// write-through of its changes, and the word information that follows a change.

#include <QRect>

#include "core/base/helpers.h"
#include "gui/dictionary_editor.h"
#include "gui/main_window.h"
#include "gui/picture_box.h"

namespace kelmoa {

DictionaryEditor& MainWindow::DictionaryEditorWindow() {
  if (mDictionaryEditor == nullptr)
    mDictionaryEditor = new DictionaryEditor(mSession, *this);
  return *mDictionaryEditor;
}

// The editor stands against the main window's right edge, an eighth of its height down; a
// second click while it is open brings it back there and forward.
void MainWindow::ShowDictionaryEditor() {
  DictionaryEditor& editor = DictionaryEditorWindow();
  const QRect frame = frameGeometry();
  editor.move(frame.x() + frame.width(),
              frame.y() + static_cast<int>(RoundHalfEven(frame.height() / 8.0)));
  editor.show();
  editor.raise();
  editor.activateWindow();
}

void MainWindow::DictionaryChanged() {
  if (!mSession.HasText())
    return;
  HideMeaningPopup();
  DrawPage();
}

}  // namespace kelmoa
