// Tests of the main window: the first activation, opening texts and refused ones, and where
// texts were left.
#include "gui/main_window.h"

#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>

#include "core/base/codepage.h"
#include "core/base/fixtures_test.h"
#include "core/text/prepare_text.h"
#include "core/wordlist/reading_positions.h"
#include "gui/main_window_fixtures_test.h"
#include "gui/picture_box.h"
#include "gui/window_helpers.h"

namespace kelmoa {
namespace {

using testing::ReadBytes;
using testing::SjisLines;
using testing::WriteBytes;

// Whether the pane shows text below its first lines lines (of height lineHeight).
bool ShowsTextBelow(const QImage& pane, int lines, int lineHeight) {
  const QRect below(0, lines * lineHeight, pane.width(), pane.height() - lines * lineHeight);
  return testing::CountPixels(pane, below, testing::IsDark) > 0;
}

}  // namespace

// The main window on an installed program in a temporary base folder (bin, dic, dic_backup,
// txt_shift_jis); the test answers its dialogs. What the reading session decides is tested in
// the core, and the text view in its own test; these tests check what only the window shows.
class MainWindowTest : public QObject {
  Q_OBJECT

  testing::TempDir mDir;
  std::unique_ptr<MainWindow> mW;
  QStringList mMessages;
  MessageDialog::Answer mAnswer = MessageDialog::Answer::kCancel;

  std::string DicPath() const { return mDir / "dic/Dic_EJ.txt"; }
  std::string Text(const std::string& name, const std::vector<std::string>& lines) {
    return testing::WriteSampleText(mDir, name, lines);
  }
  MainWindow& Start(const std::string& commandLine = {}) {
    mW = testing::StartMainWindow(mDir, commandLine, mMessages, mMessages, mAnswer);
    return *mW;
  }
  // Started and activated with a small dictionary.
  MainWindow& Ready(const std::string& commandLine = {}) {
    WriteBytes(DicPath(), SjisLines({"dog\t犬", "dog\tいぬ", "run\t走る", "the\tその"}));
    Start(commandLine).ActivateFirstTime();
    return *mW;
  }
  const StrList& Txt() const { return mW->Document().mTxt; }
  bool PopupShown() { return !mW->View().Popup().isHidden(); }
  void Hover(const std::string& word) {
    testing::SendMouse(mW->View().Pane(), QEvent::MouseMove, testing::WordOnPage(*mW, word));
  }

 private slots:
  void initTestCase() { RegisterFontSubstitutions(); }

  void init() {
    testing::MakeDataFolders(mDir.path());
    mMessages.clear();
    mAnswer = MessageDialog::Answer::kCancel;
  }

  void cleanup() {
    mW.reset();
    for (const auto& entry : std::filesystem::directory_iterator(mDir.path()))
      std::filesystem::remove_all(entry.path());
  }

  // The first activation with a dictionary that cannot be used says so and ends the program
  // before anything is drawn.
  void aDictionaryThatCannotBeUsedEndsTheProgramAtTheFirstActivation() {
    QSignalSpy ended(&Start(), &MainWindow::programEnded);
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
      QVERIFY2(!mW->Session().HasText(), path.c_str());
      // The greeting under the dictionary's three lines.
      QVERIFY2(ShowsTextBelow(mW->View().Pane().Image(), 4, mW->Setting().CharHeight),
               path.c_str());
    }
    Ready(text);
    QCOMPARE(mW->windowTitle(), testing::Title("my text.txt"));
  }

  // The window's frame, caption and all, stands on the screen when the text widens it: also
  // when the window system has put the inside of the window at the top instead of its frame.
  // Another window made active takes the popup down.
  void theCaptionStaysOnTheScreen() {
    MainWindow& w = Ready();
    QVERIFY(testing::ShowActive(w));
    w.OpenTextFile(Text("wide.txt", {"the dog " + std::string(92, 'x')}));
    QTRY_COMPARE(w.frameGeometry().top(), 0);
    const QPoint placed(w.Setting().FormLeft, 0);
    w.setGeometry(QRect(placed, w.size()));
    QTRY_COMPARE(w.frameGeometry().topLeft(), placed);
    // A window the user has moved elsewhere stays where it is.
    w.move(50, 40);
    QTRY_COMPARE(w.frameGeometry().topLeft(), QPoint(50, 40));

    Hover("dog");
    QVERIFY(PopupShown());
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&w, &deactivate);
    QVERIFY(!PopupShown());
  }

  // "変換して開く" writes a prepared copy beside the texts and opens it; the file chosen stays
  // as it was. Bytes no code explains get no button.
  void theConvertButtonOpensAPreparedCopyAndLeavesTheTextAlone() {
    MainWindow& w = Ready();
    mAnswer = MessageDialog::Answer::kConvert;
    std::filesystem::create_directories(mDir / "elsewhere");
    const std::string story = mDir / "elsewhere/story.md";
    const std::string bytes = "The dog\u2019s caf\u00e9 \u2014 the dog runs\n";
    WriteBytes(story, bytes);
    QVERIFY(w.OpenTextFile(story) == false);
    QCOMPARE(mMessages.size(), 1);
    QVERIFY(!w.MsgDialog().ConvertButton().isHidden());
    QCOMPARE(w.windowTitle(), testing::Title("story.txt"));
    QCOMPARE(Txt()[1], u"The dog's cafe -- the dog runs");
    QCOMPARE(ReadBytes(story), bytes);
    Hover("dog");  // the copy's words are known words like any text's
    QVERIFY(PopupShown());
    // A second copy of the same text takes the next free name; the first stays.
    w.OpenTextFile(story);
    QCOMPARE(w.windowTitle(), testing::Title("story (2).txt"));
    QVERIFY(std::filesystem::exists(mDir / "txt_shift_jis/story.txt"));

    mMessages.clear();
    WriteBytes(mDir / "elsewhere/binary.txt", "ab\xE3");
    w.OpenTextFile(mDir / "elsewhere/binary.txt");
    QCOMPARE(mMessages.size(), 1);
    QVERIFY(w.MsgDialog().ConvertButton().isHidden());
    QCOMPARE(w.windowTitle(), testing::Title("story (2).txt"));
  }

  // A text opens where it was left: after reading another, after a restart (the position is
  // stored when the program ends), from the command line, and with F3 from the greeting.
  // Scrolling alone stores nothing.
  void aTextReopensWhereItWasLeft() {
    std::vector<std::string> lines;
    for (int i = 1; i <= 1000; ++i)
      lines.push_back("the dog " + std::to_string(i));
    const std::string first = Text("first.txt", lines);
    const std::string second = Text("second.txt", lines);
    MainWindow& w = Ready();
    w.OpenTextFile(first);
    w.View().ScrollTo(400);
    std::unique_ptr<ReadingPositions> stored;
    QVERIFY(ReadingPositions::Open(mDir.path(), stored).ok());
    int line = 0;
    QVERIFY(stored->FirstLineOf(first, std::filesystem::file_size(first), line).ok());
    QCOMPARE(line, 1);  // a scroll stores nothing
    w.OpenTextFile(second);
    QCOMPARE(w.View().FirstLine(), 1);
    w.View().ScrollTo(50);
    w.OpenTextFile(first);
    QCOMPARE(w.View().FirstLine(), 400);
    QCOMPARE(Txt()[400], u"the dog 400");
    testing::Button(w, QStringLiteral("終了"))->click();  // the positions are stored

    Start(second);                      // a restart, with a text on the command line
    QVERIFY(testing::ShowActive(*mW));  // the first activation opens it
    QCOMPARE(mW->View().FirstLine(), 50);
    QTest::keyClick(mW.get(), Qt::Key_F3);  // the text read last before this one
    QCOMPARE(mW->windowTitle(), testing::Title("first.txt"));
    QCOMPARE(mW->View().FirstLine(), 400);
    mW->close();

    Start();  // the greeting; F3 opens the text left last
    QVERIFY(testing::ShowActive(*mW));
    QVERIFY(!mW->Session().HasText());
    QTest::keyClick(mW.get(), Qt::Key_F3);
    QCOMPARE(mW->windowTitle(), testing::Title("first.txt"));
    QCOMPARE(mW->View().FirstLine(), 400);
  }

  // Preparing runs on while the window does, behind a progress dialog: its キャンセル, pressed
  // while the work goes on, leaves no part. A UTF-8 text with stray bytes is said to be one; a
  // text too large to prepare is offered nothing.
  void aPreparationCanBeCancelledAndSaysWhatItLost() {
    MainWindow& w = Ready();
    mAnswer = MessageDialog::Answer::kConvert;
    std::filesystem::create_directories(mDir / "elsewhere");
    const std::string damaged = mDir / "elsewhere/damaged.md";
    std::string cafes;
    for (int i = 0; i < 200; ++i)
      cafes += "caf\xC3\xA9 ";
    WriteBytes(damaged, std::string(150, 'a') + " caf\xC3\xA9 \xB1 " + cafes + "\n");
    const std::string slow = mDir / "elsewhere/slow.md";  // some tenths of a second of work
    std::string text;
    while (text.size() < (8u << 20))
      text += cafes.substr(0, 360) + "\n";
    WriteBytes(slow, text);
    const std::vector<std::string> before = testing::FileNames(mDir / "txt_shift_jis");
    bool pressed = false;
    w.SetPrepareDialogHook([&pressed](QProgressDialog& dialog) {
      dialog.setMinimumDuration(0);
      QTimer::singleShot(100, &dialog, [&pressed, &dialog] {
        pressed = dialog.isVisible();
        QTest::mouseClick(dialog.findChild<QPushButton*>(), Qt::LeftButton);
      });
    });
    w.OpenTextFile(slow);
    QVERIFY(pressed);
    QCOMPARE(testing::FileNames(mDir / "txt_shift_jis"), before);
    QCOMPARE(mMessages.size(), 1);  // the refusal only

    w.SetPrepareDialogHook({});
    w.OpenTextFile(damaged);
    QCOMPARE(mMessages.size(), 3);
    QVERIFY(mMessages[2].contains(QStringLiteral("UTF-8として読めないバイトが1バイト")));
    QCOMPARE(w.windowTitle(), testing::Title("damaged.txt"));

    const std::string large = mDir / "elsewhere/large.txt";
    {
      std::ofstream f(large, std::ios::binary);
      f.seekp(kMaxPrepareFileBytes);
      f.put('x');
    }
    w.OpenTextFile(large);
    QCOMPARE(mMessages.size(), 4);
    QVERIFY(w.MsgDialog().ConvertButton().isHidden());
  }
};

}  // namespace kelmoa

QTEST_MAIN(kelmoa::MainWindowTest)
#include "main_window_test.moc"
