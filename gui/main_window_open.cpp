// The main window's opening of texts: the text itself at the line where it was left, a
// refused one and its prepared copy, the text read last (F3), and a listed word in its text.
#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <filesystem>
#include <system_error>

#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "core/text/messages.h"
#include "core/text/open_text.h"
#include "gui/main_window.h"
#include "gui/text_chooser.h"
#include "gui/window_helpers.h"

namespace kelmoa {
namespace {

// Whether two paths name one file: the same file on disk, or, when either is gone, the same
// text.
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  const bool same = std::filesystem::equivalent(a, b, ec);
  return ec ? a == b : same;
}

}  // namespace

bool MainWindow::OpenTextFile(const std::string& path) {
  mTextView->SetBusy(true);
  const OpenResult opened = mSession.Open(path, mSetting);
  if (!opened.ok()) {
    mTextView->SetBusy(false);
    // The shown text stays as it is: the file was read into a list of its own.
    TellRefusal(path, opened);
    return false;
  }
  mEditTextButton->setEnabled(true);
  mReopenButton->setEnabled(true);
  mSpeakBox->setEnabled(true);
  mTextPlaces.Leave(mTextView->FirstLine());  // the text left, its page still on the screen
  mTextPath = path;
  FitWindowToText(opened.maxRight);
  mTextView->ScrollTo(mTextPlaces.StartLine(path));  // the text comes back where it was left
  mTextView->SetBusy(false);
  setWindowTitle(QPath(GetFileNameOfPath(path)) + QStringLiteral(" - ") + BaseCaption());
  return true;
}

void MainWindow::TellRefusal(const std::string& path, const OpenResult& rejection) {
  if (rejection.outcome == OpenResult::Outcome::kUnreadable) {
    // The reason in the user's words where the file system names one; else the system's.
    std::u16string reason = TextFileProblem(path);
    if (reason.empty())
      reason = SystemReason(rejection.status);
    ShowMessage(MsgTextFileUnreadable(UPath(path), reason), MessageDialog::Buttons::kOK);
    return;
  }
  const bool tooLarge = rejection.TooLarge();
  const std::u16string refusal = MsgTextRefusal(rejection, path);
  const std::u16string msg = tooLarge ? WithQuestion(refusal) : refusal;
  // A text in a code that can be read, or one too long, can be prepared into a copy, unless
  // it is too large for that.
  const bool preparable = (tooLarge || CanPrepareCode(rejection.code)) && FitsPreparation(path);
  const MessageDialog::Answer answer =
      ShowMessage(msg, MessageDialog::Buttons::kOKCancel, preparable);
  if (answer == MessageDialog::Answer::kOK)
    EditTextInEditor(path);  // opens the rejected file
  else if (answer == MessageDialog::Answer::kConvert)
    OpenPreparedCopy(path);
}

void MainWindow::OpenPreparedCopy(const std::string& refusedPath) {
  const std::string copy = mTextCopies.MakeCopy(
      *this, BaseCaption(), refusedPath,
      [this](const std::u16string& msg) { ShowMessage(msg, MessageDialog::Buttons::kOK); });
  if (copy.empty())
    return;
  // The chooser lists the copy at once, chosen, and marks the text it was made from.
  mTextChooser->FileAdded(copy);
  OpenTextFile(copy);
}

void MainWindow::OpenTextReadLast() {
  if (const std::optional<std::string> last =
          mTextPlaces.LeftLast(mSession.HasText() ? mTextPath : std::string())) {
    OpenTextFile(*last);
  } else {
    mTextView->ShowStatusLine(QStringLiteral("前に読んでいたテキストはありません。"));
  }
}

bool MainWindow::ShowWordInText(const WordEntry& entry) {
  if (entry.contexts.empty())
    return false;
  const WordContext& where = entry.contexts.front();
  if ((!mSession.HasText() || !SameFile(where.file, mTextPath)) && !OpenTextFile(where.file))
    return false;
  mTextView->ShowWordOnLine(where.lineNumber, entry.word);
  raise();
  activateWindow();
  return true;
}

}  // namespace kelmoa
