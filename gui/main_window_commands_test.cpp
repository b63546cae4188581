#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>

#include "core/base/codepage.h"
#include "core/base/fixtures_test.h"
#include "core/settings/ini_file.h"
#include "gui/help_page.h"
#include "gui/main_window.h"
#include "gui/message_dialog.h"
#include "gui/picture_box.h"
#include "gui/settings_dialog.h"
#include "gui/text_chooser.h"
#include "gui/window_helpers.h"

namespace kelmoa {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

std::vector<std::string> Lines(int n, const std::string& prefix) {
  std::vector<std::string> lines;
  for (int i = 1; i <= n; ++i)
    lines.push_back(prefix + " " + std::to_string(i));
  return lines;
}

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

// The button of a window with the given caption; null when there is none.
QPushButton* Button(const QWidget& window, const QString& caption) {
  for (QPushButton* button : window.findChildren<QPushButton*>()) {
    if (button->text() == caption)
      return button;
  }
  return nullptr;
}

void Press(const QWidget& window, const QString& caption) {
  QPushButton* button = Button(window, caption);
  QVERIFY2(button != nullptr, qPrintable(caption));
  QTest::mouseClick(button, Qt::LeftButton);
}

}  // namespace

// The command row of the main window on an installed program in a temporary base folder; the
// test works the settings window and the chooser from inside their modal showings.
class MainWindowCommandsTest : public QObject {
  Q_OBJECT

  testing::TempDir mDir;
  std::unique_ptr<MainWindow> mW;
  QStringList mPlain;  // plain messages of the main window, the settings window and the chooser
  QString mStartFolder = QDir::currentPath();

  std::string IniPath() const { return mDir / "bin/Kelmoa.ini"; }
  QString IniValue(std::u16string_view key) const {
    return Q(GetIniValue(IniPath(), u"setting", key, u"(none)"));
  }
  std::string Text(const std::string& name, const std::vector<std::string>& lines) {
    WriteBytes(mDir / ("txt_shift_jis/" + name), testing::SjisLines(lines));
    return mDir / ("txt_shift_jis/" + name);
  }
  MainWindow& Ready() {
    WriteBytes(mDir / "dic/Dic_EJ.txt", testing::Sjis("dog\t犬\r\nthe\tその\r\n"));
    mW = std::make_unique<MainWindow>(ProgramPaths::FromProgramFile(mDir / "bin/Kelmoa"), "");
    mW->MsgDialog().SetResponder([](const QString&, int) { return MessageDialog::kCancel; });
    mW->SetPlainMessageResponder([this](const QString& msg) { mPlain << msg; });
    mW->ActivateFirstTime();
    return *mW;
  }
  void Open(const std::string& path) {
    mW->mTextFilePath = path;
    mW->OpenTextFile();
  }
  // The window shown, so that its frame stands where it will stay.
  void Show() {
    mW->show();
    QVERIFY(QTest::qWaitForWindowExposed(mW.get()));
  }

  SettingsDialog& Ini() { return *mW->mSettingsDialog; }
  TextChooser& Chooser() { return *mW->mTextChooser; }
  QScrollBar& VScroll() { return *mW->mScrollBar; }
  const QImage& Page() const { return mW->mTextPane->Image(); }
  const SettingInfo& Setting() const { return mW->mSetting; }

  // "設定" with act working in the settings window.
  template <typename Act>
  bool Settings(Act act) {
    return WhileShown(
        Ini(), [&] { act(Ini()); }, [this] { mW->EditSettings(); });
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
        Chooser(), [&] { act(Chooser()); }, [this] { mW->ChooseAndOpenText(); });
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
  static QStringList ArgsWritten(const std::string& marker) {
    QStringList lines = QString::fromStdString(ReadBytes(marker)).split(u'\n');
    lines.removeLast();  // after the last line end
    return lines;
  }

 private slots:
  void initTestCase() { RegisterFontSubstitutions(); }
  void init() {
    testing::MakeDataFolders(mDir.path());
    mPlain.clear();
  }
  void cleanup() {
    mW.reset();
    QDir::setCurrent(mStartFolder);
    for (const auto& entry : std::filesystem::directory_iterator(mDir.path()))
      std::filesystem::remove_all(entry.path());
  }

  // ---- settings change -------------------------------------------------------------------

  void aSettingsChangeLaysTheTextOutAgainAtItsPlace() {
    MainWindow& w = Ready();
    std::vector<std::string> lines = Lines(200, "the dog runs");
    lines[9] = std::string(100, 'x');
    Open(Text("long.txt", lines));
    Show();
    const int left = w.frameGeometry().x();
    VScroll().setValue(40);
    const std::vector<uint32_t> dicIdx = w.Document().words.mWordDicIdxId;
    w.HoverAt(60, 10);  // a popup in the old layout
    const QImage before = Page();

    QVERIFY(ChangeFontSize(2));
    const int hw = Setting().HalfWidth;
    QVERIFY(hw > 7);
    // The place in the text is kept; the range follows the shorter page.
    QCOMPARE(VScroll().value(), 40);
    QCOMPARE(VScroll().maximum(), 200 - Setting().LinesPerPage + 1);
    QVERIFY(w.width() > 103 * hw);  // the window widens to the 100-character line
    // Positions only: the words' dictionary results are those of before.
    const WordTable& t = w.Document().words;
    QVERIFY(t.mWordDicIdxId == dicIdx);
    QVERIFY(w.mPopupBox->isHidden());
    // The page is drawn anew from the current state, and the pointer finds the words.
    QVERIFY(Page() != before);
    const QImage shown = Page();
    w.DrawPage();
    QCOMPARE(Page(), shown);
    w.HoverAt((t.mWordX1[2] + t.mWordX2[2]) / 2.0, 10);
    QVERIFY(!w.mPopupBox->isHidden());
    QCOMPARE(IniValue(u"FontSize"), QStringLiteral("12.75"));
    QCOMPARE(IniValue(u"FormLeft"), QString::number(left));

    // Back to the small font at the end of the text: the position moves up to the new last.
    VScroll().setValue(VScroll().maximum());
    QVERIFY(ChangeFontSize(0));
    QCOMPARE(VScroll().maximum(), 200 - Setting().LinesPerPage + 1);
    QCOMPARE(VScroll().value(), VScroll().maximum());
    QVERIFY(mPlain.isEmpty());
  }

  void aSettingsFileThatCannotBeWrittenIsReported() {
    MainWindow& w = Ready();
    std::filesystem::create_directory(IniPath());  // a folder where the file belongs
    QVERIFY(ChangeFontSize(2));
    QCOMPARE(w.mPaneFont.pointSizeF(), 12.75);  // the change holds for this run
    QCOMPARE(mPlain.size(), 1);
    QVERIFY(mPlain[0].startsWith("設定ファイルに保存できませんでした。\r\n    ファイル名＝" +
                                 QString::fromStdString(IniPath())));
  }

  // ---- the settings window ---------------------------------------------------------------

  void cancellingOrClosingChangesNothingAndEachShowingStartsOnCancel() {
    MainWindow& w = Ready();
    const auto edit = [](SettingsDialog& ini) {
      QCOMPARE(ini.focusWidget(), Button(ini, "キャンセル(&C)"));
      FontSize(ini, 2)->setChecked(true);
      LineSpace(ini)->setText(QStringLiteral("5"));
      EditorField(ini)->setText(QStringLiteral("/typed/editor"));
      EditorField(ini)->setFocus();
    };
    const std::function<void(SettingsDialog&)> closes[] = {
        [](SettingsDialog& ini) { ini.close(); },  // through the frame
        [](SettingsDialog& ini) { QTest::keyClick(&ini, Qt::Key_Escape); },
    };
    for (const auto& close : closes) {
      QVERIFY(Settings([&](SettingsDialog& ini) {
        edit(ini);
        close(ini);
      }));
      QVERIFY((Ini().result() == QDialog::Rejected));
      QCOMPARE(Setting().FontSize, 9.75f);
      QCOMPARE(Setting().LineSpace, 3);
      // The field keeps what was typed until the window is opened again.
      QCOMPARE(QString::fromStdString(w.TextEditorField()), QStringLiteral("/typed/editor"));
    }
    QVERIFY(!std::filesystem::exists(IniPath()));
  }

  void confirmingALineSpacingOutOfRangeKeepsTheWindowOpen() {
    Ready();
    QVERIFY(Settings([&](SettingsDialog& ini) {
      for (const char16_t* bad : {u"", u"6", u"2", u"４", u"99999999999"}) {
        LineSpace(ini)->setText(Q(bad));
        Press(ini, "設定変更(&R)");
        QVERIFY(ini.isVisible());
        QCOMPARE(mPlain.takeFirst(), "行間：次の範囲で設定してください。\r\n    3-5");
        QCOMPARE(ini.focusWidget(), LineSpace(ini));
      }
      LineSpace(ini)->setText(QStringLiteral("4"));
      Press(ini, "設定変更(&R)");
    }));
    QCOMPARE(Setting().LineSpace, 4);
  }

  void theEditorTestAndTheExamples() {
    Ready();
    SettingsDialog& ini = Ini();
    const auto run = [&](const std::string& editor) {
      EditorField(ini)->setText(QString::fromStdString(editor));
      Press(ini, "エディタを起動");
    };
    run("");
    run(mDir / "bin/no-editor");
    run(mDir / "bin");  // a folder is no editor
    QCOMPARE(mPlain,
             (QStringList{Q(kMsgNoEditorGiven), Q(kMsgEditorMissing), Q(kMsgEditorMissing)}));
    mPlain.clear();
    // Started alone; a path relative to the current folder is started from there.
    const std::string marker = mDir / "started.txt";
    FakeEditor("editor", marker);
    QDir::setCurrent(QString::fromStdString(mDir / "my editors"));
    run("editor");
    QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(marker), 10000);
    QCOMPARE(ArgsWritten(marker), QStringList{"0"});
    QVERIFY(mPlain.isEmpty());
  }

  // ---- the chooser -----------------------------------------------------------------------

  void theChooserListsTextFilesInAnyLetterCaseAndKeepsItsSelection() {
    MainWindow& w = Ready();
    for (const char* name : {"a.txt", "B.TXT", "c.Txt", "d.md", "e.txt.bak", ".hidden.txt"})
      Text(name, {"the " + std::string(name)});
    std::filesystem::create_directory(mDir / "txt_shift_jis/folder.txt");
    QVERIFY(Choose([&](TextChooser& chooser) {
      QCOMPARE(chooser.pos(), w.pos() + QPoint(40, 20));
      QCOMPARE(chooser.Folder(), QString::fromStdString(mDir / "txt_shift_jis"));
      QCOMPARE(Listed(chooser), (QStringList{"a.txt", "B.TXT", "c.Txt"}));
      Press(chooser, "選択");  // nothing selected yet
      QCOMPARE(mPlain, QStringList{Q(kMsgSelectOneFile)});
      Text("f.TXT", {"the f"});
      Select(chooser, "c.Txt");
      Press(chooser, "一覧更新");
      QCOMPARE(Listed(chooser), (QStringList{"a.txt", "B.TXT", "c.Txt", "f.TXT"}));
      Press(chooser, "選択");
    }));
    QCOMPARE(w.mTextFilePath, mDir / "txt_shift_jis/c.Txt");
    QCOMPARE(w.windowTitle(), QStringLiteral("c.Txt - Kelmoa Ver1.1.1"));

    // The list stands as last read, and "選択" at once takes the file chosen last time.
    Text("g.txt", {"the g"});
    Text("c.Txt", {"changed"});
    QVERIFY(Choose([&](TextChooser& chooser) {
      QCOMPARE(Listed(chooser).size(), 4);
      Press(chooser, "選択");
    }));
    QCOMPARE(w.Document().mTxt, (StrList{u"", u"changed"}));

    // Cancelling or closing opens nothing, after an earlier choice too.
    QVERIFY(Choose([&](TextChooser& chooser) {
      Select(chooser, "a.txt");
      chooser.close();
    }));
    QCOMPARE(Chooser().ChosenPath(), std::string());
    QCOMPARE(w.windowTitle(), QStringLiteral("c.Txt - Kelmoa Ver1.1.1"));
  }

  // A file name that is not UTF-8 (Shift_JIS bytes, as files copied from Windows have) keeps
  // its bytes from the chooser's list, through the open routine, to the editor's argument.
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
    QCOMPARE(w.mTextFilePath, path);
    QCOMPARE(Chooser().ChosenPath(), path);
    QCOMPARE(w.Document().mTxt, (StrList{u"", u"the dog"}));
    QVERIFY(w.windowTitle().endsWith(".txt - Kelmoa Ver1.1.1"));

    // The editor gets the bytes as the file system stores them.
    const std::string marker = mDir / "args.txt";
    const std::string editor = FakeEditor("my editor", marker);
    EditorField(Ini())->setText(QString::fromStdString(editor));
    QTest::mouseClick(w.mEditTextButton, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(marker), 10000);
    QCOMPARE(ReadBytes(marker), "1\n" + path + "\n");
    QVERIFY(mPlain.isEmpty());

    // So does a file dropped onto the pane (its address is percent-encoded).
    Open(mDir / "txt_shift_jis/b.txt");
    QMimeData mime;
    mime.setUrls(
        {QUrl::fromEncoded("file://" + QByteArray::fromStdString(path).toPercentEncoding("/"))});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(w.mTextPane, &enter);
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(w.mTextPane, &drop);
    QCOMPARE(w.mTextFilePath, path);
    QCOMPARE(w.Document().mTxt, (StrList{u"", u"the dog"}));
  }

  // ---- help page and ending --------------------------------------------------------------

  // Help says when the page did not open: no page, an opener that cannot start, an opener that
  // fails (no browser set up). An opener that succeeds says nothing.
  void helpReportsAPageThatDidNotOpen() {
    MainWindow& w = Ready();
    const std::string page = mDir / "htm/index.htm";
    const QString shownPage = QString::fromStdString(page);
    HelpPageOpener& opener = *w.mHelpPage;
    opener.SetProgram(QStringLiteral("true"));
    w.ShowHelp();
    QCOMPARE(mPlain, QStringList{"ヘルプページを開けませんでした。\r\n    ファイル名＝" +
                                 shownPage + "\r\n    理由＝ヘルプページのファイルがありません"});
    mPlain.clear();
    std::filesystem::create_directories(mDir / "htm");
    WriteBytes(page, "<html></html>\n");
    const struct {
      QString program;
      QString reason;
    } cases[] = {
        {"true", {}},
        {QString::fromStdString(mDir / "bin/no-such-opener"), "を起動できません"},
        {"false",
         "ページを開くプログラム（ブラウザ）が設定されていないようです（false の終了コード 1）"},
    };
    for (const auto& c : cases) {
      mPlain.clear();
      opener.SetProgram(c.program);
      w.ShowHelp();
      if (c.reason.isEmpty()) {
        QTest::qWait(300);  // time for the opener to end
        QVERIFY(mPlain.isEmpty());
        continue;
      }
      QTRY_COMPARE_WITH_TIMEOUT(mPlain.size(), 1, 10000);
      QVERIFY2(mPlain.first().startsWith("ヘルプページを開けませんでした。\r\n    ファイル名＝" +
                                         shownPage + "\r\n    理由＝"),
               qPrintable(mPlain.first()));
      QVERIFY2(mPlain.first().contains(c.reason), qPrintable(mPlain.first()));
    }
  }

  void f1FromAnyControlOfTheWindowOpensTheHelpPage() {
    MainWindow& w = Ready();
    Open(Text("t.txt", Lines(200, "the dog")));
    QList<QUrl> opened;
    w.SetHelpOpener([&](const QUrl& page) { opened << page; });
    Show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const QList<QWidget*> controls = {w.mOpenTextButton, w.mSpeakBox, w.mFocusSink};
    for (QWidget* control : controls) {
      control->setFocus();
      QTRY_COMPARE(QApplication::focusWidget(), control);
      QTest::keyClick(control, Qt::Key_F1);
    }
    QTest::keyClick(w.mOpenTextButton, Qt::Key_F2);  // other keys do nothing here
    QTest::mouseClick(w.mHelpButton, Qt::LeftButton);
    const QUrl page = QUrl::fromLocalFile(QString::fromStdString(mDir / "htm/index.htm"));
    QCOMPARE(opened, QList<QUrl>(controls.size() + 1, page));
  }

  void theEndButtonStoresTheLeftEdgeUnlessTheWindowIsOffScreen() {
    Ready().move(30, 0);
    QSignalSpy ended(mW.get(), &MainWindow::programEnded);
    mW->StorePlaceAndEnd();
    QCOMPARE(ended.count(), 1);
    QCOMPARE(IniValue(u"FormLeft"), QStringLiteral("30"));
    QCOMPARE(IniValue(u"FontSize"), QStringLiteral("(none)"));  // only the one key
    std::filesystem::remove(IniPath());
    Ready().move(-20, 0);  // off the screen
    mW->StorePlaceAndEnd();
    QVERIFY(!std::filesystem::exists(IniPath()));
    Ready().close();  // closing through the frame stores nothing
    QVERIFY(!std::filesystem::exists(IniPath()));
  }

  // ---- the external editor ---------------------------------------------------------------

  void eachKnownEditorGetsItsOwnArguments() {
    MainWindow& w = Ready();
    // A name that begins with a dash and holds quotes and spaces, opened by a relative path.
    const std::string name = "-odd \"quoted\" name.txt";
    const QString path = QString::fromStdString(Text(name, Lines(300, "the dog")));
    QDir::setCurrent(QString::fromStdString(mDir / "txt_shift_jis"));
    Open(name);
    VScroll().setValue(7);
    // The window reaches past the screen's right edge: the room right of it is negative.
    const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
    Show();
    w.move(screenWidth - 100, 12);
    const QRect f = w.frameGeometry();
    const QString x = QString::number(f.right() + 1), y = QString::number(f.y()),
                  room = QString::number(screenWidth - f.right() - 1),
                  h = QString::number(f.height());
    QVERIFY(room.startsWith(u'-'));

    const std::string marker = mDir / "args.txt";
    const std::pair<std::string, QStringList> cases[] = {
        {"Hidemaru.exe", {"3", "/(" + x + "," + y + "," + room + "," + h + ")", "/j7", path}},
        {"sakura.exe", {"6", "-Y:7", "-VY:7", "-WX:" + x, "-WY:" + y, "-SY:" + h, path}},
        {"my editor", {"1", path}},
    };
    for (const auto& [editorName, args] : cases) {
      const std::string editor = FakeEditor(editorName, marker);
      // The launch takes the settings window's field, also after a cancel.
      QVERIFY(Settings([&](SettingsDialog& ini) {
        EditorField(ini)->setText(QString::fromStdString(editor));
        Press(ini, "キャンセル(&C)");
      }));
      std::filesystem::remove(marker);
      QTest::mouseClick(w.mEditTextButton, Qt::LeftButton);
      QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(marker), 10000);
      QCOMPARE(ArgsWritten(marker), args);
    }
    QVERIFY(mPlain.isEmpty());
  }
};

}  // namespace kelmoa

QTEST_MAIN(kelmoa::MainWindowCommandsTest)
#include "main_window_commands_test.moc"
