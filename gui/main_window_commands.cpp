// The main window's commands: what its buttons and keys do, and what a click on a word does.
#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QRect>
#include <ctime>
#include <optional>

#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "core/text/messages.h"
#include "core/wordlist/word_capture.h"
#include "core/wordlist/word_list_messages.h"
#include "gui/dictionary_editor.h"
#include "gui/editor_launch.h"
#include "gui/help_page.h"
#include "gui/main_window.h"
#include "gui/settings_dialog.h"
#include "gui/text_chooser.h"
#include "gui/window_helpers.h"
#include "gui/word_list_store.h"

namespace kelmoa {
namespace {

// The chooser stands this far right of and below the main window's top-left corner.
constexpr QPoint kChooserOffset(40, 20);

}  // namespace

void MainWindow::ChooseAndOpenText() {
  mTextChooser->move(pos() + kChooserOffset);
  const std::optional<std::string> chosen = mTextChooser->Choose();
  if (!chosen)
    return;
  // The window repaints where the chooser stood before the file is read.
  QCoreApplication::processEvents();
  OpenTextFile(*chosen);
}

void MainWindow::EditTextInEditor(const std::string& path) {
  // An editor that ends with an error, or a desktop without a handler of text files, is
  // reported when it has ended: the click is not left without an answer.
  const auto failed = [this](const ProgramEnd& end) {
    ShowPlainMessage(
        Q(MsgEditorFailed(QPath(end.program).toStdU16String(), EditorFailureReason(end))));
  };
  // The editor started is the settings window's field as it stands, also after a cancelled
  // showing.
  const std::string editor = Utf16ToUtf8(mSettingsDialog->TextEditorText().toStdU16String());
  std::string program;
  QString reason;
  if (!StartEditor(editor, path, EditorPlaceBeside(*this, mTextView->FirstLine()), *this, failed,
                   program, reason))
    ShowPlainMessage(
        Q(MsgEditorNotStarted(QPath(program).toStdU16String(), reason.toStdU16String())));
}

void MainWindow::EditSettings() {
  CenterFormOnParent(*mSettingsDialog, *this);
  // Edits left from a cancelled showing are dropped.
  const std::optional<SettingInfo> edited =
      mSettingsDialog->Edit(mSetting, mSettingDef.LineSpace, mSettingMax.LineSpace);
  if (!edited)
    return;

  mSetting = *edited;
  const Status written = WriteIniSettings(IniPath(), mSetting, frameGeometry().x());
  ApplySettingChange();
  // The settings hold for this run whether or not they could be stored; the user hears when
  // they will be gone at the next start.
  if (!written.ok()) {
    ShowPlainMessage(
        Q(MsgIniNotWritten(QPath(IniPath()).toStdU16String(), ReasonInWords(written))));
    mIniFailureTold = true;
  }
}

void MainWindow::ApplySettingChange() {
  mFontSizeOk = mTextView->TakeFontSize(mSetting);
  if (!mSession.HasText())
    return;                                      // the greeting or the empty pane stays as drawn
  FitWindowToText(mSession.Relayout(mSetting));  // the popup stood over the old layout
  mTextView->DrawPage();
}

void MainWindow::ShowHelp() {
  if (mHelpOpener) {
    mHelpOpener(HelpPageUrl(mPaths.baseFolder));
  } else {
    mHelpPage->Open(HelpPagePath(mPaths.baseFolder));
  }
}

void MainWindow::ShowDictionaryEditor() {
  if (mDictionaryEditor == nullptr) {
    mDictionaryEditor = new DictionaryEditor(
        mSession, *mMsg,
        [this](const QString& text, QWidget* parent) { ShowPlainMessage(text, parent); }, this);
  }
  const QRect frame = frameGeometry();
  mDictionaryEditor->move(frame.x() + frame.width(),
                          frame.y() + static_cast<int>(RoundHalfEven(frame.height() / 8.0)));
  mDictionaryEditor->show();
  mDictionaryEditor->raise();
  mDictionaryEditor->activateWindow();
}

void MainWindow::ShowWordList() {
  if (mWordListWindow == nullptr) {
    mWordListWindow = new WordListWindow(
        *mWordList, *this, *mMsg, IniPath(),
        [this](const Status& status) { TellSettingsNotStored(status); }, this);
  }
  mWordListWindow->show();
  mWordListWindow->raise();
  mWordListWindow->activateWindow();
}

void MainWindow::AddWordToList(int k, AddedBy how) {
  WordCapture capture;
  if (!mSession.Capture(k, mTextPath, std::time(nullptr), capture)) {
    if (how == AddedBy::kClick && k >= 1 && k <= Document().words.Count())
      mTextView->ShowStatusLine(Q(MsgWordNotInDictionary(Document().words.Word(k))));
    return;
  }
  int count = 0;
  if (const Status status = mWordList->Add(capture, count); !status.ok()) {
    if (how == AddedBy::kClick)
      ShowMessage(StatusInWords(status), MessageDialog::Buttons::kOK);
    else
      mTextView->ShowStatusLine(Q(MsgWordNotAdded(capture.word)));
    return;
  }
  mTextView->ShowWordAdded(k, Q(MsgWordAdded(capture.word, count)));
}

void MainWindow::SpeakWord(const QString& word) {
  if (mSpeakBox->isChecked())
    (void)mSpeaker.SpeakWord(word);  // a failure is said in the status line, once
}

void MainWindow::LookUpWord(const QString& word) {
  // The editor feeds on right clicks only while it is on screen.
  if (mDictionaryEditor == nullptr || !mDictionaryEditor->isVisible())
    return;
  mDictionaryEditor->SetWord(word);
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->clear();
  clipboard->setText(word);
}

}  // namespace kelmoa
