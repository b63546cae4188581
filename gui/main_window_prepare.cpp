// The main window's side of preparing a refused text: the preparation runs on a thread of its
// own behind a progress dialog that can stop it, and the copy opens when it is done.

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>
#include <chrono>
#include <future>

#include "core/base/char_code.h"
#include "core/base/codepage.h"
#include "core/text/messages.h"
#include "core/text/prepare_text.h"
#include "gui/main_window.h"
#include "gui/message_dialog.h"
#include "gui/text_chooser.h"
#include "gui/window_helpers.h"

namespace kelmoa {
namespace {

// A preparation shorter than this shows no dialog; until then the window takes no input (it
// waits for the dialog), and it is drawn all the while.
constexpr int kDialogAfterMs = 400;
// How often the dialog's bar follows the work.
constexpr int kPollMs = 30;

std::u16string UPath(const std::string& path) {
  return QFile::decodeName(path.c_str()).toStdU16String();
}

}  // namespace

PreparedCopy MainWindow::PrepareBehindDialog(const std::string& refusedPath, Status& status) {
  PrepareProgress progress;
  const std::string folder = mPaths.DataPath("txt_shift_jis");
  // The window's thread only waits: the preparer is the worker's until it is done.
  std::future<PreparedCopy> job = std::async(std::launch::async, [&] {
    PreparedCopy copy;
    if (!mTextPreparer)
      status = TextPreparer::Create(mTextPreparer);
    if (status.ok())
      status =
          PrepareIntoFolder(DefaultFileOps(), *mTextPreparer, refusedPath, folder, copy, &progress);
    return copy;
  });
  const auto done = [&job] {
    return job.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
  };

  QProgressDialog dialog(QStringLiteral("テキストファイルを変換しています..."),
                         QStringLiteral("キャンセル"), 0, 1000, this);
  dialog.setWindowTitle(BaseCaption());
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.setAutoReset(false);
  dialog.setAutoClose(false);
  dialog.setMinimumDuration(kDialogAfterMs);
  const auto takeCancel = [&dialog, &progress] {
    if (dialog.wasCanceled())
      progress.Cancel();
  };
  connect(&dialog, &QProgressDialog::canceled, &dialog, takeCancel);
  if (mPrepareDialogHook)
    mPrepareDialogHook(dialog);

  QEventLoop loop;
  QTimer poll;
  poll.setInterval(kPollMs);
  bool shown = false;
  connect(&poll, &QTimer::timeout, &loop, [&] {
    takeCancel();
    if (done()) {
      loop.quit();
      return;
    }
    if (progress.Cancelled())
      return;  // a cancelled dialog is not shown again
    dialog.setValue(progress.Permille());
    if (!shown && dialog.isVisible()) {
      shown = true;
      loop.quit();  // the dialog takes the input from here on
    }
  });
  poll.start();
  // Until the dialog shows, clicks and keys wait; drawing and timers go on. The window's
  // thread never waits for the job itself: it leaves the loop only once the job is done.
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  while (!done())
    loop.exec();
  PreparedCopy copy = job.get();
  takeCancel();
  dialog.hide();
  if (progress.Cancelled()) {
    // Whatever was written before the cancel took effect goes again.
    for (const std::string& part : copy.parts)
      DefaultFileOps().Remove(part);
    copy.parts.clear();
    status = Status::Make(StatusCode::kCancelled, "", "");
  }
  return copy;
}

void MainWindow::OpenPreparedCopy(const std::string& refusedPath) {
  Status status;
  const PreparedCopy copy = PrepareBehindDialog(refusedPath, status);
  if (status.IsCancelled())
    return;
  const PreparedText& prepared = copy.prepared;
  const std::u16string text = UPath(refusedPath);
  if (!status.ok()) {
    // Before a name was chosen for the copy the text could not be read; after, the copy could
    // not be written.
    ShowMessage(copy.path.empty() ? MsgTextFileUnreadable(text, ReasonInWords(status))
                                  : MsgTextNotPrepared(UPath(copy.path), ReasonInWords(status)),
                0);
    return;
  }
  switch (prepared.outcome) {
    case PrepareOutcome::kPrepared:
      break;
    case PrepareOutcome::kUnknownCode:  // the file changed since it was refused
      ShowMessage(
          MsgTextNotPrepared(text, u"文字コード＝" + Utf8ToUtf16(GetCharCodeName(prepared.code))),
          0);
      return;
    case PrepareOutcome::kTooManyParts:
      ShowMessage(MsgTooManyPreparedParts(text), 0);
      return;
    case PrepareOutcome::kCancelled:
      return;
  }
  if (prepared.damage.badBytes > 0)
    ShowMessage(MsgDamagedUtf8(text, prepared.damage), 0);
  // The chooser lists the copy at once, chosen, and marks the text it was made from.
  mPreparedCopies[refusedPath] = copy.parts.front();
  mTextChooser->FileAdded(copy.parts.front());
  mTextFilePath = copy.parts.front();
  OpenTextFile();
}

}  // namespace kelmoa
