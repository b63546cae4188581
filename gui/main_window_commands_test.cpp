// Tests of the main window's commands: settings, chooser, editor, clicks on words, and 単語帳.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "core/base/fixtures_test.h"
#include "core/base/paths.h"
#include "core/settings/ini_file.h"
#include "core/wordlist/word_list.h"
#include "gui/dictionary_editor.h"
#include "gui/main_window.h"
#include "gui/main_window_fixtures_test.h"
#include "gui/picture_box.h"
#include "gui/settings_dialog.h"
#include "gui/text_chooser.h"
#include "gui/window_helpers.h"
#include "gui/word_list_window.h"

namespace kelmoa {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

// Shows a modal window through `show` and runs `act` inside its modal loop. A window that act
// leaves open is closed after ten seconds, so a failing check cannot hang the test; the
// result is false then.
template <typename Act>
bool WhileShown(QDialog& dlg, Act act, const std::function<void()>& show) {
  QTimer::singleShot(0, &dlg, act);
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, &dlg, [&dlg] { dlg.done(QDialog::Rejected); });
  guard.start(10000);
  show();
  return guard.isActive();
}

using testing::Button;

void Press(const QWidget& window, const QString& caption) {
  QPushButton* button = Button(window, caption);
  QVERIFY2(button != nullptr, qPrintable(caption));
  QTest::mouseClick(button, Qt::LeftButton);
}

}  // namespace

// The command row of the main window on an installed program in a temporary base folder, and
// the clicks on the words of its text; the test works the settings window and the chooser from
// inside their modal showings.
class MainWindowCommandsTest : public QObject {
  Q_OBJECT

  testing::TempDir mDir;
  std::unique_ptr<MainWindow> mW;
  QStringList mPlain;     // plain messages of the main window, the settings window and the chooser
  QStringList mMessages;  // the message dialog
  MessageDialog::Answer mAnswer = MessageDialog::Answer::kCancel;

  std::string IniPath() const { return mDir / "bin/Kelmoa.ini"; }
  QString IniValue(std::u16string_view key) const {
    return Q(GetIniValue(IniPath(), u"setting", key, u"(none)"));
  }
  std::string Text(const std::string& name, const std::vector<std::string>& lines) {
    return testing::WriteSampleText(mDir, name, lines);
  }
  MainWindow& Ready() {
    WriteBytes(mDir / "dic/Dic_EJ.txt", testing::Sjis("dog\t犬\r\nthe\tその\r\ncat\t猫\r\n"));
    mW = testing::StartMainWindow(mDir, {}, mMessages, mPlain, mAnswer);
    mW->ActivateFirstTime();
    return *mW;
  }
  void Open(const std::string& path) { mW->OpenTextFile(path); }
  SettingsDialog& Ini() { return *mW->findChild<SettingsDialog*>(); }
  TextChooser& Chooser() { return *mW->findChild<TextChooser*>(); }
  const QImage& Page() const { return mW->View().Pane().Image(); }
  void Click(const std::string& word, Qt::MouseButton button, Qt::KeyboardModifiers mods = {},
             int n = 1) {
    testing::SendMouse(mW->View().Pane(), QEvent::MouseButtonPress,
                       testing::WordOnPage(*mW, word, n), button, mods);
  }

  // "設定" with act working in the settings window.
  template <typename Act>
  bool Settings(Act act) {
    return WhileShown(
        Ini(), [&] { act(Ini()); }, [this] { Button(*mW, QStringLiteral("設定"))->click(); });
  }
  bool ChangeFontSize(int option) {
    return Settings([option](SettingsDialog& ini) {
      QTest::mouseClick(FontSize(ini, option), Qt::LeftButton);
      Press(ini, "設定変更(&R)");
    });
  }
  // "ファイル" with act working in the chooser.
  template <typename Act>
  bool Choose(Act act) {
    return WhileShown(
        Chooser(), [&] { act(Chooser()); },
        [this] { Button(*mW, QStringLiteral("ファイル"))->click(); });
  }
  // The chooser is worked as a user works it: its list and its buttons by their captions.
  static QListWidget& FileList(const TextChooser& chooser) {
    return *chooser.findChild<QListWidget*>();
  }
  static QStringList Listed(const TextChooser& chooser) {
    QStringList names;
    for (int i = 0; i < FileList(chooser).count(); ++i)
      names << FileList(chooser).item(i)->text();
    return names;
  }
  static void Select(TextChooser& chooser, const QString& name) {
    FileList(chooser).setCurrentItem(FileList(chooser).findItems(name, Qt::MatchExactly).value(0));
  }
  // The settings window's fields: the font sizes in their order, the line spacing in its
  // group, the editor path as the first field of the window itself.
  static QRadioButton* FontSize(const SettingsDialog& ini, int option) {
    return ini.findChildren<QRadioButton*>().value(option);
  }
  static QLineEdit* LineSpace(const SettingsDialog& ini) {
    for (const QGroupBox* group : ini.findChildren<QGroupBox*>()) {
      if (group->title() == QStringLiteral("行間"))
        return group->findChild<QLineEdit*>();
    }
    return nullptr;
  }
  static QLineEdit* EditorField(const SettingsDialog& ini) {
    return ini.findChildren<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly).value(0);
  }

  // An editor program that writes the number of its arguments and then each argument, one a
  // line, into marker.
  std::string FakeEditor(const std::string& name, const std::string& marker) {
    std::filesystem::create_directories(mDir / "my editors");
    const std::string path = mDir / ("my editors/" + name);
    WriteBytes(path, "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '" + marker + ".tmp'\nmv '" +
                         marker + ".tmp' '" + marker + "'\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
  }

 private slots:
  void initTestCase() { RegisterFontSubstitutions(); }
  void init() {
    testing::MakeDataFolders(mDir.path());
    mPlain.clear();
    mMessages.clear();
    mAnswer = MessageDialog::Answer::kCancel;
  }
  void cleanup() {
    mW.reset();
    for (const auto& entry : std::filesystem::directory_iterator(mDir.path()))
      std::filesystem::remove_all(entry.path());
  }

  // "設定変更" lays the text out again at its place in the new font; cancelling or closing the
  // window changes nothing, and each showing starts on Cancel.
  void theSettingsWindowReturnsAChangeOnlyWhenConfirmed() {
    MainWindow& w = Ready();
    Open(Text("long.txt", testing::NumberedLines(200, "the dog runs")));
    w.View().ScrollTo(40);
    const std::function<void(SettingsDialog&)> closes[] = {
        [](SettingsDialog& ini) { ini.close(); },  // through the frame
        [](SettingsDialog& ini) { QTest::keyClick(&ini, Qt::Key_Escape); },
        [](SettingsDialog& ini) { Press(ini, "キャンセル(&C)"); },
    };
    int i = 0;
    for (const auto& close : closes) {
      QVERIFY(Settings([&](SettingsDialog& ini) {
        QVERIFY2(ini.focusWidget() == Button(ini, "キャンセル(&C)"), QByteArray::number(i));
        FontSize(ini, 2)->setChecked(true);
        LineSpace(ini)->setText(QStringLiteral("5"));
        close(ini);
      }));
      QVERIFY2(mW->Setting().FontSize == 9.75f && mW->Setting().LineSpace == 3,
               QByteArray::number(i++));
    }
    QVERIFY(!std::filesystem::exists(IniPath()));

    const QImage before = Page();
    QVERIFY(ChangeFontSize(2));
    QCOMPARE(w.View().Pane().font().pointSizeF(), 12.75);
    QCOMPARE(w.View().FirstLine(), 40);
    QVERIFY(Page() != before);
    QCOMPARE(IniValue(u"FontSize"), QStringLiteral("12.75"));
    QVERIFY(mPlain.isEmpty());
  }

  // The chooser lists the text files in any letter case and returns the one chosen (by "選択",
  // a double click or Enter); "選択" with nothing selected asks for one, and closing it returns
  // nothing.
  void theChooserReturnsTheFileChosen() {
    MainWindow& w = Ready();
    for (const char* name : {"a.txt", "B.TXT", "c.Txt", "d.md", ".hidden.txt"})
      Text(name, {"the " + std::string(name)});
    std::filesystem::create_directory(mDir / "txt_shift_jis/folder.txt");
    QVERIFY(Choose([&](TextChooser& chooser) {
      QCOMPARE(Listed(chooser), (QStringList{"a.txt", "B.TXT", "c.Txt"}));
      Press(chooser, "選択");  // nothing selected yet
      QCOMPARE(mPlain, QStringList{Q(kMsgSelectOneFile)});
      Text("f.TXT", {"the f"});
      Press(chooser, "一覧更新");
      QCOMPARE(Listed(chooser).size(), 4);
      Select(chooser, "c.Txt");
      Press(chooser, "選択");
    }));
    QCOMPARE(w.windowTitle(), testing::Title("c.Txt"));
    QVERIFY(Choose([&](TextChooser& chooser) {
      Select(chooser, "a.txt");
      chooser.close();
    }));
    QCOMPARE(Chooser().ChosenPath(), std::string());
    QCOMPARE(w.windowTitle(), testing::Title("c.Txt"));
    // A double click or Enter on a file opens it, as "選択" does.
    QVERIFY(Choose([&](TextChooser& chooser) {
      Select(chooser, "B.TXT");
      QListWidget& list = FileList(chooser);
      const QPoint at = list.visualItemRect(list.currentItem()).center();
      QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
      QMouseEvent twice(QEvent::MouseButtonDblClick, at, list.viewport()->mapToGlobal(at),
                        Qt::LeftButton, Qt::LeftButton, {});
      QApplication::sendEvent(list.viewport(), &twice);
    }));
    QCOMPARE(w.windowTitle(), testing::Title("B.TXT"));
    QVERIFY(Choose([&](TextChooser& chooser) {
      Select(chooser, "a.txt");
      FileList(chooser).setFocus();
      QTest::keyClick(&FileList(chooser), Qt::Key_Return);
    }));
    QCOMPARE(w.windowTitle(), testing::Title("a.txt"));
  }

  // After "変換して開く" the chooser lists the copy, chosen, without "一覧更新"; the original,
  // which would be refused again, stays listed in grey with where its copy is. A text refused
  // that has no copy yet is marked too; a file that opens is not.
  void aRefusedTextIsMarkedAndItsCopyListed() {
    MainWindow& w = Ready();
    Text("a.txt", {"the a"});
    const std::string story = mDir / "txt_shift_jis/story.txt";
    WriteBytes(story, "The caf\xC3\xA9 is open.\n");  // UTF-8
    WriteBytes(mDir / "txt_shift_jis/wide.txt", std::string(101, 'w') + "\n");
    QVERIFY(Choose([&](TextChooser& chooser) {
      QCOMPARE(Listed(chooser).size(), 3);
      chooser.close();
    }));
    mAnswer = MessageDialog::Answer::kConvert;  // "変換して開く"
    Open(story);
    QCOMPARE(w.windowTitle(), testing::Title("story (2).txt"));
    QVERIFY(Choose([&](TextChooser& chooser) {
      const QStringList listed = Listed(chooser);
      QCOMPARE(listed.size(), 4);
      QCOMPARE(listed[0], QStringLiteral("a.txt"));
      QCOMPARE(listed[1], QStringLiteral("story (2).txt"));
      QCOMPARE(listed[2], QStringLiteral("story.txt （変換済み：story (2).txt を開いてください）"));
      QVERIFY(listed[3].startsWith(QStringLiteral("wide.txt （このままでは開けません")));
      QListWidget& list = FileList(chooser);
      QCOMPARE(list.currentItem()->text(), QStringLiteral("story (2).txt"));
      QCOMPARE(list.item(0)->foreground().color(), list.item(1)->foreground().color());
      QCOMPARE(list.item(2)->foreground().color(), QColor(Qt::gray));
      QCOMPARE(list.item(3)->foreground().color(), QColor(Qt::gray));
      chooser.close();
    }));
  }

  // "編集" answers every click: an editor that ends with an error, and the desktop's handler of
  // text files (xdg-open) that finds no editor, are named with the reason.
  void anEditorThatFailsIsReported() {
    MainWindow& w = Ready();
    Open(Text("a.txt", {"the dog"}));
    std::filesystem::create_directories(mDir / "bin2");
    const std::string failing = mDir / "bin2/failing-editor";
    WriteBytes(failing, "#!/bin/sh\nexit 2\n");
    std::filesystem::permissions(failing, std::filesystem::perms::owner_all);
    EditorField(Ini())->setText(QString::fromStdString(failing));
    QTest::mouseClick(Button(w, QStringLiteral("編集")), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(mPlain.size(), 1, 10000);
    QVERIFY2(mPlain[0].contains(QString::fromStdString(failing)) &&
                 mPlain[0].contains(QStringLiteral("終了コード 2 で終わりました")),
             qPrintable(mPlain[0]));

    // No editor set: xdg-open (a stand-in first on the search path) finds no handler.
    WriteBytes(mDir / "bin2/xdg-open", "#!/bin/sh\nexit 3\n");
    std::filesystem::permissions(mDir / "bin2/xdg-open", std::filesystem::perms::owner_all);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(mDir / "bin2") + ":" + path);
    EditorField(Ini())->clear();
    QTest::mouseClick(Button(w, QStringLiteral("編集")), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(mPlain.size(), 2, 10000);
    qputenv("PATH", path);
    QVERIFY2(mPlain[1].contains(QStringLiteral("エディタ＝xdg-open")) &&
                 mPlain[1].contains(QStringLiteral("xdg-open の終了コード 3")),
             qPrintable(mPlain[1]));
  }

  // A file name that is not UTF-8 (Shift_JIS bytes, as files copied from Windows have) keeps
  // its bytes from the chooser's list, through the opening, to the editor's argument.
  void aNameThatIsNotUtf8KeepsItsBytesEndToEnd() {
    MainWindow& w = Ready();
    const std::string name = "caf\xE9 \x82\xA0.txt";  // Latin-1 e-acute, Shift_JIS "あ"
    const std::string path = Text(name, {"the dog"});
    Text("b.txt", {"the b"});
    QVERIFY(Choose([&](TextChooser& chooser) {
      const QStringList listed = Listed(chooser);
      QCOMPARE(listed.size(), 2);
      QCOMPARE(listed[1], QFile::decodeName(QByteArray::fromStdString(name)));
      QVERIFY(listed[1].contains(QChar::ReplacementCharacter));
      FileList(chooser).setCurrentRow(1);
      Press(chooser, "選択");
    }));
    QCOMPARE(w.Document().mTxt, (StrList{u"", u"the dog"}));

    // The editor gets the bytes as the file system stores them.
    const std::string marker = mDir / "args.txt";
    const std::string editor = FakeEditor("my editor", marker);
    EditorField(Ini())->setText(QString::fromStdString(editor));
    QTest::mouseClick(Button(w, QStringLiteral("編集")), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(marker), 10000);
    QCOMPARE(ReadBytes(marker), "1\n" + path + "\n");
    QVERIFY(mPlain.isEmpty());
  }
  // A middle click or Ctrl + left click adds the word; a plain left click and a word without
  // meanings add nothing; the status line says which, and a repeat counts. A damaged word list
  // is reported at the click and left byte for byte as it was.
  void aClickOnAWordAddsItToTheWordList() {
    MainWindow& w = Ready();
    Open(Text("t.txt", {"The dog and the cat.", "A dog runs."}));
    Click("dog", Qt::MiddleButton);
    QCOMPARE(w.View().StatusLine(), QStringLiteral("単語帳に加えました：dog（1回目）"));
    Click("cat", Qt::LeftButton);
    Click("runs", Qt::MiddleButton);
    QCOMPARE(w.View().StatusLine(),
             QStringLiteral("「runs」は辞書にないため，単語帳に加えませんでした。"));
    Click("cat", Qt::LeftButton, Qt::ControlModifier);
    Click("dog", Qt::MiddleButton, {}, 2);
    QCOMPARE(w.View().StatusLine(), QStringLiteral("単語帳に加えました：dog（2回目）"));
    QVERIFY(mMessages.isEmpty());

    const std::string db = WordListPath(mDir.path());
    mW.reset();
    std::filesystem::remove_all(std::filesystem::path(db).parent_path());
    std::filesystem::create_directories(std::filesystem::path(db).parent_path());
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
    Button(w, QStringLiteral("辞書編集"))->click();
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

  // 単語帳 (F2) stands in the free space between ﾍﾙﾌﾟ and 終了; a double click on a word shows
  // it where it was met: its file opened, its line on the page with the word's popup.
  void theWordListShowsAWordInItsText() {
    MainWindow& w = Ready();
    std::vector<std::string> lines(300, "nothing here");
    lines[249] = "a cat sat";
    Open(Text("first.txt", lines));
    w.View().ScrollTo(240);
    Click("cat", Qt::MiddleButton);
    Open(Text("other.txt", {"dog"}));
    QPushButton* list = Button(w, QStringLiteral("単語帳"));
    QVERIFY(list->geometry().left() > Button(w, QStringLiteral("ﾍﾙﾌﾟ"))->geometry().right());
    QVERIFY(list->geometry().right() < Button(w, QStringLiteral("終了"))->geometry().left());
    for (const QWidget* other : w.findChildren<PictureBox*>(QString(), Qt::FindDirectChildrenOnly))
      QVERIFY(!list->geometry().intersects(other->geometry()));  // the focus holder

    QVERIFY(testing::ShowActive(w));
    QTest::keyClick(&w, Qt::Key_F2);
    QTableView& table = *w.findChild<WordListWindow*>()->findChild<QTableView*>();
    QVERIFY(table.isVisible());
    const QPoint cell = table.visualRect(table.model()->index(0, 0)).center();
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, cell);
    QCOMPARE(w.windowTitle(), testing::Title("first.txt"));
    const int top = w.View().FirstLine();
    QVERIFY(top <= 250 && 250 < top + w.Setting().LinesPerPage);
    QVERIFY(!w.View().Popup().isHidden());
  }
};

}  // namespace kelmoa

QTEST_MAIN(kelmoa::MainWindowCommandsTest)
#include "main_window_commands_test.moc"
