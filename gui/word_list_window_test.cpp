// Tests of 単語帳: listing, sorting, filtering, deleting, following added words, exporting.
#include "gui/word_list_window.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <filesystem>

#include "core/base/codepage.h"
#include "core/base/fixtures_test.h"
#include "core/base/paths.h"
#include "core/wordlist/word_list.h"
#include "core/wordlist/word_list_export.h"
#include "gui/message_dialog.h"
#include "gui/window_fixtures_test.h"
#include "gui/window_helpers.h"
#include "gui/word_list_model.h"
#include "gui/word_list_store.h"

namespace kelmoa {
namespace {

namespace fs = std::filesystem;
using namespace testing;  // the shared fixtures

// Stands in for the main window: keeps the words it was asked to show.
class ShownWords : public WordInText {
 public:
  bool ShowWordInText(const WordEntry& entry) override {
    words << Q(entry.word);
    return true;
  }
  QStringList words;
};

}  // namespace

// 単語帳 over the word list of a temporary base folder, the words added through the store
// as the main window adds them; the test answers the message dialog.
class WordListWindowTest : public QObject {
  Q_OBJECT

  testing::TempDir mDir;
  QStringList mMessages;  // the message dialog's and the store's
  MessageDialog::Answer mAnswer = MessageDialog::Answer::kOK;
  std::unique_ptr<MessageDialog> mDialog;
  std::unique_ptr<WordListStore> mStore;
  ShownWords mShown;
  std::unique_ptr<WordListWindow> mWindow;
  int mSecond = 0;  // the captures' times, a second apart

  WordListWindow& Start() {
    mWindow.reset();
    mWindow = std::make_unique<WordListWindow>(
        *mStore, mShown, *mDialog, mDir / "bin/Kelmoa.ini", [](const Status&) {}, nullptr);
    return *mWindow;
  }
  void Add(const std::string& word, const std::string& meaning, int line = 1) {
    WordCapture c{U16(word), {U16(word)}, {U16(meaning)}, {}};
    c.context.line = U16("a " + word + " here");
    c.context.column = 3;
    c.context.length = static_cast<int>(word.size());
    c.context.file = mDir / "txt_shift_jis/t.txt";
    c.context.lineNumber = line;
    c.context.added = IsoUtc(1800000000 + mSecond++);
    int count = 0;
    QVERIFY(mStore->Add(c, count).ok());
  }
  std::vector<WordEntry> Stored() {
    std::vector<WordEntry> entries;
    (void)mStore->Entries(entries, ContextsRead::kAll);
    return entries;
  }
  QTableView& Table() { return *mWindow->findChild<QTableView*>(); }
  QLineEdit& FilterBox() { return *mWindow->findChild<QLineEdit*>(); }
  QString Cell(int row, int column, int role = Qt::DisplayRole) {
    return Table().model()->index(row, column).data(role).toString();
  }
  // The words of the table's rows, top to bottom.
  QStringList Rows() {
    QStringList rows;
    for (int r = 0; r < Table().model()->rowCount(); ++r)
      rows << Cell(r, WordListModel::kWordColumn);
    return rows;
  }
  // Every cell and tooltip of the table, and every row's sentences.
  QStringList Shown() {
    QStringList shown;
    for (int r = 0; r < Table().model()->rowCount(); ++r) {
      for (int c = 0; c < Table().model()->columnCount(); ++c)
        shown << Cell(r, c) << Cell(r, c, Qt::ToolTipRole);
      Table().selectRow(r);
      shown << mWindow->findChild<QTextBrowser*>()->toPlainText();
    }
    return shown;
  }

 private slots:
  void initTestCase() { RegisterFontSubstitutions(); }
  void init() {
    testing::MakeDataFolders(mDir.path());
    mMessages.clear();
    mAnswer = MessageDialog::Answer::kOK;
    mDialog = std::make_unique<MessageDialog>(QString(), QStringLiteral("Kelmoa"), nullptr);
    mDialog->SetResponder([this](const QString& msg, MessageDialog::Buttons) {
      mMessages << msg;
      return mAnswer;
    });
    mStore = std::make_unique<WordListStore>(
        mDir.path(), [this](const std::u16string& msg) { mMessages << Q(msg); });
  }
  void cleanup() {
    mWindow.reset();
    mStore.reset();
    for (const auto& entry : fs::directory_iterator(mDir.path()))
      fs::remove_all(entry.path());
  }

  // The list shows the newest word first; a count sorts as a number, a time as a time (two
  // words added in one minute); the filter keeps what kelmoa-tool's filter keeps; "削除"
  // deletes the chosen word at once, "全削除" every word after a yes.
  void theWindowListsSortsFiltersAndDeletes() {
    Add("cat", "猫");
    for (int i = 0; i < 10; ++i)
      Add("dog", "犬");
    Add("tea", "茶");
    Add("tea", "茶");
    Start().show();
    QCOMPARE(Rows(), (QStringList{"tea", "dog", "cat"}));
    Table().sortByColumn(WordListModel::kCountColumn, Qt::DescendingOrder);
    QCOMPARE(Rows(), (QStringList{"dog", "tea", "cat"}));  // 10 above 2
    Table().sortByColumn(WordListModel::kLastColumn, Qt::AscendingOrder);
    QCOMPARE(Rows(), (QStringList{"cat", "dog", "tea"}));

    for (const char* filter : {"猫", "T", "", "zz", "a"}) {
      FilterBox().setText(QString::fromUtf8(filter));
      QStringList kept;
      for (const WordEntry& e : FilterWordEntries(Stored(), U16(filter)))
        kept << Q(e.word);
      QCOMPARE(Rows(), kept);
    }
    Table().selectRow(Rows().indexOf(QStringLiteral("tea")));
    testing::Button(*mWindow, QStringLiteral("削除(&D)"))->click();
    QCOMPARE(Rows(), QStringList{"cat"});
    QCOMPARE(Stored().size(), 2u);
    mAnswer = MessageDialog::Answer::kCancel;
    testing::Button(*mWindow, QStringLiteral("全削除(&A)"))->click();
    QCOMPARE(Stored().size(), 2u);
    mAnswer = MessageDialog::Answer::kOK;
    testing::Button(*mWindow, QStringLiteral("全削除(&A)"))->click();
    QVERIFY(Stored().empty());
    QVERIFY(Rows().isEmpty());
  }

  // A word added while the window shows joins it as the list then holds it: its count, its
  // newest form, meanings and source, and the contexts kept (the earliest and the newest);
  // as a fresh reading of the list shows it. A meaning that holds HTML shows as text.
  void aWordAddedWhileItShowsLooksAsTheListHasIt() {
    Add("cat", "猫");
    Add("run", "<i>走る</i>");
    Start().show();
    for (int i = 1; i <= 6; ++i)
      Add(i % 2 != 0 ? "dog" : "Dog", "犬", i);
    Add("tea", "茶");
    const QStringList added = Shown();
    QCOMPARE(Rows().size(), 4);
    mWindow->close();
    mWindow->show();
    QCOMPARE(Shown(), added);
    QTextDocument tip;
    tip.setHtml(Cell(Rows().indexOf(QStringLiteral("run")), WordListModel::kMeaningsColumn,
                     Qt::ToolTipRole));
    QCOMPARE(tip.toPlainText(), QStringLiteral("<i>走る</i>"));
  }

  // The database moved away under the open window: the next word goes to a new list, which
  // is said once with where the old one went, and the window shows the new list.
  void aMovedDatabaseStartsANewListThatTheWindowShows() {
    Add("dog", "犬");
    Start().show();
    fs::rename(WordListPath(mDir.path()), mDir / "old.sqlite");
    Add("cat", "猫");
    QCOMPARE(mMessages.size(), 1);
    QVERIFY(mMessages[0].contains(QStringLiteral("新しい単語帳を始めました")));
    QVERIFY(mMessages[0].contains(QString::fromStdString(fs::canonical(mDir / "old.sqlite"))));
    QCOMPARE(Rows(), QStringList{"cat"});
  }

  // The export holds the filtered rows when asked, else the whole list; it replaces the file
  // the user chose. Its file dialog speaks Japanese and starts in the home folder, then where
  // the last export went.
  void anExportHoldsTheFilteredRowsOrTheWholeList() {
    QVERIFY(LoadQtJapanese(*qApp));
    for (const char* word : {"dog", "cat", "tea"})
      Add(word, word == std::string("tea") ? "茶" : "x");
    Start().show();
    FilterBox().setText(QStringLiteral("茶"));
    const std::string out = mDir / "out.csv";
    WriteBytes(out, "old");
    QVERIFY(mWindow->ExportTo(out, WordListFormat::kCsv, true).ok());
    QCOMPARE(ReadBytes(out), WordListToCsv(FilterWordEntries(Stored(), u"茶")));
    // The whole list, with every word's sentence though the table reads only its place.
    QVERIFY(mWindow->ExportTo(out, WordListFormat::kAnkiTsv, false).ok());
    QCOMPARE(ReadBytes(out), WordListToAnkiTsv(Stored()));
    fs::create_directories(mDir / "taken");  // a folder in the way is reported
    QVERIFY(!mWindow->ExportTo(mDir / "taken", WordListFormat::kCsv, false).ok());

    fs::create_directories(mDir / "exports");
    QStringList folders, texts;
    for (int round = 0; round < 2; ++round) {
      QTimer::singleShot(0, mWindow.get(), [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        folders << dialog->directory().absolutePath();
        texts << dialog->findChild<QLabel*>(QStringLiteral("fileNameLabel"))->text()
              << dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->text();
        dialog->selectFile(QString::fromStdString(mDir / "exports/words.txt"));
        QMetaObject::invokeMethod(dialog, "accept");
      });
      testing::Button(*mWindow, QStringLiteral("書き出し(&E)"))->click();
      QVERIFY(fs::exists(mDir / "exports/words.txt"));
      fs::remove(mDir / "exports/words.txt");
    }
    QCOMPARE(folders, (QStringList{QDir::homePath(), QString::fromStdString(mDir / "exports")}));
    QCOMPARE(texts.mid(0, 2),
             (QStringList{QStringLiteral("ファイル名(&N):"), QStringLiteral("キャンセル")}));
  }

  // A double click asks the main window to show the word in its text; the window comes back
  // where it was left, in the next run too, with the word chosen before.
  void aDoubleClickShowsTheWordAndTheWindowKeepsItsPlace() {
    Add("cat", "猫");
    Add("dog", "犬");
    Start().show();
    const QPoint cell = Table().visualRect(Table().model()->index(1, 0)).center();
    QTest::mouseClick(Table().viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(Table().viewport(), Qt::LeftButton, {}, cell);
    QCOMPARE(mShown.words, QStringList{"cat"});

    mWindow->resize(600, 300);
    mWindow->move(40, 60);
    mWindow->close();
    const QPoint place = mWindow->pos();
    mWindow->show();
    QCOMPARE(Table().selectionModel()->selectedRows().value(0).row(), 1);
    Start().show();
    QCOMPARE(mWindow->size(), QSize(600, 300));
    QCOMPARE(mWindow->pos(), place);
  }
};

}  // namespace kelmoa

QTEST_MAIN(kelmoa::WordListWindowTest)
#include "word_list_window_test.moc"
