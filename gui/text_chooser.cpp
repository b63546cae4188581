// The text-file chooser: lists a folder's text files and hands back the chosen one.
#include "gui/text_chooser.h"

#include <QByteArray>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "gui/window_helpers.h"

namespace kelmoa {
namespace {

// Where a list item keeps its file name's bytes.
constexpr int kNameBytesRole = Qt::UserRole;

// A file name for the eye: bytes that are not UTF-8 show as a replacement mark.
QString ShownName(const std::string& bytes) {
  return QFile::decodeName(QByteArray::fromStdString(bytes));
}

bool EndsWithTxt(const std::string& name) {
  if (name.size() < 4)
    return false;
  std::string ext = name.substr(name.size() - 4);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return ext == ".txt";
}

// The names of the plain files (or links to them) in folder that end in ".txt" in any letter
// case, hidden ones left out, read straight from the file system so that every name is there
// whatever its bytes. A folder that cannot be read gives none.
std::vector<std::string> TextFileNames(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec);
  for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    std::string name = it->path().filename().string();
    std::error_code typeError;
    if (name.empty() || name[0] == '.' || !EndsWithTxt(name) || !it->is_regular_file(typeError))
      continue;
    names.push_back(std::move(name));
  }
  return names;
}

}  // namespace

TextChooser::TextChooser(std::string folder, PlainMessageFn showPlainMessage, NoteFn noteOf,
                         QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      mFolder(std::move(folder)),
      mShowPlainMessage(std::move(showPlainMessage)),
      mNoteOf(std::move(noteOf)),
      mFolderLabel(new QLabel(this)),
      mFileList(new QListWidget(this)),
      mRefreshButton(MakeButton(this, QStringLiteral("一覧更新"), QRect(336, 4, 65, 21))),
      mSelectButton(MakeButton(this, QStringLiteral("選択"), QRect(336, 28, 65, 237))),
      mCancelButton(MakeButton(this, QStringLiteral("キャンセル"), QRect(336, 268, 65, 27))) {
  setWindowTitle(QStringLiteral(" ファイル選択"));
  setFont(QFont(kUiFontName, static_cast<int>(kUiFontPointSize)));
  setModal(true);
  setFixedSize(402, 434);
  mFolderLabel->setGeometry(4, 0, 325, 33);
  mFolderLabel->setWordWrap(true);
  mFolderLabel->setTextFormat(Qt::PlainText);
  mFileList->setGeometry(4, 36, 325, 396);
  mFileList->setFont(QFont(kPaneFontName, static_cast<int>(kUiFontPointSize)));
  mFileList->setSelectionMode(QAbstractItemView::SingleSelection);

  // A double click or Enter on a file takes it, as "選択" does. Enter is taken here, before the
  // window's default button could see it.
  connect(mFileList, &QListWidget::itemDoubleClicked, this, &TextChooser::SelectFile);
  mFileList->installEventFilter(this);
  connect(mRefreshButton, &QPushButton::clicked, this, &TextChooser::Refresh);
  connect(mSelectButton, &QPushButton::clicked, this, &TextChooser::SelectFile);
  connect(mCancelButton, &QPushButton::clicked, this, &TextChooser::Cancel);
}

QString TextChooser::Folder() const {
  return ShownName(mFolder);
}

std::string TextChooser::ChosenPath() const {
  return mChosenName.empty() ? std::string() : mFolder + "/" + mChosenName;
}

std::optional<std::string> TextChooser::Choose() {
  if (exec() != Accepted || mChosenName.empty())
    return std::nullopt;
  return ChosenPath();
}

void TextChooser::ShowFolder() {
  mFolderLabel->setText(Folder());
  ListFolder();
}

void TextChooser::SelectFile() {
  const QList<QListWidgetItem*> selected = mFileList->selectedItems();
  if (selected.isEmpty() || selected.first()->text().isEmpty()) {
    mShowPlainMessage(QString::fromUtf16(kMsgSelectOneFile), this);
    return;
  }
  mChosenName = selected.first()->data(kNameBytesRole).toByteArray().toStdString();
  done(Accepted);
}

void TextChooser::Refresh() {
  ListFolder();
}

void TextChooser::Cancel() {
  mChosenName.clear();
  done(Rejected);
}

void TextChooser::FileAdded(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos || path.substr(0, slash) != mFolder)
    return;
  mToSelect = path.substr(slash + 1);
  if (mLoaded)
    ListFolder();
}

// The plain files of the folder whose names end in ".txt" in any letter case, in name order
// regardless of letter case; hidden files and folders are not listed. A folder that is gone
// gives an empty list.
void TextChooser::ListFolder() {
  const QList<QListWidgetItem*> selected = mFileList->selectedItems();
  QByteArray keep =
      selected.isEmpty() ? QByteArray() : selected.first()->data(kNameBytesRole).toByteArray();
  if (!mToSelect.empty())
    keep = QByteArray::fromStdString(std::exchange(mToSelect, {}));
  std::vector<std::pair<QString, std::string>> files;
  for (std::string& name : TextFileNames(mFolder))
    files.emplace_back(ShownName(name), std::move(name));
  std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
    const int c = QString::compare(a.first, b.first, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a.second < b.second;
  });
  mFileList->clear();
  for (const auto& [shown, bytes] : files) {
    // A file that would be refused again stays listed, in grey with why, so that it is not
    // taken for the copy beside it.
    const QString note = mNoteOf ? mNoteOf(mFolder + "/" + bytes) : QString();
    auto* item = new QListWidgetItem(note.isEmpty() ? shown : shown + u' ' + note, mFileList);
    if (!note.isEmpty())
      item->setForeground(Qt::gray);
    item->setData(kNameBytesRole, QByteArray::fromStdString(bytes));
    if (!keep.isEmpty() && item->data(kNameBytesRole).toByteArray() == keep)
      mFileList->setCurrentItem(item);
  }
}

void TextChooser::showEvent(QShowEvent* event) {
  if (!mLoaded) {
    mLoaded = true;
    ShowFolder();
  }
  QDialog::showEvent(event);
}

void TextChooser::reject() {
  Cancel();
}

bool TextChooser::eventFilter(QObject* watched, QEvent* event) {
  if (watched == mFileList && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      SelectFile();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace kelmoa
