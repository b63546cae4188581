// Tests of the main window: the first activation, refused texts and their copies, where texts
// were left, and its commands: settings, chooser, editor, clicks on words, and 単語帳.
#include <sys/stat.h>

#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTimer>
#include <fstream>
#include <functional>

#include "core/base/paths.h"
#include "core/settings/ini_file.h"
#include "core/text/prepare_text.h"
#include "gui/dictionary_editor.h"
#include "gui/settings_dialog.h"
#include "gui/text_chooser.h"
#include "gui/window_fixtures_test.h"
#include "gui/window_helpers.h"
#include "gui/word_list_window.h"

namespace kelmoa {
namespace {

namespace fs = std::filesystem;
using testing::Button;
using testing::Press;
using testing::ReadBytes;
using testing::Title;
using testing::WriteBytes;
using testing::WriteScript;

// Shows a modal window through `show` and runs `act` inside its modal loop. A window that act
// leaves open is closed after ten seconds, so a failing check cannot hang the test; the
// result is false then.
bool WhileShown(QDialog& dlg, const std::function<void()>& act, const std::function<void()>& show) {
  QTimer::singleShot(0, &dlg, act);
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, &dlg, [&dlg] { dlg.done(QDialog::Rejected); });
  guard.start(10000);
  show();
  return guard.isActive();
}

// Whether the pane shows text below its first lines lines (of height lineHeight).
bool ShowsTextBelow(const QImage& pane, int lines, int lineHeight) {
  const QRect below(0, lines * lineHeight, pane.width(), pane.height() - lines * lineHeight);
  return testing::CountPixels(pane, below, testing::IsDark) > 0;
}

}  // namespace

// The test works the settings window and the chooser from inside their modal showings, as a
// user does.
class MainWindowTest : public testing::WindowTest {
  Q_OBJECT

  std::unique_ptr<MainWindow> mW;

  // Started with a small dictionary, and activated.
  MainWindow& Ready(const std::string& commandLine = {}) {
    WriteDictionary({"dog\t犬", "the\tその", "cat\t猫"});
    mW = StartMainWindow(commandLine);
    mW->ActivateFirstTime();
    return *mW;
  }
  void Open(const std::string& path) { mW->OpenTextFile(path); }
  void Click(const std::string& word, Qt::MouseButton button, Qt::KeyboardModifiers mods = {},
             int n = 1) {
    testing::SendMouse(mW->View().Pane(), QEvent::MouseButtonPress, WordOnPage(*mW, word, n),
                       button, mods);
  }
  SettingsDialog& Ini() { return *mW->findChild<SettingsDialog*>(); }
  // "設定" with act working in the settings window; "ファイル" with act working in the chooser.
  bool Settings(const std::function<void(SettingsDialog&)>& act) {
    return WhileShown(
        Ini(), [&] { act(Ini()); }, [this] { Press(*mW, "設定"); });
  }
  bool Choose(const std::function<void(TextChooser&, QListWidget&)>& act) {
    TextChooser& chooser = *mW->findChild<TextChooser*>();
    return WhileShown(
        chooser, [&] { act(chooser, *chooser.findChild<QListWidget*>()); },
        [this] { Press(*mW, "ファイル"); });
  }
  static QStringList Listed(const QListWidget& list) {
    return testing::Texts(list.findItems({}, Qt::MatchContains));
  }
  static void Select(QListWidget& list, const QString& name) {
    list.setCurrentItem(list.findItems(name, Qt::MatchExactly).value(0));
  }
  // The editor's path: the first field of the settings window itself.
  void SetEditor(const std::string& path) {
    Ini().findChildren<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly)[0]->setText(
        QString::fromStdString(path));
  }

 private slots:
  void initTestCase() { RegisterFontSubstitutions(); }
  void init() { Reset(); }
  void cleanup() {
    mW.reset();
    Empty();
  }

  // The first activation with a dictionary that cannot be used says so and ends the program
  // before anything is drawn.
  void aDictionaryThatCannotBeUsedEndsTheProgramAtTheFirstActivation() {
    mW = StartMainWindow();
    QSignalSpy ended(mW.get(), &MainWindow::programEnded);
    mW->ActivateFirstTime();
    QCOMPARE(mMessages.size(), 1);
    QVERIFY(mMessages[0].startsWith("辞書ファイルが見つかりません。"));
    QCOMPARE(ended.count(), 1);
    QVERIFY(!ShowsTextBelow(mW->View().Pane().Image(), 0, 1));
  }

  // A file on the command line that cannot be opened is named with its reason, and the
  // greeting follows. The command line is taken whole as one path (quotes and all).
  void aCommandLineFileThatCannotBeOpenedIsNamedWithItsReason() {
    const std::string text = Text("my text.txt", {"the dog"});
    const std::string fifo = mDir / "txt_shift_jis/pipe.txt";
    QCOMPARE(::mkfifo(fifo.c_str(), 0644), 0);
    const std::pair<std::string, QString> cases[] = {
        {"\"" + text + "\"", "ファイルが見つかりません"},
        {mDir / "txt_shift_jis", "フォルダです"},
        {fifo, "通常のファイルではありません（名前付きパイプ）"},  // does not hold the window
    };
    for (const auto& [path, reason] : cases) {
      mMessages.clear();
      Ready(path);
      QVERIFY2(
          mMessages == QStringList{"このテキストファイルを開けませんでした。\n    ファイル名＝" +
                                   QString::fromStdString(path) + "\n    理由＝" + reason},
          path.c_str());
      // No text, and the greeting under the dictionary's three lines.
      QVERIFY2(!mW->Session().HasText() &&
                   ShowsTextBelow(mW->View().Pane().Image(), 4, mW->Setting().CharHeight),
               path.c_str());
    }
    QCOMPARE(Ready(text).windowTitle(), Title("my text.txt"));
  }

  // The window's frame, caption and all, stands on the screen when the text widens it: also
  // when the window system has put the inside of the window at the top instead of its frame.
  // Another window made active takes the popup down.
  void theCaptionStaysOnTheScreen() {
    MainWindow& w = Ready();
    QVERIFY(testing::ShowActive(w));
    Open(Text("wide.txt", {"the dog " + std::string(92, 'x')}));
    QTRY_COMPARE(w.frameGeometry().top(), 0);
    const QPoint placed(w.Setting().FormLeft, 0);
    w.setGeometry(QRect(placed, w.size()));
    QTRY_COMPARE(w.frameGeometry().topLeft(), placed);
    w.move(50, 40);  // a window the user has moved elsewhere stays where it is
    QTRY_COMPARE(w.frameGeometry().topLeft(), QPoint(50, 40));

    testing::SendMouse(w.View().Pane(), QEvent::MouseMove, WordOnPage(w, "dog"));
    QVERIFY(!w.View().Popup().isHidden());
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&w, &deactivate);
    QVERIFY(w.View().Popup().isHidden());
  }

  // Preparing runs on while the window does, behind a progress dialog whose キャンセル leaves
  // no part; a UTF-8 text with stray bytes is said to be one when its copy opens. Bytes no code
  // explains, or a text too large to prepare, are offered no copy.
  void aPreparationCanBeCancelledAndSaysWhatItLost() {
    MainWindow& w = Ready();
    mAnswer = MessageDialog::Answer::kConvert;
    fs::create_directory(mDir / "elsewhere");
    std::string cafes;
    for (int i = 0; i < 200; ++i)
      cafes += "caf\xC3\xA9 ";
    const std::string slow = mDir / "elsewhere/slow.md";  // some tenths of a second of work
    std::string text;
    while (text.size() < (8u << 20))
      text += cafes.substr(0, 360) + "\n";
    WriteBytes(slow, text);
    bool pressed = false;
    w.SetPrepareDialogHook([&pressed](QProgressDialog& dialog) {
      dialog.setMinimumDuration(0);
      QTimer::singleShot(100, &dialog, [&pressed, &dialog] {
        pressed = dialog.isVisible();
        QTest::mouseClick(dialog.findChild<QPushButton*>(), Qt::LeftButton);
      });
    });
    Open(slow);
    QVERIFY(pressed);
    QCOMPARE(testing::FileNames(mDir / "txt_shift_jis"), std::vector<std::string>{});
    QCOMPARE(mMessages.size(), 1);  // the refusal only

    w.SetPrepareDialogHook({});
    const std::string damaged = mDir / "elsewhere/damaged.md";
    WriteBytes(damaged, std::string(150, 'a') + " caf\xC3\xA9 \xB1 " + cafes + "\n");
    Open(damaged);
    QCOMPARE(mMessages.size(), 3);
    QVERIFY(mMessages[2].contains(QStringLiteral("UTF-8として読めないバイトが1バイト")));
    QCOMPARE(w.windowTitle(), Title("damaged.txt"));

    WriteBytes(mDir / "elsewhere/binary.txt", "ab\xE3");
    std::ofstream(mDir / "elsewhere/large.txt").seekp(kMaxPrepareFileBytes).put('x');
    for (const char* name : {"binary.txt", "large.txt"}) {
      Open(mDir / "elsewhere/" + name);
      QVERIFY2(w.MsgDialog().ConvertButton().isHidden(), name);
      QCOMPARE(w.windowTitle(), Title("damaged.txt"));
    }
  }

  // A text opens where it was left: after reading another, after a restart (the positions are
  // stored when the program ends) with the text on the command line, and by F3 from the
  // greeting.
  void aTextReopensWhereItWasLeft() {
    const std::string first = Text("first.txt", std::vector<std::string>(1000, "the dog"));
    const std::string second = Text("second.txt", std::vector<std::string>(1000, "the dog"));
    MainWindow& w = Ready();
    Open(first);
    w.View().ScrollTo(400);
    Open(second);
    QCOMPARE(w.View().FirstLine(), 1);
    w.View().ScrollTo(50);
    Open(first);
    QCOMPARE(w.View().FirstLine(), 400);
    Press(w, "終了");

    for (const std::string& commandLine : {second, std::string()}) {
      mW = StartMainWindow(commandLine);
      QVERIFY(testing::ShowActive(*mW));  // the first activation opens the command line's text
      QCOMPARE(mW->Session().HasText() ? mW->View().FirstLine() : 0, commandLine.empty() ? 0 : 50);
      QTest::keyClick(mW.get(), Qt::Key_F3);  // the text read last before the one shown
      QCOMPARE(mW->windowTitle(), Title("first.txt"));
      QCOMPARE(mW->View().FirstLine(), 400);
      mW->close();
    }
  }

  // Closing the settings window, Escape and "キャンセル" change nothing, and each showing starts
  // on キャンセル; "設定変更" lays the text out again at its place in the new font and keeps it.
  void theSettingsWindowReturnsAChangeOnlyWhenConfirmed() {
    MainWindow& w = Ready();
    Open(Text("long.txt", std::vector<std::string>(200, "the dog runs")));
    w.View().ScrollTo(40);
    const QImage before = w.View().Pane().Image();
    const std::function<void(SettingsDialog&)> closes[] = {
        [](SettingsDialog& ini) { ini.close(); },
        [](SettingsDialog& ini) { QTest::keyClick(&ini, Qt::Key_Escape); },
        [](SettingsDialog& ini) { Press(ini, "キャンセル(&C)"); },
        [](SettingsDialog& ini) { Press(ini, "設定変更(&R)"); },
    };
    for (int i = 0; i < 4; ++i) {
      QVERIFY2(w.Setting().FontSize == 9.75f && w.Setting().LineSpace == 3, QByteArray::number(i));
      QVERIFY(!fs::exists(mDir / "bin/Kelmoa.ini"));
      QVERIFY(Settings([&](SettingsDialog& ini) {
        QVERIFY(ini.focusWidget() == Button(ini, "キャンセル(&C)"));
        QTest::mouseClick(ini.findChildren<QRadioButton*>().value(2), Qt::LeftButton);
        for (const QGroupBox* group : ini.findChildren<QGroupBox*>()) {
          if (group->title() == QStringLiteral("行間"))
            group->findChild<QLineEdit*>()->setText(QStringLiteral("5"));
        }
        closes[i](ini);
      }));
    }
    QCOMPARE(w.View().Pane().font().pointSizeF(), 12.75);
    QCOMPARE(w.View().FirstLine(), 40);
    QVERIFY(w.View().Pane().Image() != before);
    QCOMPARE(Q(GetIniValue(mDir / "bin/Kelmoa.ini", u"setting", u"FontSize", u"")),
             QStringLiteral("12.75"));
    QVERIFY(mPlain.isEmpty());
  }

  // The chooser lists the text files in any letter case and opens the one chosen by "選択", a
  // double click or Enter; "選択" with nothing selected asks for one; closing it opens nothing.
  void theChooserOpensTheFileChosen() {
    MainWindow& w = Ready();
    for (const char* name : {"a.txt", "B.TXT", "c.Txt", "d.md", ".hidden.txt"})
      Text(name, {"the dog"});
    fs::create_directory(mDir / "txt_shift_jis/folder.txt");
    QVERIFY(Choose([&](TextChooser& chooser, QListWidget& list) {
      QCOMPARE(Listed(list), (QStringList{"a.txt", "B.TXT", "c.Txt"}));
      Press(chooser, "選択");  // nothing selected yet
      QCOMPARE(mPlain, QStringList{Q(kMsgSelectOneFile)});
      Text("f.TXT", {"the f"});
      Press(chooser, "一覧更新");
      QCOMPARE(Listed(list).size(), 4);
      Select(list, "a.txt");
      chooser.close();
    }));
    QVERIFY(!w.Session().HasText());
    const std::pair<const char*, std::function<void(QListWidget&)>> ways[] = {
        {"c.Txt", [](QListWidget& list) { Press(*list.window(), "選択"); }},
        {"B.TXT",
         [](QListWidget& list) {
           const QPoint at = list.visualItemRect(list.currentItem()).center();
           QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
           QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
         }},
        {"a.txt", [](QListWidget& list) { QTest::keyClick(&list, Qt::Key_Return); }},
    };
    for (const auto& [name, choose] : ways) {
      QVERIFY(Choose([&](TextChooser&, QListWidget& list) {
        Select(list, name);
        list.setFocus();
        choose(list);
      }));
      QCOMPARE(w.windowTitle(), Title(name));
    }
  }

  // "変換して開く" opens a prepared copy and leaves the text chosen alone; the chooser lists the
  // copy, chosen, without "一覧更新", and the original in grey with where its copy is. A text
  // refused that has no copy yet is marked too; a file that opens is not.
  void aRefusedTextIsMarkedAndItsCopyListed() {
    MainWindow& w = Ready();
    Text("a.txt", {"the a"});
    const std::string story = mDir / "txt_shift_jis/story.txt";
    const std::string utf8 = "The caf\xC3\xA9 is open.\n";
    WriteBytes(story, utf8);
    WriteBytes(mDir / "txt_shift_jis/wide.txt", std::string(101, 'w') + "\n");
    QVERIFY(Choose([&](TextChooser& chooser, QListWidget& list) {
      QCOMPARE(Listed(list).size(), 3);
      chooser.close();
    }));
    mAnswer = MessageDialog::Answer::kConvert;  // "変換して開く"
    Open(story);
    QVERIFY(!w.MsgDialog().ConvertButton().isHidden());
    QCOMPARE(w.windowTitle(), Title("story (2).txt"));
    QCOMPARE(ReadBytes(story), utf8);  // the text chosen is left as it was
    QVERIFY(Choose([&](TextChooser& chooser, QListWidget& list) {
      const QStringList listed = Listed(list);
      QCOMPARE(listed.mid(0, 3),
               (QStringList{"a.txt", "story (2).txt",
                            "story.txt （変換済み：story (2).txt を開いてください）"}));
      QVERIFY(listed.value(3).startsWith(QStringLiteral("wide.txt （このままでは開けません")));
      QCOMPARE(list.currentRow(), 1);
      for (int i = 0; i < 4; ++i)
        QCOMPARE(list.item(i)->foreground().color() == QColor(Qt::gray), i >= 2);
      chooser.close();
    }));
  }

  // A file name that is not UTF-8 (Shift_JIS bytes, as files copied from Windows have) keeps
  // its bytes from the chooser's list, through the opening, to the editor's argument. "編集"
  // answers every click: an editor that ends with an error, and the desktop's handler of text
  // files (xdg-open) that finds no editor, are named with the reason.
  void theEditorGetsTheFileAsItIsNamedAndItsFailuresAreSaid() {
    MainWindow& w = Ready();
    const std::string name = "caf\xE9 \x82\xA0.txt";  // Latin-1 e-acute, Shift_JIS "あ"
    const std::string text = Text(name, {"the dog"});
    QVERIFY(Choose([&](TextChooser& chooser, QListWidget& list) {
      QCOMPARE(Listed(list), QStringList{QFile::decodeName(QByteArray::fromStdString(name))});
      QVERIFY(Listed(list)[0].contains(QChar::ReplacementCharacter));
      list.setCurrentRow(0);
      Press(chooser, "選択");
    }));
    QCOMPARE(w.Document().mTxt, (StrList{u"", u"the dog"}));

    // The editors stand in a folder with a space, first on the search path.
    const std::string bin = mDir / "my bin/", marker = mDir / "args.txt";
    fs::create_directories(bin);
    WriteScript(bin + "editor", "printf '%s\\n' \"$#\" \"$@\" > '" + marker + ".tmp'\nmv '" +
                                    marker + ".tmp' '" + marker + "'");
    WriteScript(bin + "failing", "exit 2");
    WriteScript(bin + "xdg-open", "exit 3");  // the handler when no editor is set
    const QByteArray searchPath = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin) + ":" + searchPath);
    const std::pair<std::string, QStringList> editors[] = {
        {bin + "editor", {}},
        {bin + "failing", {QString::fromStdString(bin + "failing"), "終了コード 2 で終わりました"}},
        {"", {"エディタ＝xdg-open", "xdg-open の終了コード 3"}},
    };
    for (const auto& [editor, says] : editors) {
      mPlain.clear();
      SetEditor(editor);
      Press(w, "編集");
      if (says.isEmpty()) {
        QTRY_VERIFY_WITH_TIMEOUT(fs::exists(marker), 10000);
        QCOMPARE(ReadBytes(marker), "1\n" + text + "\n");
        QVERIFY(mPlain.isEmpty());
      }
      QTRY_COMPARE_WITH_TIMEOUT(mPlain.size(), says.isEmpty() ? 0 : 1, 10000);
      for (const QString& part : says)
        QVERIFY2(mPlain[0].contains(part), qPrintable(mPlain[0]));
    }
    qputenv("PATH", searchPath);
  }

  // A middle click or Ctrl + left click adds the word; a plain left click and a word without
  // meanings add nothing; the status line says which. A damaged word list is reported at the
  // click and left byte for byte as it was.
  void aClickOnAWordAddsItToTheWordList() {
    MainWindow& w = Ready();
    Open(Text("t.txt", {"The dog and the cat.", "A dog runs."}));
    const QString added = QStringLiteral("単語帳に加えました：%1（%2回目）");
    const struct {
      const char* word;
      Qt::MouseButton button;
      Qt::KeyboardModifiers mods;
      QString status;
    } clicks[] = {
        {"dog", Qt::MiddleButton, {}, added.arg("dog").arg(1)},
        {"cat", Qt::LeftButton, {}, added.arg("dog").arg(1)},  // nothing added
        {"runs", Qt::MiddleButton, {}, "「runs」は辞書にないため，単語帳に加えませんでした。"},
        {"cat", Qt::LeftButton, Qt::ControlModifier, added.arg("cat").arg(1)},
        {"dog", Qt::MiddleButton, {}, added.arg("dog").arg(2)},
    };
    for (const auto& c : clicks) {
      Click(c.word, c.button, c.mods);
      QCOMPARE(w.View().StatusLine(), c.status);
    }
    QVERIFY(mMessages.isEmpty());

    const fs::path db = WordListPath(mDir.path());
    mW.reset();
    fs::remove_all(db.parent_path());
    fs::create_directories(db.parent_path());
    const std::string junk(4096, '\x5a');
    WriteBytes(db, junk);
    Ready();
    Open(Text("t.txt", {"the dog"}));
    Click("dog", Qt::MiddleButton);
    QCOMPARE(mMessages.size(), 1);
    QVERIFY(mMessages[0].contains(QStringLiteral("壊れている")));
    QCOMPARE(ReadBytes(db), junk);
  }

  // A right click on a word feeds the shown dictionary editor and the clipboard (not while the
  // editor is hidden); a left click speaks it while 単語を発音 is checked, and a speech program
  // that cannot be started is said in the status line.
  void theOtherButtonsOnAWord() {
    MainWindow& w = Ready();
    Open(Text("t.txt", {"Running dogs, fast"}));
    QClipboard& clipboard = *QApplication::clipboard();
    clipboard.setText(QStringLiteral("before"));
    Click("Running", Qt::RightButton);  // the editor has never been shown
    QCOMPARE(clipboard.text(), QStringLiteral("before"));
    Press(w, "辞書編集");
    Click("Running", Qt::RightButton);
    QCOMPARE(w.findChild<DictionaryEditor*>()->Word(), QStringLiteral("Running"));
    QCOMPARE(clipboard.text(), QStringLiteral("Running"));

    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(mDir / "no-such-folder"));
    w.findChild<QCheckBox*>()->setChecked(true);
    Click("fast", Qt::LeftButton);
    qputenv("PATH", path);
    QTRY_VERIFY(w.View().StatusLine().startsWith(QStringLiteral("単語を発音できません：")));
  }

  // 単語帳 opens with F2; a double click on a word shows it where it was met: its file opened,
  // its line on the page with the word's popup.
  void theWordListShowsAWordInItsText() {
    MainWindow& w = Ready();
    std::vector<std::string> lines(300, "nothing here");
    lines[249] = "a cat sat";
    Open(Text("first.txt", lines));
    w.View().ScrollTo(240);
    Click("cat", Qt::MiddleButton);
    Open(Text("other.txt", {"dog"}));
    QVERIFY(testing::ShowActive(w));
    QTest::keyClick(&w, Qt::Key_F2);
    QTableView& table = *w.findChild<WordListWindow*>()->findChild<QTableView*>();
    QVERIFY(table.isVisible());
    const QPoint cell = table.visualRect(table.model()->index(0, 0)).center();
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, cell);
    QCOMPARE(w.windowTitle(), Title("first.txt"));
    const int top = w.View().FirstLine();
    QVERIFY(top <= 250 && 250 < top + w.Setting().LinesPerPage);
    QVERIFY(!w.View().Popup().isHidden());
  }
};

}  // namespace kelmoa

QTEST_MAIN(kelmoa::MainWindowTest)
#include "main_window_commands_test.moc"
