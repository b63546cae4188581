// The word-list window "単語帳": the list, its filter, the chosen word's sentences, deleting,
// exporting, and the double click that shows a word in its text.
#include "gui/word_list_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

#include "core/base/codepage.h"
#include "core/settings/settings.h"
#include "core/wordlist/word_list_messages.h"
#include "gui/main_window.h"
#include "gui/message_dialog.h"
#include "gui/window_helpers.h"

namespace kelmoa {
namespace {

// A stored time (UTC, ISO 8601) in local time, to the minute: "2026-12-07 21:34". The text
// sorts as the times do.
QString LocalTime(const std::string& iso) {
  const QDateTime t = QDateTime::fromString(QString::fromStdString(iso), Qt::ISODate);
  return t.isValid() ? t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                     : QString::fromStdString(iso);
}

QString FileName(const std::string& path) {
  return QFileInfo(QFile::decodeName(path.c_str())).fileName();
}

QString Joined(const std::vector<std::u16string>& items, const QString& separator) {
  QStringList parts;
  for (const std::u16string& item : items)
    parts << Q(item);
  return parts.join(separator);
}

// A cell showing text, and the tooltip (text when none is given) as the plain text it is: a
// meaning that holds "<b>" shows "<b>", as the cell does.
QTableWidgetItem* Cell(const QString& text, const QString& toolTip = {}) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  const QString tip = toolTip.isEmpty() ? text : toolTip;
  item->setToolTip(tip.isEmpty() ? tip : Qt::convertFromPlainText(tip, Qt::WhiteSpaceNormal));
  return item;
}

}  // namespace

WordListWindow::WordListWindow(MainWindow& main, std::string iniPath)
    : QWidget(&main, Qt::Window), mMain(main), mIniPath(std::move(iniPath)) {
  BuildControls();
}

void WordListWindow::BuildControls() {
  setWindowTitle(QStringLiteral("単語帳"));
  setFont(QFont(kUiFontName, static_cast<int>(kUiFontPointSize)));

  mFilterBox = new QLineEdit(this);
  mFilterBox->setPlaceholderText(QStringLiteral("単語または意味で絞り込み"));
  mFilterBox->setClearButtonEnabled(true);

  mTable = new QTableWidget(0, 5, this);
  mTable->setHorizontalHeaderLabels({QStringLiteral("単語"), QStringLiteral("意味"),
                                     QStringLiteral("回数"), QStringLiteral("最終日"),
                                     QStringLiteral("出典")});
  mTable->setSelectionBehavior(QAbstractItemView::SelectRows);
  mTable->setSelectionMode(QAbstractItemView::SingleSelection);
  mTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  mTable->verticalHeader()->hide();
  mTable->setWordWrap(false);  // one line a word; the tooltips hold the rest
  mTable->horizontalHeader()->setSectionResizeMode(kMeaningsColumn, QHeaderView::Stretch);
  mTable->setColumnWidth(kWordColumn, 110);
  mTable->setColumnWidth(kCountColumn, 44);
  mTable->setColumnWidth(kLastColumn, 120);
  mTable->setColumnWidth(kSourceColumn, 130);
  mTable->setSortingEnabled(true);
  mTable->sortByColumn(kLastColumn, Qt::DescendingOrder);  // the newest words first

  mSentences = new QTextBrowser(this);
  mSentences->setFont(PaneFont(9.75));
  mSentences->setMaximumHeight(110);

  mStatus = new QLabel(this);
  mStatus->setTextFormat(Qt::PlainText);  // names and paths as they are
  mShownOnlyBox = new QCheckBox(QStringLiteral("絞り込んだ単語だけ書き出す"), this);
  mShownOnlyBox->setChecked(true);
  mDeleteButton = new QPushButton(QStringLiteral("削除(&D)"), this);
  mDeleteButton->setToolTip(QStringLiteral("選んだ単語を単語帳から削除します"));
  mDeleteAllButton = new QPushButton(QStringLiteral("全削除(&A)"), this);
  mExportButton = new QPushButton(QStringLiteral("書き出し(&E)"), this);
  mExportButton->setToolTip(QStringLiteral("Anki 用のタブ区切りか CSV のファイルに書き出します"));
  mCloseButton = new QPushButton(QStringLiteral("閉じる(&C)"), this);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(mDeleteButton);
  buttons->addWidget(mDeleteAllButton);
  buttons->addStretch();
  buttons->addWidget(mShownOnlyBox);
  buttons->addWidget(mExportButton);
  buttons->addWidget(mCloseButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(mFilterBox);
  layout->addWidget(mTable, 1);
  layout->addWidget(mSentences);
  layout->addWidget(mStatus);
  layout->addLayout(buttons);

  connect(mFilterBox, &QLineEdit::textChanged, this, &WordListWindow::ApplyFilter);
  connect(mTable, &QTableWidget::itemSelectionChanged, this, &WordListWindow::ShowSentences);
  connect(mTable, &QTableWidget::cellDoubleClicked, this, &WordListWindow::ShowChosenInText);
  connect(mDeleteButton, &QPushButton::clicked, this, &WordListWindow::DeleteChosen);
  connect(mDeleteAllButton, &QPushButton::clicked, this, &WordListWindow::DeleteAll);
  connect(mExportButton, &QPushButton::clicked, this, &WordListWindow::ChooseAndExport);
  connect(mCloseButton, &QPushButton::clicked, this, &QWidget::close);
}

void WordListWindow::Reload(bool tell) {
  Status status;
  std::vector<WordEntry> entries;
  if (WordList* list = mMain.WordListStore(status); list != nullptr)
    status = list->Entries(entries);
  if (!status.ok()) {
    SetStatus(Q(Utf8ToUtf16(status.message())), true);
    if (tell)
      mMain.MsgDialog().Ask(this, Q(Utf8ToUtf16(status.message())), 0, QString());
    return;
  }
  mEntries = std::move(entries);
  ApplyFilter();
}

void WordListWindow::ApplyFilter() {
  const WordEntry* chosen = ChosenEntry();
  const std::u16string chosenWord = chosen != nullptr ? chosen->word : std::u16string();
  mShown = FilterWordEntries(mEntries, mFilterBox->text().toStdU16String());
  FillTable(chosenWord);
  const bool filtered = !mFilterBox->text().isEmpty();
  SetStatus(filtered ? QStringLiteral("%1 語中 %2 語").arg(mEntries.size()).arg(mShown.size())
                     : QStringLiteral("%1 語").arg(mEntries.size()));
}

void WordListWindow::FillTable(const std::u16string& chosenWord) {
  const QSignalBlocker quiet(mTable);  // the sentences follow once, at the end
  mTable->setSortingEnabled(false);    // rows are filled in place, then sorted once
  mTable->clearContents();
  mTable->setRowCount(static_cast<int>(mShown.size()));
  for (size_t i = 0; i < mShown.size(); ++i) {
    const WordEntry& e = mShown[i];
    const int row = static_cast<int>(i);
    QTableWidgetItem* word = Cell(Q(e.word), Joined(e.headWords, QStringLiteral(", ")));
    word->setData(Qt::UserRole, row);
    mTable->setItem(row, kWordColumn, word);
    mTable->setItem(
        row, kMeaningsColumn,
        Cell(Joined(e.meanings, QStringLiteral(" / ")), Joined(e.meanings, QStringLiteral("\n"))));
    QTableWidgetItem* count = Cell({});
    count->setData(Qt::DisplayRole, e.count);  // sorts as a number
    mTable->setItem(row, kCountColumn, count);
    mTable->setItem(row, kLastColumn, Cell(LocalTime(e.lastAdded)));
    QString source;
    QString path;
    if (!e.contexts.empty()) {
      const WordContext& c = e.contexts.front();
      source = FileName(c.file) + u':' + QString::number(c.lineNumber);
      path = QFile::decodeName(c.file.c_str());
    }
    mTable->setItem(row, kSourceColumn, Cell(source, path));
  }
  mTable->setSortingEnabled(true);
  // The word chosen before, else the first row, so that sentences show.
  int chosenRow = mTable->rowCount() > 0 ? 0 : -1;
  for (int row = 0; row < mTable->rowCount() && !chosenWord.empty(); ++row) {
    const int i = mTable->item(row, kWordColumn)->data(Qt::UserRole).toInt();
    if (mShown[static_cast<size_t>(i)].word == chosenWord) {
      chosenRow = row;
      break;
    }
  }
  if (chosenRow >= 0)
    mTable->selectRow(chosenRow);
  ShowSentences();
}

const WordEntry* WordListWindow::ChosenEntry() const {
  const QList<QTableWidgetItem*> items = mTable->selectedItems();
  for (const QTableWidgetItem* item : items) {
    if (item->column() != kWordColumn)
      continue;
    const int i = item->data(Qt::UserRole).toInt();
    if (i >= 0 && static_cast<size_t>(i) < mShown.size())
      return &mShown[static_cast<size_t>(i)];
  }
  return nullptr;
}

// The chosen word's sentences, newest first, the word in bold, each with its file, line and
// time.
void WordListWindow::ShowSentences() {
  const WordEntry* e = ChosenEntry();
  mDeleteButton->setEnabled(e != nullptr);
  if (e == nullptr) {
    mSentences->clear();
    return;
  }
  QString html;
  for (const WordContext& c : e->contexts) {
    html += QStringLiteral("<p>") + QString::fromStdString(SentenceHtml(c)) +
            QStringLiteral("<br><small>") + FileName(c.file).toHtmlEscaped() + u':' +
            QString::number(c.lineNumber) + QStringLiteral("　") + LocalTime(c.added) +
            QStringLiteral("</small></p>");
  }
  mSentences->setHtml(html);
}

void WordListWindow::DeleteChosen() {
  const WordEntry* e = ChosenEntry();
  if (e == nullptr)
    return;
  Status status;
  if (WordList* list = mMain.WordListStore(status); list != nullptr)
    status = list->Remove(e->word);
  mMain.TellWordListRestart();
  if (!status.ok()) {
    mMain.MsgDialog().Ask(this, Q(Utf8ToUtf16(status.message())), 0, QString());
    return;
  }
  Reload();
}

void WordListWindow::DeleteAll() {
  if (mMain.MsgDialog().Ask(this, Q(kMsgDeleteAllWords), 1, QString()) != MessageDialog::kOK)
    return;
  Status status;
  if (WordList* list = mMain.WordListStore(status); list != nullptr)
    status = list->RemoveAll();
  mMain.TellWordListRestart();
  if (!status.ok()) {
    mMain.MsgDialog().Ask(this, Q(Utf8ToUtf16(status.message())), 0, QString());
    return;
  }
  Reload();
}

void WordListWindow::ChooseAndExport() {
  const QString ankiFilter = QStringLiteral("Anki 用タブ区切り (*.txt *.tsv)");
  const QString csvFilter = QStringLiteral("CSV (*.csv)");
  QString chosenFilter = ankiFilter;
  // The dialog starts where the last export went, or in the home folder.
  const QString folder = mExportFolder.isEmpty() ? QDir::homePath() : mExportFolder;
  QString path = QFileDialog::getSaveFileName(
      this, QStringLiteral("単語帳を書き出す"), folder + QStringLiteral("/wordlist.txt"),
      ankiFilter + QStringLiteral(";;") + csvFilter, &chosenFilter);
  if (path.isEmpty())
    return;
  const bool csv =
      chosenFilter == csvFilter || path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
  if (QFileInfo(path).suffix().isEmpty())
    path += csv ? QStringLiteral(".csv") : QStringLiteral(".txt");
  const Status status =
      ExportTo(QFile::encodeName(path).toStdString(),
               csv ? WordListFormat::kCsv : WordListFormat::kAnkiTsv, mShownOnlyBox->isChecked());
  if (status.ok())
    mExportFolder = QFileInfo(path).absolutePath();
  else
    mMain.MsgDialog().Ask(this, Q(Utf8ToUtf16(status.message())), 0, QString());
}

Status WordListWindow::ExportTo(const std::string& path, WordListFormat format, bool shownOnly) {
  const bool filtered = shownOnly && !mFilterBox->text().isEmpty();
  const std::vector<WordEntry>& entries = filtered ? mShown : mEntries;
  const Status status = WriteExportFile(path, ExportWordList(entries, format), true);
  if (status.ok()) {
    SetStatus(QStringLiteral("%1 語を書き出しました：%2")
                  .arg(entries.size())
                  .arg(QFile::decodeName(path.c_str())));
  } else {
    SetStatus(Q(Utf8ToUtf16(status.message())), true);
  }
  return status;
}

void WordListWindow::ShowChosenInText() {
  if (const WordEntry* e = ChosenEntry(); e != nullptr)
    mMain.ShowWordInText(*e);
}

void WordListWindow::SetStatus(const QString& text, bool failure) {
  mStatus->setText(text);
  mStatus->setStyleSheet(failure ? QStringLiteral("color: #b00000") : QString());
}

void WordListWindow::StorePlace() const {
  mMain.TellSettingsNotStored(WriteIniWindowPlace(mIniPath, kIniWordListPlaceKey,
                                                  WindowPlace{x(), y(), width(), height()}));
}

// The stored place when it still lies on a screen; else beside the main window.
void WordListWindow::TakePlace() {
  if (const std::optional<WindowPlace> place = ReadIniWindowPlace(mIniPath, kIniWordListPlaceKey)) {
    const QRect stored(place->left, place->top, place->width, place->height);
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (std::any_of(screens.begin(), screens.end(), [&stored](const QScreen* screen) {
          return screen->availableGeometry().intersects(stored);
        })) {
      resize(stored.size());
      move(stored.topLeft());
      return;
    }
  }
  resize(720, 440);
  const QRect main = mMain.frameGeometry();
  const QScreen* screen = mMain.screen();
  const QRect available = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  const int left = std::min(main.right() + 1, available.right() - width());
  move(std::max(available.left(), left), main.top() + main.height() / 8);
}

void WordListWindow::showEvent(QShowEvent* event) {
  if (!mPlaced) {
    TakePlace();
    mPlaced = true;
  }
  QWidget::showEvent(event);
  Reload(true);
}

void WordListWindow::closeEvent(QCloseEvent* event) {
  StorePlace();
  event->accept();  // a child window: closing hides it
}

// Back in this window after another: the list may have grown meanwhile.
void WordListWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && isVisible())
    Reload();
}

}  // namespace kelmoa
