// The word-list window "単語帳": the list, its filter, the chosen word's sentences, deleting,
// exporting, and the double click that shows a word in its text.
#include "gui/word_list_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "core/base/codepage.h"
#include "core/settings/settings.h"
#include "core/text/messages.h"
#include "core/wordlist/word_list_messages.h"
#include "gui/message_dialog.h"
#include "gui/window_helpers.h"
#include "gui/word_list_model.h"
#include "gui/word_list_store.h"

namespace kelmoa {

WordListWindow::WordListWindow(WordListStore& store, WordInText& text, MessageDialog& messages,
                               std::string iniPath, TellNotStoredFn tellNotStored, QWidget* parent)
    : QWidget(parent, Qt::Window),
      mStore(store),
      mText(text),
      mMessages(messages),
      mIniPath(std::move(iniPath)),
      mTellNotStored(std::move(tellNotStored)) {
  BuildControls();
  connect(&mStore, &WordListStore::wordAdded, this, &WordListWindow::TakeAddedWord);
  // Hidden, the window reads the list at its next showing.
  connect(&mStore, &WordListStore::listReplaced, this, [this] {
    if (isVisible())
      Reload();
  });
}

WordListWindow::~WordListWindow() = default;

void WordListWindow::BuildControls() {
  setWindowTitle(QStringLiteral("単語帳"));
  setFont(QFont(kUiFontName, static_cast<int>(kUiFontPointSize)));

  mFilterBox = new QLineEdit(this);
  mFilterBox->setPlaceholderText(QStringLiteral("単語または意味で絞り込み"));
  mFilterBox->setClearButtonEnabled(true);

  mModel = new WordListModel(this);
  mFilter = new WordListFilter(*mModel, this);
  mTable = new QTableView(this);
  mTable->setModel(mFilter);
  mTable->setSelectionBehavior(QAbstractItemView::SelectRows);
  mTable->setSelectionMode(QAbstractItemView::SingleSelection);
  mTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  mTable->verticalHeader()->hide();
  mTable->setWordWrap(false);  // one line a word; the tooltips hold the rest
  mTable->horizontalHeader()->setSectionResizeMode(WordListModel::kMeaningsColumn,
                                                   QHeaderView::Stretch);
  mTable->setColumnWidth(WordListModel::kWordColumn, 110);
  mTable->setColumnWidth(WordListModel::kCountColumn, 44);
  mTable->setColumnWidth(WordListModel::kLastColumn, 120);
  mTable->setColumnWidth(WordListModel::kSourceColumn, 130);
  mTable->setSortingEnabled(true);
  mTable->sortByColumn(WordListModel::kLastColumn, Qt::DescendingOrder);  // the newest first

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
  connect(mTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &WordListWindow::ShowSentences);
  connect(mTable, &QTableView::doubleClicked, this, &WordListWindow::ShowChosenInText);
  connect(mDeleteButton, &QPushButton::clicked, this, &WordListWindow::DeleteChosen);
  connect(mDeleteAllButton, &QPushButton::clicked, this, &WordListWindow::DeleteAll);
  connect(mExportButton, &QPushButton::clicked, this, &WordListWindow::ChooseAndExport);
  connect(mCloseButton, &QPushButton::clicked, this, &QWidget::close);
}

void WordListWindow::Reload(bool tell) {
  std::vector<WordEntry> entries;
  // The rows need each word's newest place only: its sentences are read when it is chosen.
  if (const Status status = mStore.Entries(entries, ContextsRead::kNewestPlace); !status.ok()) {
    SetStatus(Q(StatusInWords(status)), true);
    if (tell)
      TellFailure(status);
    return;
  }
  const WordEntry* chosen = ChosenEntry();
  const std::u16string chosenWord =
      chosen != nullptr ? chosen->word : std::exchange(mChosenWhenHidden, {});
  mModel->SetEntries(std::move(entries));
  ChooseRowOf(chosenWord);
  ShowCount();
}

void WordListWindow::ApplyFilter() {
  const WordEntry* chosen = ChosenEntry();
  const std::u16string chosenWord = chosen != nullptr ? chosen->word : std::u16string();
  mFilter->SetFilter(mFilterBox->text().toStdU16String());
  ChooseRowOf(chosenWord);
  ShowCount();
}

void WordListWindow::TakeAddedWord(const WordCapture& capture, int count) {
  if (!isVisible())
    return;  // shown again, the window reads the list anew
  const WordEntry* chosen = ChosenEntry();
  const std::u16string chosenWord = chosen != nullptr ? chosen->word : std::u16string();
  mModel->AddCapture(capture, count);
  ChooseRowOf(chosenWord);
  ShowCount();
}

void WordListWindow::ShowCount() {
  const int all = mModel->rowCount();
  SetStatus(mFilterBox->text().isEmpty()
                ? QStringLiteral("%1 語").arg(all)
                : QStringLiteral("%1 語中 %2 語").arg(all).arg(mFilter->rowCount()));
}

void WordListWindow::ChooseRowOf(const std::u16string& word) {
  const int row = word.empty() ? -1 : mModel->RowOf(word);
  QModelIndex shown = row >= 0 ? mFilter->mapFromSource(mModel->index(row, 0)) : QModelIndex();
  if (!shown.isValid() && mFilter->rowCount() > 0)
    shown = mFilter->index(0, 0);
  if (shown.isValid())
    mTable->selectRow(shown.row());
  else
    mTable->clearSelection();
  ShowSentences();  // also when the chosen row stayed, and its word changed
}

const WordEntry* WordListWindow::ChosenEntry() const {
  const QModelIndexList rows = mTable->selectionModel()->selectedRows();
  if (rows.isEmpty())
    return nullptr;
  return &mModel->Entry(mFilter->mapToSource(rows.first()).row());
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
  std::vector<WordContext> contexts;
  if (const Status status = mStore.Contexts(e->word, contexts); !status.ok()) {
    mSentences->clear();
    SetStatus(Q(StatusInWords(status)), true);
    return;
  }
  QString html;
  for (const WordContext& c : contexts) {
    html += QStringLiteral("<p>") + QString::fromStdString(SentenceHtml(c)) +
            QStringLiteral("<br><small>") + FileNameText(c.file).toHtmlEscaped() + u':' +
            QString::number(c.lineNumber) + QStringLiteral("　") + LocalTimeText(c.added) +
            QStringLiteral("</small></p>");
  }
  mSentences->setHtml(html);
}

void WordListWindow::DeleteChosen() {
  const WordEntry* e = ChosenEntry();
  if (e == nullptr)
    return;
  const std::u16string word = e->word;
  if (const Status status = mStore.Remove(word); !status.ok()) {
    TellFailure(status);
    return;
  }
  mModel->RemoveWord(word);
  ChooseRowOf({});
  ShowCount();
}

void WordListWindow::DeleteAll() {
  if (mMessages.Ask(this, Q(kMsgDeleteAllWords), MessageDialog::Buttons::kOKCancel, QString()) !=
      MessageDialog::Answer::kOK)
    return;
  if (const Status status = mStore.RemoveAll(); !status.ok()) {
    TellFailure(status);
    return;
  }
  mModel->SetEntries({});
  ChooseRowOf({});
  ShowCount();
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
    TellFailure(status);
}

Status WordListWindow::ExportTo(const std::string& path, WordListFormat format, bool shownOnly) {
  // The list with every sentence, read for the export; with shownOnly, the rows the filter
  // keeps, in the list's order: what kelmoa-tool exports with --filter.
  std::vector<WordEntry> entries;
  Status status = mStore.Entries(entries, ContextsRead::kAll);
  if (status.ok() && shownOnly && !mFilterBox->text().isEmpty())
    entries = FilterWordEntries(entries, mFilterBox->text().toStdU16String());
  if (status.ok())
    status = WriteExportFile(path, ExportWordList(entries, format), true);
  if (status.ok()) {
    SetStatus(QStringLiteral("%1 語を書き出しました：%2").arg(entries.size()).arg(QPath(path)));
  } else {
    SetStatus(Q(StatusInWords(status)), true);
  }
  return status;
}

void WordListWindow::ShowChosenInText() {
  // A copy: opening the text asks questions, meanwhile the list may be read anew.
  if (const WordEntry* e = ChosenEntry(); e != nullptr)
    mText.ShowWordInText(WordEntry(*e));
}

void WordListWindow::SetStatus(const QString& text, bool failure) {
  mStatus->setText(text);
  mStatus->setStyleSheet(failure ? QStringLiteral("color: #b00000") : QString());
}

void WordListWindow::TellFailure(const Status& status) {
  mMessages.Ask(this, Q(StatusInWords(status)), MessageDialog::Buttons::kOK, QString());
}

void WordListWindow::StorePlace() const {
  mTellNotStored(WriteIniWindowPlace(mIniPath, kIniWordListPlaceKey,
                                     WindowPlace{x(), y(), width(), height()}));
}

// The stored place when it still lies on a screen; else beside the parent window.
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
  const QWidget* beside = parentWidget();
  const QRect main = beside != nullptr ? beside->frameGeometry() : QRect();
  const QScreen* screen = beside != nullptr ? beside->screen() : QGuiApplication::primaryScreen();
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
  mLeft = false;  // the activation that follows the showing finds the list just read
  Reload(true);
}

void WordListWindow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  // Shown again, the window reads the list anew: meanwhile the words need no memory.
  if (const WordEntry* chosen = ChosenEntry(); chosen != nullptr)
    mChosenWhenHidden = chosen->word;
  mModel->SetEntries({});
}

void WordListWindow::closeEvent(QCloseEvent* event) {
  StorePlace();
  event->accept();  // a child window: closing hides it
}

// Back in this window after another: the list may have grown meanwhile.
void WordListWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::ActivationChange)
    return;
  if (!isActiveWindow()) {
    mLeft = true;
  } else if (mLeft && isVisible()) {
    mLeft = false;
    Reload();
  }
}

}  // namespace kelmoa
