#include "gui/dictionary_editor.h"

#include <sys/stat.h>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <set>

#include "core/base/codepage.h"
#include "core/base/file_ops.h"
#include "core/base/fixtures_test.h"
#include "core/base/helpers.h"
#include "core/dictionary/dictionary.h"
#include "core/text/editor_messages.h"
#include "gui/main_window.h"
#include "gui/message_dialog.h"
#include "gui/picture_box.h"
#include "gui/speech.h"
#include "gui/window_helpers.h"

namespace kelmoa {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::SjisLines;
using testing::WriteBytes;

bool IsBlue(QRgb c) {
  return qBlue(c) > 160 && qRed(c) < 120 && qGreen(c) < 120;
}

// A file system whose writes fail as on a full disk while `full` is set.
class FullDisk : public FileOps {
 public:
  bool full = false;
  Status WriteSynced(const std::string& path, std::string_view bytes,
                     const std::optional<KeptMode>& mode) override {
    if (full)
      return Status::FromErrno("write", path, ENOSPC);
    return FileOps::WriteSynced(path, bytes, mode);
  }
};

// The dictionary the tests start from; loaded, dog's meanings come back in
// code-unit order: いぬ, 犬.
const std::vector<std::string> kDic = {"dog\t犬", "dog\tいぬ", "run\t走る", "run\t運営する",
                                       "the\tその"};

}  // namespace

// The dictionary editor beside a main window that runs on a temporary base folder; the test
// answers the dialogs and message boxes.
class DictionaryEditorTest : public QObject {
  Q_OBJECT

  testing::TempDir mDir;
  std::unique_ptr<MainWindow> mW;
  QStringList mMessages;       // the message dialog
  QStringList mPlainMessages;  // the plain message box
  QList<int> mButtons;         // the dialog's button set for each message
  int mAnswer = MessageDialog::kOK;

  std::string DicPath() const { return mDir / "dic/Dic_EJ.txt"; }
  std::string Text(const std::string& name, const std::vector<std::string>& lines) {
    const std::string path = mDir / ("txt_shift_jis/" + name);
    WriteBytes(path, SjisLines(lines));
    return path;
  }
  // A main window with the small dictionary, showing the text (when given), and the editor.
  DictionaryEditor& Ready(const std::vector<std::string>& text = {}) {
    WriteBytes(DicPath(), SjisLines(kDic));
    mW = std::make_unique<MainWindow>(ProgramPaths::FromProgramFile(mDir / "bin/Kelmoa"),
                                      std::string());
    mW->MsgDialog().SetResponder([this](const QString& msg, int btn) {
      mMessages << msg;
      mButtons << btn;
      return mAnswer;
    });
    mW->SetPlainMessageResponder([this](const QString& msg) { mPlainMessages << msg; });
    mW->ActivateFirstTime();
    if (!text.empty()) {
      mW->mTextFilePath = Text("t.txt", text);
      mW->OpenTextFile();
    }
    return mW->DictionaryEditorWindow();
  }
  DictionaryEditor& E() { return mW->DictionaryEditorWindow(); }
  // The editor's boxes and lists as a user finds them: the word and meaning boxes follow the
  // dictionary's name, the entry list comes before the tag list.
  QLineEdit* WordBox() { return LineEdits().value(1); }
  QLineEdit* MeaningBox() { return LineEdits().value(2); }
  QListWidget* EntryList() { return E().findChildren<QListWidget*>().value(0); }
  QListWidget* TagList() { return E().findChildren<QListWidget*>().value(1); }
  QList<QLineEdit*> LineEdits() {
    return E().findChildren<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly);
  }
  QPushButton* Button(const QString& caption) {
    for (QPushButton* button : E().findChildren<QPushButton*>()) {
      if (button->text() == caption)
        return button;
    }
    return nullptr;
  }

  QStringList List() {
    QStringList lines;
    for (int i = 0; i < EntryList()->count(); ++i)
      lines << EntryList()->item(i)->text();
    return lines;
  }
  QStringList Selected() {
    QStringList lines;
    for (const QListWidgetItem* item : EntryList()->selectedItems())
      lines << item->text();
    return lines;
  }
  std::u16string DicFile() const { return SjisToUtf16(ReadBytes(DicPath())); }
  std::vector<std::string> Backups() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(mDir / "dic_backup"))
      names.push_back(entry.path().filename().string());
    return names;
  }
  void Type(const QString& word, const QString& meaning) {
    WordBox()->setText(word);
    MeaningBox()->setText(meaning);
  }

  int Pitch() const { return mW->mSetting.CharHeight + mW->mSetting.LineSpace; }
  // The middle of the n-th occurrence of word in the text, in pane coordinates.
  QPointF At(const std::string& word, int occurrence = 1) const {
    const WordTable& t = mW->Document().words;
    for (int k = 1; k <= t.Count(); ++k) {
      if (t.Word(k) == U16(word) && --occurrence == 0) {
        const int top = (t.mWordLine[k] - mW->mScrollBar->value()) * Pitch() + 5;
        return QPointF((t.mWordX1[k] + t.mWordX2[k]) / 2.0, top + 7);
      }
    }
    return {-1, -1};
  }
  // Whether the drawn page shows the n-th occurrence of word in blue.
  bool DrawnBlue(const std::string& word, int occurrence = 1) const {
    const QPointF p = At(word, occurrence);
    const QRect cell(static_cast<int>(p.x()) - 6, static_cast<int>(p.y()) - 7, 12, 14);
    const QImage& page = mW->mTextPane->Image();
    int n = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
      for (int x = cell.left(); x <= cell.right(); ++x)
        n += IsBlue(page.pixel(x, y)) ? 1 : 0;
    }
    return n > 8;
  }
  void Hover(QPointF p) { mW->HoverAt(p.x(), p.y()); }
  void Press(Qt::MouseButton button, QPointF p) {
    QMouseEvent press(QEvent::MouseButtonPress, p, mW->mTextPane->mapToGlobal(p), button, button,
                      Qt::NoModifier);
    QApplication::sendEvent(mW->mTextPane, &press);
  }

  // A stand-in for the speech program on PATH: every run leaves a file holding its argument
  // count and then each argument on a line of its own.
  std::string FakeSpeechProgram() {
    const std::string bin = mDir / "fakebin";
    fs::create_directories(bin);
    fs::create_directories(mDir / "spoken");
    const std::string script = bin + "/espeak-ng";
    WriteBytes(script, "#!/bin/sh\nout=\"" + mDir / "spoken" +
                           "/$$\"\n{ echo \"$#\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; "
                           "done; } > \"$out.tmp\" && mv \"$out.tmp\" \"$out.txt\"\n");
    fs::permissions(script, fs::perms::owner_all);
    return bin;
  }
  // What the fake speech program was given, one entry per run, once `runs` runs have ended.
  std::multiset<std::string> Spoken(size_t runs) {
    std::multiset<std::string> got;
    const auto collect = [&] {
      got.clear();
      for (const auto& entry : fs::directory_iterator(mDir / "spoken")) {
        if (entry.path().extension() == ".txt")
          got.insert(ReadBytes(entry.path()));
      }
      return got.size() >= runs;
    };
    (void)QTest::qWaitFor(collect, 10000);  // too few runs show in the caller's comparison
    QTest::qWait(200);                      // a run too many would show up now
    collect();
    return got;
  }

 private slots:
  void initTestCase() {
    RegisterFontSubstitutions();
    QApplication::clipboard()->clear();
  }

  void init() {
    testing::MakeDataFolders(mDir.path());
    mMessages.clear();
    mPlainMessages.clear();
    mButtons.clear();
    mAnswer = MessageDialog::kOK;
  }

  void cleanup() {
    mW.reset();
    for (const auto& entry : fs::directory_iterator(mDir.path()))
      fs::remove_all(entry.path());
  }

  // ---- the list follows the word -----------------------------------------------------------

  void theListFollowsEveryKeystroke() {
    DictionaryEditor& e = Ready();
    QVERIFY(List().isEmpty());
    const std::vector<std::pair<char, QStringList>> steps = {
        {'r', {}},
        {'u', {}},
        {'n', {"run 走る", "run 運営する"}},
        {'s', {"run 走る", "run 運営する"}},  // runs: found through its base form
    };
    for (const auto& [key, expected] : steps) {
      QTest::keyClick(WordBox(), key);
      QCOMPARE(List(), expected);
      QCOMPARE(e.CurDicIdx() > 0, !expected.isEmpty());
      QVERIFY(Selected().isEmpty());
    }
    e.SetWord(QStringLiteral("DOGS"));  // looked up lowered
    QCOMPARE(List(), (QStringList{"dog いぬ", "dog 犬"}));
    e.LowerWord();
    QCOMPARE(e.Word(), QStringLiteral("dogs"));
  }

  // ---- validation --------------------------------------------------------------------------

  void invalidInputIsRejectedWithItsMessageAndNothingChanges() {
    DictionaryEditor& e = Ready();
    mW->ShowDictionaryEditor();
    const std::u16string before = DicFile();
    const QString length = "単語は2～30文字で入力してください。";
    const QString letters = "単語には英字と単一引用符だけを入力してください。";
    const QString bytes = "意味は1～50バイトで入力してください。";
    const QString unstorable = Q(kMsgMeaningUnstorable);
    const QString kanji25(25, QChar(u'漢'));
    const struct {
      QString word, meaning, msg;
      QWidget* focus;
    } rejected[] = {
        {"a", "あ", length, WordBox()},
        {QString(31, u'a'), "あ", length, WordBox()},
        {"ice cream", "あ", letters, WordBox()},
        {"ｄｏｇ", "あ", letters, WordBox()},
        {"'tis", "あ", letters, WordBox()},
        {"zebra", "", bytes, MeaningBox()},
        {"zebra", kanji25 + u'漢', bytes, MeaningBox()},  // 52 bytes
        {"zebra", "   ", unstorable, MeaningBox()},       // would not load back
        {"zebra", "縞\t馬", unstorable, MeaningBox()},    // would load back as two
    };
    for (const auto& r : rejected) {
      Type(r.word, r.meaning);
      Button("閉じる")->setFocus();
      e.AddEntry();
      QCOMPARE(mPlainMessages, QStringList{r.msg});
      QVERIFY2(e.focusWidget() == r.focus, qPrintable(r.word));
      mPlainMessages.clear();
    }
    QCOMPARE(DicFile(), before);
    QVERIFY(Backups().empty());
    QCOMPARE(mW->Session().Dic().Count(), 3);

    // The limits themselves pass.
    for (const auto& [word, meaning] : std::vector<std::pair<QString, QString>>{
             {"ox", kanji25}, {QString(30, u'z'), QString(50, u'x')}, {"don't", "x"}}) {
      Type(word, meaning);
      QCOMPARE(e.CheckInput(), QString());
    }
  }

  // ---- tags --------------------------------------------------------------------------------

  void aTagClickPutsTheTagAtTheHeadOfTheMeaning() {
    Ready();
    mW->ShowDictionaryEditor();
    // A meaning typed before the click (none: keep the box as it is), the tag, the result.
    const struct {
      const char* typed;
      int row;
      QString expected;
    } steps[] = {
        {"", 0, "【名】"},
        {nullptr, 1, "【形】"},  // replaces the tag at the head
        {"見る", 3, "【他】見る"},
        {"【名詞】犬", 0, "【名】【名詞】犬"},  // not a one-character tag
    };
    QListWidget& list = *TagList();
    for (const auto& step : steps) {
      if (step.typed != nullptr)
        MeaningBox()->setText(QString::fromUtf8(step.typed));
      const QRect r = list.visualItemRect(list.item(step.row));
      QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, r.center());
      QVERIFY2(MeaningBox()->text() == step.expected, qPrintable(step.expected));
    }
  }

  // ---- adding ------------------------------------------------------------------------------

  void aNewWordIsWrittenThroughListedAndTurnsBlue() {
    DictionaryEditor& e = Ready({"the zebra runs"});
    const std::u16string before = DicFile();
    QVERIFY(DrawnBlue("the") && !DrawnBlue("zebra"));
    Type("zebra", "シマウマ");
    e.AddEntry();
    QVERIFY(mPlainMessages.isEmpty() && mMessages.isEmpty());
    QCOMPARE(Selected(), QStringList{"zebra シマウマ"});
    QCOMPARE(MeaningBox()->text(), QString());
    // The file holds the change; the backup holds the file as it was.
    QCOMPARE(DicFile(), U16("dog\tいぬ\r\ndog\t犬\r\nrun\t走る\r\nrun\t運営する\r\nthe\tその\r\n"
                            "zebra\tシマウマ\r\n"));
    QCOMPARE(Backups().size(), 1u);
    QCOMPARE(SjisToUtf16(ReadBytes(mDir / ("dic_backup/" + Backups()[0]))), before);
    // The text follows at once: blue, and a popup with the new meaning.
    QVERIFY(DrawnBlue("zebra"));
    Hover(At("zebra"));
    QVERIFY(!mW->mPopupBox->isHidden());
    QCOMPARE(mW->mPopupBox->height(), Pitch() + 5);
  }

  void aMeaningForAKnownWordGoesLastAndTheOpenPopupIsRebuilt() {
    DictionaryEditor& e = Ready({"the dog"});
    Hover(At("dog"));
    QCOMPARE(mW->mPopupBox->height(), 2 * Pitch() + 5);
    Type("dog", "ワンちゃん");
    e.AddEntry();
    QCOMPARE(List(), (QStringList{"dog いぬ", "dog 犬", "dog ワンちゃん"}));
    QCOMPARE(Selected(), QStringList{"dog いぬ"});  // the first line
    QVERIFY(DicFile().find(u"dog\t犬\r\ndog\tワンちゃん\r\nrun") != std::u16string::npos);
    // The popup shown before the change does not stay with the old meanings.
    QVERIFY(mW->mPopupBox->isHidden());
    Hover(At("dog"));
    QCOMPARE(mW->mPopupBox->height(), 3 * Pitch() + 5);
  }

  // ---- deleting ----------------------------------------------------------------------------

  void deletingOneOfTwoMeaningsKeepsTheOtherAndTheOnlyOneRemovesTheWord() {
    DictionaryEditor& e = Ready({"the dog"});
    e.SetWord(QStringLiteral("dog"));
    e.DeleteSelectedEntry();  // nothing selected
    QCOMPARE(mMessages.takeFirst(), "辞書から削除する単語・意味を1項目選択してください。");
    EntryList()->setCurrentRow(1);  // dog 犬
    mAnswer = MessageDialog::kCancel;
    e.DeleteSelectedEntry();
    QCOMPARE(mMessages, QStringList{"この単語・意味を削除してよろしいですか？\n    dog 犬"});
    QCOMPARE(mButtons, (QList<int>{0, 1}));
    QCOMPARE(List().size(), 2);
    QVERIFY(Backups().empty());

    mAnswer = MessageDialog::kOK;
    e.DeleteSelectedEntry();
    QCOMPARE(List(), QStringList{"dog いぬ"});
    QVERIFY(DicFile().starts_with(u"dog\tいぬ\r\nrun"));
    QCOMPARE(Backups().size(), 1u);
    QCOMPARE(e.focusWidget(), Button("使い方"));
    QVERIFY(DrawnBlue("dog"));

    EntryList()->setCurrentRow(0);
    e.DeleteSelectedEntry();
    QVERIFY(List().isEmpty());
    QCOMPARE(e.CurDicIdx(), 0);
    QCOMPARE(DicFile(), U16("run\t走る\r\nrun\t運営する\r\nthe\tその\r\n"));
    QCOMPARE(Backups().size(), 2u);
    QVERIFY(!DrawnBlue("dog"));
    // Later entries moved down by one; the text's index lists follow.
    QVERIFY(DrawnBlue("the"));
    Hover(At("the"));
    QCOMPARE(mW->mPopupBox->height(), Pitch() + 5);
  }

  // ---- failed writes -----------------------------------------------------------------------

  void aBackupThatCannotBeMadeChangesNothing() {
    DictionaryEditor& e = Ready({"the zebra dog"});
    const std::u16string before = DicFile();
    const StrList words = mW->Session().Dic().Words(), meanings = mW->Session().Dic().Meanings();
    const auto unchanged = [&] {
      return DicFile() == before && mW->Session().Dic().Words() == words &&
             mW->Session().Dic().Meanings() == meanings;
    };
    // A plain file where the backup folder should be: no backup can go there.
    fs::remove(mDir / "dic_backup");
    WriteBytes(mDir / "dic_backup", "not a folder");

    Type("zebra", "シマウマ");
    e.AddEntry();
    QCOMPARE(mMessages.size(), 1);
    QVERIFY(mMessages[0].startsWith(
        "単語・意味を辞書に登録できませんでした。\n"
        "辞書ファイルまたはバックアップを書き込めなかったため，辞書は変更前のままです。\n"
        "    理由＝"));
    QVERIFY2(mMessages[0].endsWith("Not a directory"), qPrintable(mMessages[0]));
    QVERIFY(unchanged());
    QVERIFY(List().isEmpty());
    QCOMPARE(MeaningBox()->text(), QStringLiteral("シマウマ"));  // kept for another try
    QVERIFY(!DrawnBlue("zebra"));

    e.SetWord(QStringLiteral("dog"));
    EntryList()->setCurrentRow(1);
    e.DeleteSelectedEntry();  // confirmed, then fails
    QCOMPARE(mMessages.size(), 3);
    QVERIFY(mMessages[2].startsWith("単語・意味を辞書から削除できませんでした。\n"));
    QCOMPARE(List(), (QStringList{"dog いぬ", "dog 犬"}));
    QCOMPARE(Selected(), QStringList{"dog 犬"});
    QVERIFY(unchanged());
    QVERIFY(DrawnBlue("dog"));

    // With the folder back, the same click goes through.
    fs::remove(mDir / "dic_backup");
    fs::create_directory(mDir / "dic_backup");
    e.DeleteSelectedEntry();
    QCOMPARE(List(), QStringList{"dog いぬ"});
    QCOMPARE(Backups().size(), 1u);
  }

  void aFullDiskChangesNothingAndLeavesNoBackup() {
    FullDisk disk;
    DictionaryEditor& e = Ready({"the zebra"});
    mW->Session().SetFileOps(disk);
    const std::u16string before = DicFile();
    disk.full = true;
    Type("zebra", "シマウマ");
    e.AddEntry();
    QCOMPARE(mMessages.size(), 1);
    QVERIFY2(mMessages[0].endsWith("No space left on device"), qPrintable(mMessages[0]));
    QCOMPARE(DicFile(), before);
    QCOMPARE(mW->Session().Dic().Count(), 3);
    QVERIFY(Backups().empty());  // the backup made for the change went with it
    QVERIFY(List().isEmpty());
    QVERIFY(!DrawnBlue("zebra"));

    disk.full = false;
    e.AddEntry();
    QCOMPARE(List(), QStringList{"zebra シマウマ"});
    QVERIFY(DrawnBlue("zebra"));
  }

  // ---- another program, foreign files -------------------------------------------------------

  // Another program adds a word while Kelmoa runs; Kelmoa's next change keeps it, says so in
  // one line, and the main window marks the other program's word too.
  void aChangeMadeElsewhereIsKeptAndMarked() {
    DictionaryEditor& e = Ready({"the zebra and the cat"});
    QVERIFY(!DrawnBlue("cat"));
    Dictionary other;
    QVERIFY(other.LoadDicFile(DicPath()).ok());
    QVERIFY(DictionaryFiles(mDir.path()).AddEntry(other, u"cat", u"猫", LocalNow()).ok());

    Type("zebra", "シマウマ");
    e.AddEntry();
    QCOMPARE(mPlainMessages, QStringList{"辞書ファイルがほかのプログラムで変更されていたため，"
                                         "読み込み直してから変更しました。"});
    QVERIFY(mMessages.isEmpty());
    QVERIFY(DicFile().find(u"cat\t猫\r\n") != std::u16string::npos);
    QVERIFY(DicFile().find(u"zebra\tシマウマ\r\n") != std::u16string::npos);
    QCOMPARE(List(), QStringList{"zebra シマウマ"});
    QVERIFY(DrawnBlue("zebra"));
    QVERIFY(DrawnBlue("cat"));

    // The other program deletes a meaning that Kelmoa still lists; deleting it again drops
    // nothing else.
    QVERIFY(other.LoadDicFile(DicPath()).ok());
    e.SetWord(QStringLiteral("dog"));
    QCOMPARE(List(), (QStringList{"dog いぬ", "dog 犬"}));
    const int dog = static_cast<int>(std::find(other.Words().begin(), other.Words().end(), u"dog") -
                                     other.Words().begin());
    QVERIFY(DictionaryFiles(mDir.path()).DeleteEntry(other, dog, u"dog 犬", LocalNow()).ok());
    QVERIFY(DicFile().find(u"dog	犬") == std::u16string::npos);
    EntryList()->setCurrentRow(1);
    mPlainMessages.clear();
    e.DeleteSelectedEntry();
    QCOMPARE(mPlainMessages.size(), 1);
    QVERIFY(mPlainMessages[0].endsWith("削除する意味はすでにありません。"));
    QCOMPARE(List(), QStringList{"dog いぬ"});
    QVERIFY(DicFile().find(u"dog\tいぬ\r\n") != std::u16string::npos);
  }

  // The file another program left is one no change may touch: the refusal names its cause,
  // and the file keeps its bytes.
  void refusedChangesSayWhyAndChangeNothing() {
    DictionaryEditor& e = Ready({"the zebra"});
    // A meaning CP932 cannot hold is stopped at the input check.
    Type("zebra", "縞馬😀");
    e.AddEntry();
    QCOMPARE(mPlainMessages.size(), 1);
    QVERIFY2(mPlainMessages[0].contains("「😀」(U+1F600)"), qPrintable(mPlainMessages[0]));
    QVERIFY(MeaningBox()->hasFocus() || !e.isVisible());

    struct Case {
      const char* name;
      std::function<void()> spoil;
      const char* says;
    };
    const std::vector<Case> cases = {
        {"write-protected", [&] { ::chmod(DicPath().c_str(), 0444); }, "書き込みが禁止"},
        {"rewritten as UTF-8 by an editor", [&] { WriteBytes(DicPath(), "dog\t犬\nthe\tその\n"); },
         "iconv -f UTF-8 -t CP932"},
    };
    for (const Case& c : cases) {
      WriteBytes(DicPath(), SjisLines(kDic));
      ::chmod(DicPath().c_str(), 0644);
      QVERIFY(mW->Session().Dic().LoadDicFile(DicPath()).ok());
      c.spoil();
      const std::string before = ReadBytes(DicPath());
      mMessages.clear();
      mPlainMessages.clear();
      Type("zebra", "シマウマ");
      e.AddEntry();
      QVERIFY2(mMessages.size() == 1 && mMessages[0].contains(c.says), c.name);
      QCOMPARE(ReadBytes(DicPath()), before);
      QVERIFY(Backups().empty());
      QCOMPARE(MeaningBox()->text(), QStringLiteral("シマウマ"));  // kept for another try
      QVERIFY(!DrawnBlue("zebra"));
    }
    ::chmod(DicPath().c_str(), 0644);
  }

  // A dictionary over the size limit is refused at the start like an unreadable one, before
  // it is read: a message naming the size, not a window with nothing in it.
  void anOversizedDictionaryIsReportedAtTheStart() {
    std::string bytes = SjisLines(kDic);
    bytes.resize(kMaxDicFileBytes + 1, '\n');
    WriteBytes(DicPath(), bytes);
    mW = std::make_unique<MainWindow>(ProgramPaths::FromProgramFile(mDir / "bin/Kelmoa"),
                                      std::string());
    mW->MsgDialog().SetResponder([this](const QString& msg, int) {
      mMessages << msg;
      return MessageDialog::kOK;
    });
    QSignalSpy ended(mW.get(), &MainWindow::programEnded);
    mW->ActivateFirstTime();
    QCOMPARE(mMessages.size(), 1);
    QVERIFY2(mMessages[0].startsWith("辞書ファイルを読み込めませんでした。") &&
                 mMessages[0].contains("理由＝辞書ファイルが大きすぎます（65 MiB，上限は64 MiB）"),
             qPrintable(mMessages[0]));
    QCOMPARE(ended.count(), 1);
    QCOMPARE(mW->Session().Dic().Count(), 0);
  }

  // ---- showing, hiding, placing ------------------------------------------------------------

  void closingKeepsTheStateAndOpeningPlacesItBesideTheMainWindow() {
    DictionaryEditor& e = Ready();
    QVERIFY(!e.isVisible());
    mW->move(30, 40);
    mW->show();
    QVERIFY(QTest::qWaitForWindowExposed(mW.get()));
    mW->ShowDictionaryEditor();
    QVERIFY(e.isVisible());
    QCOMPARE(e.windowTitle(), QStringLiteral("辞書編集"));
    const QRect main = mW->frameGeometry();
    // An eighth of the height to the nearest pixel, halves to the even one.
    QCOMPARE(e.pos(), QPoint(main.x() + main.width(),
                             main.y() + static_cast<int>(RoundHalfEven(main.height() / 8.0))));
    Type("dogs", "ワン");
    const int idx = e.CurDicIdx();

    Button("閉じる")->click();
    QVERIFY(!e.isVisible());
    e.move(10, 500);
    mW->ShowDictionaryEditor();
    QCOMPARE(e.Word(), QStringLiteral("dogs"));
    QCOMPARE(MeaningBox()->text(), QStringLiteral("ワン"));
    QCOMPARE(e.CurDicIdx(), idx);
    QCOMPARE(e.pos().x(), main.x() + main.width());

    // The frame's close button hides it too; becoming active moves it back to the right edge
    // and keeps its top.
    e.move(5, 321);
    e.StandBesideMainWindow();
    QCOMPARE(e.pos(), QPoint(main.x() + main.width(), 321));
    QVERIFY(e.close());
    QVERIFY(!e.isVisible());
  }

  // ---- clicks on the text ------------------------------------------------------------------

  void aRightClickFeedsTheShownEditorAndTheClipboard() {
    Ready({"Running dogs, fast"});
    QClipboard& clipboard = *QApplication::clipboard();
    clipboard.setText(QStringLiteral("before"));
    Press(Qt::RightButton, At("Running"));  // the editor has never been shown
    QCOMPARE(mW->mDictionaryEditor->isVisible(), false);
    QCOMPARE(clipboard.text(), QStringLiteral("before"));

    mW->ShowDictionaryEditor();
    Press(Qt::RightButton, At("Running"));
    QCOMPARE(E().Word(), QStringLiteral("Running"));
    QCOMPARE(List(), (QStringList{"run 走る", "run 運営する"}));
    QCOMPARE(clipboard.text(), QStringLiteral("Running"));

    const QPointF gap = (At("dogs") + At("fast")) / 2;
    for (const auto& [button, p] : std::vector<std::pair<Qt::MouseButton, QPointF>>{
             {Qt::RightButton, gap}, {Qt::LeftButton, At("dogs")}}) {
      Press(button, p);
      QCOMPARE(E().Word(), QStringLiteral("Running"));
      QCOMPARE(clipboard.text(), QStringLiteral("Running"));
    }
  }

  void aLeftClickSpeaksTheWordWhileSpeakingIsChecked() {
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(FakeSpeechProgram()) + ":" + path);
    Ready({"Running dogs don't fly"});
    Press(Qt::LeftButton, At("Running"));  // unchecked
    mW->mSpeakBox->setChecked(true);
    Press(Qt::LeftButton, (At("dogs") + At("don't")) / 2);  // a gap
    Press(Qt::RightButton, At("dogs"));                     // the editor is hidden
    Press(Qt::LeftButton, At("Running"));
    QCOMPARE(Spoken(1), std::multiset<std::string>{"1\nRunning\n"});
    Press(Qt::LeftButton, At("don't"));
    Press(Qt::LeftButton, At("fly"));  // not in the dictionary: spoken all the same
    QCOMPARE(Spoken(3), (std::multiset<std::string>{"1\nRunning\n", "1\ndon't\n", "1\nfly\n"}));
    qputenv("PATH", path);
  }

  void theSpeechProgramGetsTheWordAsItsTextAndNeverAShell() {
    const std::string bin = FakeSpeechProgram();
    WordSpeaker speaker(QString::fromStdString(bin + "/espeak-ng"));
    QVERIFY(speaker.SpeakWord(QStringLiteral("it's")));
    QCOMPARE(Spoken(1), std::multiset<std::string>{"1\nit's\n"});
    // A leading dash would be read as one of the program's options: "--" ends them first.
    QVERIFY(speaker.SpeakWord(QStringLiteral("-x")));
    QVERIFY(speaker.SpeakWord(QStringLiteral("\"a b\" $(touch pwned)")));
    QCOMPARE(Spoken(3), (std::multiset<std::string>{"1\nit's\n", "2\n--\n-x\n",
                                                    "1\n\"a b\" $(touch pwned)\n"}));
    QVERIFY(!fs::exists("pwned") && !fs::exists(bin + "/pwned"));

    speaker.SetProgram(QString::fromStdString(mDir / "no-such-program"));
    QVERIFY(!speaker.SpeakWord(QStringLiteral("silent")));  // and nothing else happens
    QCOMPARE(WordSpeaker().Program(), QStringLiteral("espeak-ng"));
  }
};

}  // namespace kelmoa

QTEST_MAIN(kelmoa::DictionaryEditorTest)
#include "dictionary_editor_test.moc"
