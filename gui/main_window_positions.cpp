// The main window's reading positions: a text opens where it was left, and F3 opens the text
// read last.
#include <QScrollBar>
#include <filesystem>
#include <system_error>

#include "core/wordlist/reading_positions.h"
#include "gui/main_window.h"
#include "gui/window_helpers.h"

namespace kelmoa {
namespace {

// The file's size now, or -1 when it cannot be told.
long long FileSizeOf(const std::string& path) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  return ec ? -1 : static_cast<long long>(size);
}

}  // namespace

ReadingPositions* MainWindow::PositionStore() {
  if (!mPositionsTried) {
    mPositionsTried = true;
    // A folder whose word list cannot be used (damaged, read-only, newer) keeps no positions;
    // the word list says why when a word is added. Texts then open at their top.
    if (!ReadingPositions::Open(mPaths.baseFolder, mPositions).ok())
      mPositions.reset();
  }
  return mPositions.get();
}

void MainWindow::StoreReadingPosition() {
  if (mLastTextFilePath.empty() || !mSession.HasText())
    return;
  if (ReadingPositions* positions = PositionStore(); positions != nullptr)
    (void)positions->Store({mLastTextFilePath, mScrollBar->value(), mOpenedSize});
}

int MainWindow::StartLineOfOpenedText() {
  mOpenedSize = FileSizeOf(mTextFilePath);
  int line = 1;
  if (ReadingPositions* positions = PositionStore(); positions != nullptr)
    (void)positions->FirstLineOf(mTextFilePath, mOpenedSize, line);
  return line;
}

void MainWindow::OpenTextReadLast() {
  ReadingPosition last;
  bool found = false;
  ReadingPositions* positions = PositionStore();
  if (positions == nullptr ||
      !positions->LastLeft(mSession.HasText() ? mLastTextFilePath : std::string(), last, found)
           .ok() ||
      !found) {
    ShowStatusLine(QStringLiteral("前に読んでいたテキストはありません。"));
    return;
  }
  mTextFilePath = last.path;
  OpenTextFile();
}

}  // namespace kelmoa
