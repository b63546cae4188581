#include "tools/frm_file.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "common/window_helpers.h"

namespace kelmoa {
frmFile::frmFile(QString folder, PlainMessageFn showPlainMessage, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      mFolder(std::move(folder)),
      mShowPlainMessage(std::move(showPlainMessage)),
      mLblFolder(new QLabel(this)),
      mFile1(new QListWidget(this)),
      mCmdRefresh(MakeButton(this, QStringLiteral("一覧更新"), QRect(336, 4, 65, 21))),
      mCmdSelect(MakeButton(this, QStringLiteral("選択"), QRect(336, 28, 65, 237))),
      mCmdCancel(MakeButton(this, QStringLiteral("キャンセル"), QRect(336, 268, 65, 27))) {
  setWindowTitle(QStringLiteral(" ファイル選択"));
  setFont(QFont(kUiFontName, static_cast<int>(kUiFontPointSize)));
  setModal(true);
  setFixedSize(402, 434);
  mLblFolder->setGeometry(4, 0, 325, 33);
  mLblFolder->setWordWrap(true);
  mLblFolder->setTextFormat(Qt::PlainText);
  mFile1->setGeometry(4, 36, 325, 396);
  mFile1->setFont(QFont(kPaneFontName, static_cast<int>(kUiFontPointSize)));
  mFile1->setSelectionMode(QAbstractItemView::SingleSelection);

  connect(mCmdRefresh, &QPushButton::clicked, this, &frmFile::cmdRefresh_Click);
  connect(mCmdSelect, &QPushButton::clicked, this, &frmFile::cmdSelect_Click);
  connect(mCmdCancel, &QPushButton::clicked, this, &frmFile::cmdCancel_Click);
}

void frmFile::Form_Load() {
  mLblFolder->setText(mFolder);
  ListFolder();
}

void frmFile::cmdSelect_Click() {
  const QList<QListWidgetItem*> selected = mFile1->selectedItems();
  if (selected.isEmpty() || selected.first()->text().isEmpty()) {
    mShowPlainMessage(QString::fromUtf16(kMsgSelectOneFile), this);
    return;
  }
  gFileNm = selected.first()->text();
  done(Accepted);
}

void frmFile::cmdRefresh_Click() {
  ListFolder();
}

void frmFile::cmdCancel_Click() {
  gFileNm.clear();
  done(Rejected);
}

// The plain files of the folder whose names end in ".txt" in any letter case, in name order;
// hidden files and folders are not listed. A folder that is gone gives an empty list.
void frmFile::ListFolder() {
  const QList<QListWidgetItem*> selected = mFile1->selectedItems();
  const QString keep = selected.isEmpty() ? QString() : selected.first()->text();
  QDir dir(mFolder);
  dir.setNameFilters({QStringLiteral("*.txt")});
  dir.setFilter(QDir::Files);
  dir.setSorting(QDir::Name | QDir::IgnoreCase);
  mFile1->clear();
  mFile1->addItems(dir.entryList());
  if (keep.isEmpty())
    return;
  const QList<QListWidgetItem*> found = mFile1->findItems(keep, Qt::MatchExactly);
  if (!found.isEmpty())
    mFile1->setCurrentItem(found.first());
}

void frmFile::showEvent(QShowEvent* event) {
  if (!mLoaded) {
    mLoaded = true;
    Form_Load();
  }
  QDialog::showEvent(event);
}

void frmFile::reject() {
  cmdCancel_Click();
}

}  // namespace kelmoa
