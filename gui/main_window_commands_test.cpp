#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <functional>

#include "core/base/fixtures_test.h"
#include "core/settings/ini_file.h"
#include "gui/main_window.h"
#include "gui/message_dialog.h"
#include "gui/picture_box.h"
#include "gui/settings_dialog.h"
#include "gui/text_chooser.h"
#include "gui/window_fixtures_test.h"
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
  QStringList mPlain;     // plain messages of the main window, the settings window and the chooser
  QStringList mMessages;  // the message dialog, always answered with Cancel
  static constexpr int kCancel = MessageDialog::kCancel;

  std::string IniPath() const { return mDir / "bin/Kelmoa.ini"; }
  QString IniValue(std::u16string_view key) const {
    return Q(GetIniValue(IniPath(), u"setting", key, u"(none)"));
  }
  std::string Text(const std::string& name, const std::vector<std::string>& lines) {
    return testing::WriteSampleText(mDir, name, lines);
  }
  MainWindow& Ready() {
    WriteBytes(mDir / "dic/Dic_EJ.txt", testing::Sjis("dog\t犬\r\nthe\tその\r\n"));
    mW = testing::StartMainWindow(mDir, {}, mMessages, mPlain, kCancel);
    mW->ActivateFirstTime();
    return *mW;
  }
  void Open(const std::string& path) {
    mW->mTextFilePath = path;
    mW->OpenTextFile();
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

 private slots:
  void initTestCase() { RegisterFontSubstitutions(); }
  void init() {
    testing::MakeDataFolders(mDir.path());
    mPlain.clear();
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
    Open(Text("long.txt", Lines(200, "the dog runs")));
    VScroll().setValue(40);
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
      QVERIFY2(Setting().FontSize == 9.75f && Setting().LineSpace == 3, QByteArray::number(i++));
    }
    QVERIFY(!std::filesystem::exists(IniPath()));

    const QImage before = Page();
    QVERIFY(ChangeFontSize(2));
    QCOMPARE(w.mPaneFont.pointSizeF(), 12.75);
    QCOMPARE(VScroll().value(), 40);
    QVERIFY(Page() != before);
    QCOMPARE(IniValue(u"FontSize"), QStringLiteral("12.75"));
    QVERIFY(mPlain.isEmpty());
  }

  // The chooser lists the text files in any letter case and returns the one chosen; "選択"
  // with nothing selected asks for one, and closing it returns nothing.
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
    QCOMPARE(w.windowTitle(), QStringLiteral("c.Txt - Kelmoa Ver1.1.1"));
    QVERIFY(Choose([&](TextChooser& chooser) {
      Select(chooser, "a.txt");
      chooser.close();
    }));
    QCOMPARE(Chooser().ChosenPath(), std::string());
    QCOMPARE(w.windowTitle(), QStringLiteral("c.Txt - Kelmoa Ver1.1.1"));
  }

  // A double click or Enter on a file in the chooser opens it, as "選択" does.
  void aDoubleClickOrEnterInTheChooserOpensTheFile() {
    MainWindow& w = Ready();
    for (const char* name : {"a.txt", "b.txt"})
      Text(name, {"the " + std::string(name)});
    QVERIFY(Choose([&](TextChooser& chooser) {
      Select(chooser, "b.txt");
      QListWidget& list = FileList(chooser);
      const QPoint at = list.visualItemRect(list.currentItem()).center();
      QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
      QMouseEvent twice(QEvent::MouseButtonDblClick, at, list.viewport()->mapToGlobal(at),
                        Qt::LeftButton, Qt::LeftButton, {});
      QApplication::sendEvent(list.viewport(), &twice);
    }));
    QCOMPARE(w.windowTitle(), QStringLiteral("b.txt - Kelmoa Ver1.1.1"));
    QVERIFY(Choose([&](TextChooser& chooser) {
      Select(chooser, "a.txt");
      FileList(chooser).setFocus();
      QTest::keyClick(&FileList(chooser), Qt::Key_Return);
    }));
    QCOMPARE(w.windowTitle(), QStringLiteral("a.txt - Kelmoa Ver1.1.1"));
    QVERIFY(mPlain.isEmpty());
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
    w.OpenPreparedCopy(story);  // what "変換して開く" does
    QCOMPARE(w.windowTitle(), QStringLiteral("story (2).txt - Kelmoa Ver1.1.1"));
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
    QTest::mouseClick(w.mEditTextButton, Qt::LeftButton);
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
    QTest::mouseClick(w.mEditTextButton, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(mPlain.size(), 2, 10000);
    qputenv("PATH", path);
    QVERIFY2(mPlain[1].contains(QStringLiteral("エディタ＝xdg-open")) &&
                 mPlain[1].contains(QStringLiteral("xdg-open の終了コード 3")),
             qPrintable(mPlain[1]));
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
    QCOMPARE(w.Document().mTxt, (StrList{u"", u"the dog"}));

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
};

}  // namespace kelmoa

QTEST_MAIN(kelmoa::MainWindowCommandsTest)
#include "main_window_commands_test.moc"
