// Copies of refused texts that Kelmoa reads: the preparation on a thread of its own behind a
// progress dialog that can stop it, and the chooser's notes.
#include "gui/text_copies.h"

#include <QEventLoop>
#include <QFile>
#include <QProgressDialog>
#include <QTimer>
#include <chrono>
#include <future>
#include <utility>

#include "core/base/char_code.h"
#include "core/base/codepage.h"
#include "core/base/file_ops.h"
#include "core/base/helpers.h"
#include "core/text/messages.h"
#include "core/text/open_text.h"
#include "gui/window_helpers.h"

namespace kelmoa {
namespace {

// A preparation shorter than this shows no dialog; until then the window takes no input (it
// waits for the dialog), and it is drawn all the while.
constexpr int kDialogAfterMs = 400;
// How often the dialog's bar follows the work.
constexpr int kPollMs = 30;

}  // namespace

TextCopies::TextCopies(std::string folder) : mFolder(std::move(folder)) {}

TextCopies::~TextCopies() = default;

PreparedCopy TextCopies::Make(QWidget& parent, const QString& caption,
                              const std::string& refusedPath, Status& status) {
  PrepareProgress progress;
  // The window's thread only waits: the preparer is the worker's until it is done.
  std::future<PreparedCopy> job = std::async(std::launch::async, [&] {
    PreparedCopy copy;
    if (!mPreparer)
      status = TextPreparer::Create(mPreparer);
    if (status.ok())
      status =
          PrepareIntoFolder(DefaultFileOps(), *mPreparer, refusedPath, mFolder, copy, &progress);
    return copy;
  });
  const auto done = [&job] {
    return job.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
  };

  QProgressDialog dialog(QStringLiteral("テキストファイルを変換しています..."),
                         QStringLiteral("キャンセル"), 0, 1000, &parent);
  dialog.setWindowTitle(caption);
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.setAutoReset(false);
  dialog.setAutoClose(false);
  dialog.setMinimumDuration(kDialogAfterMs);
  const auto takeCancel = [&dialog, &progress] {
    if (dialog.wasCanceled())
      progress.Cancel();
  };
  QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, takeCancel);
  if (mDialogHook)
    mDialogHook(dialog);

  QEventLoop loop;
  QTimer poll;
  poll.setInterval(kPollMs);
  bool shown = false;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
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
    // Whatever was written before the cancel took effect goes again; a part that cannot go
    // stays a whole, readable text.
    for (const std::string& part : copy.parts)
      (void)DefaultFileOps().Remove(part);
    copy.parts.clear();
    status = Status::Make(StatusCode::kCancelled, "", "");
  }
  return copy;
}

std::string TextCopies::MakeCopy(QWidget& parent, const QString& caption,
                                 const std::string& refusedPath, const TellFn& tell) {
  Status status;
  const PreparedCopy copy = Make(parent, caption, refusedPath, status);
  if (status.IsCancelled())
    return {};
  const PreparedText& prepared = copy.prepared;
  const std::u16string text = UPath(refusedPath);
  if (!status.ok()) {
    // Before a name was chosen for the copy the text could not be read; after, the copy could
    // not be written.
    tell(copy.path.empty() ? MsgTextFileUnreadable(text, ReasonInWords(status))
                           : MsgTextNotPrepared(UPath(copy.path), ReasonInWords(status)));
    return {};
  }
  switch (prepared.outcome) {
    case PrepareOutcome::kPrepared:
      break;
    case PrepareOutcome::kUnknownCode:  // the file changed since it was refused
      tell(MsgTextNotPrepared(text, u"文字コード＝" + Utf8ToUtf16(GetCharCodeName(prepared.code))));
      return {};
    case PrepareOutcome::kTooManyParts:
      tell(MsgTooManyPreparedParts(text));
      return {};
    case PrepareOutcome::kCancelled:
      return {};
  }
  if (prepared.damage.badBytes > 0)
    tell(MsgDamagedUtf8(text, prepared.damage));
  mCopies[refusedPath] = copy.parts.front();
  return copy.parts.front();
}

QString TextCopies::ChooserNote(const std::string& path) const {
  if (!TextWouldBeRefused(path))
    return {};
  const auto copy = mCopies.find(path);
  if (copy != mCopies.end())
    return QStringLiteral("（変換済み：%1 を開いてください）")
        .arg(QPath(GetFileNameOfPath(copy->second)));
  return QStringLiteral("（このままでは開けません：「変換して開く」で読めるコピーを作れます）");
}

}  // namespace kelmoa
