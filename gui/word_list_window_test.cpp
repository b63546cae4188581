#include "gui/word_list_window.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <filesystem>

#include "core/base/codepage.h"
#include "core/base/fixtures_test.h"
#include "core/wordlist/word_list.h"
#include "gui/main_window.h"
#include "gui/message_dialog.h"
#include "gui/picture_box.h"
#include "gui/window_fixtures_test.h"
#include "gui/window_helpers.h"

namespace kelmoa {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::SjisLines;
using testing::WriteBytes;

const std::vector<std::string> kDic = {"dog\t犬", "cat\t猫", "run\t<i>走る</i>", "tea\t茶"};

}  // namespace

// The word list as a reader meets it: clicks on a text in a main window over a temporary base
// folder, the 単語帳 window, and its way back into the text.
class WordListWindowTest : public QObject {
  Q_OBJECT

  testing::TempDir mDir;
  std::unique_ptr<MainWindow> mW;
  QStringList mMessages;
  int mAnswer = MessageDialog::kOK;

  std::string Text(const std::string& name, const std::vector<std::string>& lines) {
    return testing::WriteSampleText(mDir, name, lines);
  }
  void Ready(const std::vector<std::string>& text) {
    testing::MakeDataFolders(mDir.path());
    WriteBytes(mDir / "dic/Dic_EJ.txt", SjisLines(kDic));
    mW = testing::StartMainWindow(mDir, {}, mMessages, mMessages, mAnswer);
    mW->ActivateFirstTime();
    Open(Text("t.txt", text));
  }
  void Open(const std::string& path) {
    mW->mTextFilePath = path;
    QVERIFY2(mW->OpenTextFile(), qPrintable(mMessages.join(u'\n')));
  }
  // The middle of the n-th occurrence (from 1) of word in the text, in pane coordinates.
  QPointF At(const std::string& word, int n = 1) const {
    return testing::WordMiddle(*mW, mW->mScrollBar->value(), word, n);
  }
  void Click(QPointF p, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = {}) {
    QMouseEvent press(QEvent::MouseButtonPress, p, mW->mTextPane->mapToGlobal(p), button, button,
                      modifiers);
    QApplication::sendEvent(mW->mTextPane, &press);
  }
  std::vector<WordEntry> Stored() {
    std::unique_ptr<WordList> list;
    std::vector<WordEntry> entries;
    if (WordList::Open(mDir.path(), list).ok())
      (void)list->Entries(entries);
    return entries;
  }
  WordListWindow& L() { return mW->WordListWindowRef(); }
  QTableWidget& Table() { return *L().findChild<QTableWidget*>(); }
  // The words of the table's rows, top to bottom.
  QStringList Rows() {
    QStringList rows;
    for (int r = 0; r < Table().rowCount(); ++r)
      rows << Table().item(r, WordListWindow::kWordColumn)->text();
    return rows;
  }

 private slots:
  void initTestCase() { RegisterFontSubstitutions(); }
  void init() {
    mMessages.clear();
    mAnswer = MessageDialog::kOK;
  }
  void cleanup() {
    mW.reset();
    fs::remove_all(mDir / "wordlist");
  }

  // A middle click or Ctrl + left click adds; a plain left click and a word without meanings
  // add nothing; the status line says which, and a repeat counts.
  void middleClickAndCtrlClickAddTheWordAndSayHowOften() {
    Ready({"The dog and the cat.", "A dog runs."});
    Click(At("dog"), Qt::MiddleButton);
    QVERIFY(!mW->mStatusLine->isHidden());
    QCOMPARE(mW->mStatusLine->text(), QStringLiteral("単語帳に加えました：dog（1回目）"));
    Click(At("cat"), Qt::LeftButton);
    Click(At("The"), Qt::MiddleButton);
    QCOMPARE(mW->mStatusLine->text(),
             QStringLiteral("「The」は辞書にないため，単語帳に加えませんでした。"));
    Click(At("cat"), Qt::LeftButton, Qt::ControlModifier);
    Click(At("dog", 2), Qt::MiddleButton);
    QCOMPARE(mW->mStatusLine->text(), QStringLiteral("単語帳に加えました：dog（2回目）"));
    const std::vector<WordEntry> stored = Stored();
    QCOMPARE(stored.size(), 2u);
    QCOMPARE(stored[1].word, u"dog");
    QCOMPARE(stored[1].count, 2);
    QCOMPARE(stored[1].contexts.front().lineNumber, 2);  // the newest context first
    QCOMPARE(stored[1].contexts.front().file, mDir / "txt_shift_jis/t.txt");
    QVERIFY(mMessages.isEmpty());
  }

  // 単語帳 lists what was added while it shows, filters on word and meaning, sorts the count
  // as a number, deletes one at once and all only after a yes.
  void theWindowListsFiltersSortsAndDeletes() {
    Ready({"dog cat tea run", "dog dog dog dog dog dog dog dog dog dog dog"});
    Click(At("cat"), Qt::MiddleButton);
    mW->HandleKey(Qt::Key_F2);
    QVERIFY(L().isVisible());
    QCOMPARE(Rows(), QStringList{"cat"});
    QVERIFY(L().findChild<QTextBrowser*>()->toPlainText().startsWith(
        QStringLiteral("dog cat tea run dog")));
    for (int i = 1; i <= 10; ++i)
      Click(At("dog", i), Qt::MiddleButton);
    Click(At("tea"), Qt::MiddleButton);
    Click(At("tea"), Qt::MiddleButton);
    Table().sortByColumn(WordListWindow::kCountColumn, Qt::DescendingOrder);
    QCOMPARE(Rows(), (QStringList{"dog", "tea", "cat"}));  // 10 above 2: numbers, not texts

    L().findChild<QLineEdit*>()->setText(QStringLiteral("猫"));
    QCOMPARE(Rows(), QStringList{"cat"});
    L().findChild<QLineEdit*>()->setText(QStringLiteral("T"));  // cat and tea, any case
    QCOMPARE(Rows().size(), 2);

    Table().selectRow(Rows().indexOf(QStringLiteral("tea")));
    L().DeleteChosen();
    QCOMPARE(Rows(), QStringList{"cat"});
    mAnswer = MessageDialog::kCancel;
    L().DeleteAll();
    QCOMPARE(mMessages.size(), 1);
    QCOMPARE(Stored().size(), 2u);
    mAnswer = MessageDialog::kOK;
    L().DeleteAll();
    QVERIFY(Stored().empty());
    QVERIFY(Rows().isEmpty());
  }

  // The export holds the filtered rows when asked, else the whole list; it replaces the file
  // the user chose.
  void anExportHoldsTheFilteredRowsOrTheWholeList() {
    Ready({"dog cat tea"});
    for (const char* word : {"dog", "cat", "tea"})
      Click(At(word), Qt::MiddleButton);
    mW->ShowWordList();
    L().findChild<QLineEdit*>()->setText(QStringLiteral("茶"));
    const std::string out = mDir / "out.csv";
    WriteBytes(out, "old");
    QVERIFY(L().ExportTo(out, WordListFormat::kCsv, true).ok());
    const std::string filtered = ReadBytes(out);
    QCOMPARE(std::count(filtered.begin(), filtered.end(), '\n'), 2);  // the header and tea
    QVERIFY(filtered.find("\r\ntea,tea,茶,dog cat tea," + mDir / "txt_shift_jis/t.txt" + ",1,1,") !=
            std::string::npos);
    QVERIFY(L().ExportTo(out, WordListFormat::kAnkiTsv, false).ok());
    const std::string all = ReadBytes(out);
    QCOMPARE(std::count(all.begin(), all.end(), '\n'), 6);  // three header lines, three words
    QVERIFY(all.find("\ncat\t猫\tdog <b>cat</b> tea\tt.txt:1\n") != std::string::npos);
    // A folder in the way is reported, not written over.
    fs::create_directories(mDir / "taken");
    QVERIFY(!L().ExportTo(mDir / "taken", WordListFormat::kCsv, false).ok());
  }

  // Qt's own texts are Japanese: the export's file dialog names its fields and buttons in
  // Japanese. It starts in the home folder, and then where the last export went.
  void theExportDialogSpeaksJapaneseAndStartsWhereTheLastExportWent() {
    QVERIFY(LoadQtJapanese(*qApp));
    Ready({"dog cat tea"});
    Click(At("dog"), Qt::MiddleButton);
    mW->ShowWordList();
    fs::create_directories(mDir / "exports");
    QStringList folders, texts;
    for (int round = 0; round < 2; ++round) {
      QTimer::singleShot(0, &L(), [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        folders << dialog->directory().absolutePath();
        texts << dialog->findChild<QLabel*>(QStringLiteral("fileNameLabel"))->text()
              << dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->text();
        dialog->selectFile(QString::fromStdString(mDir / "exports/words.txt"));
        QMetaObject::invokeMethod(dialog, "accept");
      });
      L().ChooseAndExport();
      QVERIFY(fs::exists(mDir / "exports/words.txt"));
      fs::remove(mDir / "exports/words.txt");
    }
    QCOMPARE(folders, (QStringList{QDir::homePath(), QString::fromStdString(mDir / "exports")}));
    QCOMPARE(texts.mid(0, 2),
             (QStringList{QStringLiteral("ファイル名(&N):"), QStringLiteral("キャンセル")}));
  }

  // A double click shows the word where it was met: the line comes onto the page with the
  // word's popup, after opening its file when another text is shown; a file gone is reported.
  void aDoubleClickShowsTheWordInItsText() {
    std::vector<std::string> lines(300, "nothing here");
    lines[249] = "a cat sat";
    Ready(lines);
    const std::string first = mW->mLastTextFilePath;
    mW->mScrollBar->setValue(240);
    Click(At("cat"), Qt::MiddleButton);
    Open(Text("other.txt", {"dog"}));
    mW->ShowWordList();
    Table().selectRow(0);
    const QPoint cell = Table().visualItemRect(Table().item(0, 0)).center();
    QTest::mouseClick(Table().viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(Table().viewport(), Qt::LeftButton, {}, cell);
    QCOMPARE(mW->mLastTextFilePath, first);
    const int top = mW->mScrollBar->value();
    QVERIFY(top <= 250 && 250 < top + mW->mSetting.LinesPerPage);
    QVERIFY(!mW->mPopupBox->isHidden());
    QCOMPARE(mW->mPrevHoverWord, u"cat");

    fs::remove(first);
    Open(Text("other.txt", {"dog"}));
    mMessages.clear();
    L().ShowChosenInText();
    QCOMPARE(mMessages.size(), 1);
    QCOMPARE(mW->mLastTextFilePath, mDir / "txt_shift_jis/other.txt");
  }

  // With the check box on, a popup that stays under a still pointer adds its word once; a
  // moving pointer waits anew; with the box off nothing is added.
  void aPopupThatStaysAddsItsWordOnlyWhenChosen() {
    Ready({"dog cat"});
    mW->mHoverAddTimer->setInterval(50);
    mW->HoverAt(At("dog").x(), At("dog").y());
    QTest::qWait(150);
    QVERIFY(Stored().empty());

    mW->mSetting.HoverAddsWord = true;
    mW->HoverAt(At("cat").x(), At("cat").y());
    QTRY_COMPARE(Stored().size(), 1u);
    QTest::qWait(150);
    QCOMPARE(Stored().front().count, 1);  // once per popup
    QCOMPARE(mW->mStatusLine->text(), QStringLiteral("単語帳に加えました：cat（1回目）"));
  }

  // A damaged database is reported when a click wants it and left byte for byte as it was.
  void aDamagedDatabaseIsReportedAndLeftAlone() {
    Ready({"dog"});
    const std::string db = WordList::PathIn(mDir.path());
    fs::create_directories(fs::path(db).parent_path());
    const std::string junk(4096, '\x5a');
    WriteBytes(db, junk);
    Click(At("dog"), Qt::MiddleButton);
    QCOMPARE(mMessages.size(), 1);
    QVERIFY(mMessages[0].contains(QStringLiteral("壊れている")));
    QCOMPARE(ReadBytes(db), junk);
  }

  // The database moved away under the open window: the next click goes to a new list, which
  // the dialog says once with where the old one went, before the confirmation. A meaning that
  // holds HTML shows in its tooltip as the text it is.
  void aMovedDatabaseStartsANewListAndMeaningsAreText() {
    Ready({"dog cat run"});
    Click(At("dog"), Qt::MiddleButton);
    fs::rename(WordList::PathIn(mDir.path()), mDir / "old.sqlite");
    Click(At("cat"), Qt::MiddleButton);
    QCOMPARE(mMessages.size(), 1);
    QVERIFY(mMessages[0].contains(QStringLiteral("新しい単語帳を始めました")));
    QVERIFY(mMessages[0].contains(QString::fromStdString(fs::canonical(mDir / "old.sqlite"))));
    QCOMPARE(mW->mStatusLine->text(), QStringLiteral("単語帳に加えました：cat（1回目）"));
    Click(At("run"), Qt::MiddleButton);
    QCOMPARE(mMessages.size(), 1);
    QCOMPARE(Stored().size(), 2u);

    mW->ShowWordList();
    QTextDocument tip;
    tip.setHtml(Table()
                    .item(Rows().indexOf(QStringLiteral("run")), WordListWindow::kMeaningsColumn)
                    ->toolTip());
    QCOMPARE(tip.toPlainText(), QStringLiteral("<i>走る</i>"));
  }

  // The button stands in the free space between ﾍﾙﾌﾟ and 終了; the window comes back where it
  // was left, in the next run too.
  void theButtonFitsTheRowAndTheWindowKeepsItsPlace() {
    Ready({"dog"});
    QPushButton* help = nullptr;
    for (QPushButton* b : mW->findChildren<QPushButton*>()) {
      if (b->text() == QStringLiteral("ﾍﾙﾌﾟ"))
        help = b;
    }
    QVERIFY(help != nullptr);
    QVERIFY(mW->mWordListButton->geometry().left() > help->geometry().right());
    QVERIFY(mW->mWordListButton->geometry().right() < 524);
    QVERIFY(!mW->mWordListButton->geometry().intersects(mW->mFocusSink->geometry()));

    mW->ShowWordList();
    L().resize(600, 300);
    L().move(40, 60);
    L().close();
    const QPoint place = L().pos();
    mW.reset();
    Ready({"dog"});
    mW->ShowWordList();
    QCOMPARE(L().size(), QSize(600, 300));
    QCOMPARE(L().pos(), place);
  }
};

}  // namespace kelmoa

QTEST_MAIN(kelmoa::WordListWindowTest)
#include "word_list_window_test.moc"
