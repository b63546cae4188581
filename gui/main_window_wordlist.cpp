// The main window's side of the word list: adding words by click or by hovering, the status
// line that confirms it, the 単語帳 window, and showing a listed word in its text.

#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <ctime>
#include <filesystem>
#include <optional>

#include "core/base/codepage.h"
#include "core/wordlist/word_capture.h"
#include "core/wordlist/word_list.h"
#include "core/wordlist/word_list_messages.h"
#include "gui/main_window.h"
#include "gui/meaning_popup.h"
#include "gui/message_dialog.h"
#include "gui/picture_box.h"
#include "gui/window_helpers.h"
#include "gui/word_list_window.h"

namespace kelmoa {
namespace {

// Whether two paths name one file: the same file on disk, or, when either is gone, the same
// text.
std::u16string UPath(const std::string& path) {
  return QFile::decodeName(path.c_str()).toStdU16String();
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  const bool same = std::filesystem::equivalent(a, b, ec);
  return ec ? a == b : same;
}

}  // namespace

// The popup's flash, the status line and the timers of both and of hover adding.
void MainWindow::BuildWordListControls() {
  // Flashed over the popup when its word joins the word list.
  // A plain frame in the palette's colour: no style sheet, which would restyle the popup.
  mPopupFlash = new QFrame(mPopupBox);
  mPopupFlash->setAttribute(Qt::WA_TransparentForMouseEvents);
  mPopupFlash->setFrameStyle(QFrame::Box | QFrame::Plain);
  mPopupFlash->setLineWidth(3);
  QPalette blue = mPopupFlash->palette();
  blue.setColor(QPalette::WindowText, QColor(42, 106, 216));
  mPopupFlash->setPalette(blue);
  mPopupFlash->hide();
  mPopupFlashTimer = new QTimer(this);
  mPopupFlashTimer->setSingleShot(true);
  mPopupFlashTimer->setInterval(700);
  connect(mPopupFlashTimer, &QTimer::timeout, mPopupFlash, &QWidget::hide);

  // The word list's confirmations: a line over the pane that takes neither focus nor clicks.
  mStatusLine = new QLabel(mTextPane);
  mStatusLine->setAttribute(Qt::WA_TransparentForMouseEvents);
  mStatusLine->setTextFormat(Qt::PlainText);
  mStatusLine->setAutoFillBackground(true);
  mStatusLine->setFrameShape(QFrame::Box);
  mStatusLine->setMargin(2);
  mStatusLine->setPalette(QPalette(QColor(232, 240, 255)));
  mStatusLine->hide();
  mStatusLineTimer = new QTimer(this);
  mStatusLineTimer->setSingleShot(true);
  mStatusLineTimer->setInterval(2000);
  connect(mStatusLineTimer, &QTimer::timeout, mStatusLine, &QLabel::hide);
  mHoverAddTimer = new QTimer(this);
  mHoverAddTimer->setSingleShot(true);
  mHoverAddTimer->setInterval(2000);
  connect(mHoverAddTimer, &QTimer::timeout, this, &MainWindow::AddHoveredWord);
}

void MainWindow::AddWordToList(int k, AddedBy how) {
  WordCapture capture;
  if (!mSession.Capture(k, mLastTextFilePath, std::time(nullptr), capture)) {
    if (how == AddedBy::kClick && k >= 1 && k <= Document().words.Count())
      ShowStatusLine(Q(MsgWordNotInDictionary(Document().words.Word(k))));
    return;
  }
  Status status;
  int count = 0;
  if (WordList* list = WordListStore(status); list != nullptr)
    status = list->Add(capture, &count);
  TellWordListRestart();
  if (!status.ok()) {
    if (how == AddedBy::kClick)
      ShowMessage(Utf8ToUtf16(status.message()), 0);
    else
      ShowStatusLine(Q(MsgWordNotAdded(capture.word)));
    return;
  }
  // Said only now: the word is in the list for good.
  if (k == mPopupWord && !mPopupBox->isHidden()) {
    mPopupAdded = true;
    mPopupFlash->setGeometry(mPopupBox->rect());
    mPopupFlash->show();
    mPopupFlashTimer->start();
  }
  ShowStatusLine(Q(MsgWordAdded(capture.word, count)));
  if (mWordListWindow != nullptr && mWordListWindow->isVisible())
    mWordListWindow->Reload();
}

void MainWindow::AddHoveredWord() {
  if (mPopupWord == 0 || mPopupAdded || mPopupBox->isHidden() || !mSetting.HoverAddsWord)
    return;
  AddWordToList(mPopupWord, AddedBy::kHover);
  mPopupAdded = true;  // once per popup, also when adding failed
}

WordList* MainWindow::WordListStore(Status& status) {
  status = Status::Ok();
  if (mWordList == nullptr)
    status = WordList::Open(mPaths.baseFolder, mWordList);
  return status.ok() ? mWordList.get() : nullptr;
}

void MainWindow::TellWordListRestart() {
  if (mWordList == nullptr)
    return;
  if (const std::optional<WordListRestart> restart = mWordList->TakeRestart())
    ShowMessage(MsgWordListRestarted(UPath(mWordList->path()), *restart), 0);
}

void MainWindow::ShowStatusLine(const QString& text) {
  mStatusLine->setText(text);
  mStatusLine->adjustSize();
  mStatusLine->move(4, std::max(0, mTextPane->height() - mStatusLine->height() - 4));
  mStatusLine->show();
  mStatusLine->raise();
  mStatusLineTimer->start();
}

WordListWindow& MainWindow::WordListWindowRef() {
  if (mWordListWindow == nullptr)
    mWordListWindow = new WordListWindow(*this, IniPath());
  return *mWordListWindow;
}

void MainWindow::ShowWordList() {
  WordListWindow& window = WordListWindowRef();
  window.show();
  window.raise();
  window.activateWindow();
}

bool MainWindow::ShowWordInText(const WordEntry& entry) {
  if (entry.contexts.empty())
    return false;
  const WordContext& where = entry.contexts.front();
  if (!mSession.HasText() || !SameFile(where.file, mLastTextFilePath)) {
    mTextFilePath = where.file;
    if (!OpenTextFile())
      return false;
  }
  // The text may have changed since: its line is sought as near as the text allows.
  const int line = std::clamp(where.lineNumber, 1, std::max(1, Document().LineCount()));
  const int first = mScrollBar->value();
  if (line < first || line >= first + mSetting.LinesPerPage) {
    // The line a third of the way down the page, so the popup under it stays in sight.
    const int top = line - mSetting.LinesPerPage / 3;
    mScrollBar->setValue(std::clamp(top, mScrollBar->minimum(), mScrollBar->maximum()));
  }
  const int k = FindWordOnLine(Document().words, line, entry.word);
  if (k > 0 && !Document().words.DicHits(k).empty())
    ShowPopupOfWord(k);
  raise();
  activateWindow();
  return true;
}

}  // namespace kelmoa
