// Tests of the main window: the first activation, refused texts and their copies, and where
// texts were left. What the reading session decides is tested in the core.
#include "gui/main_window.h"

#include <QProgressDialog>
#include <QSignalSpy>
#include <QTimer>
#include <fstream>

#include <sys/stat.h>

#include "core/text/prepare_text.h"
#include "gui/window_fixtures_test.h"
#include "gui/window_helpers.h"

namespace kelmoa {
namespace {

using testing::Title;
using testing::WriteBytes;

// Whether the pane shows text below its first lines lines (of height lineHeight).
bool ShowsTextBelow(const QImage& pane, int lines, int lineHeight) {
  const QRect below(0, lines * lineHeight, pane.width(), pane.height() - lines * lineHeight);
  return testing::CountPixels(pane, below, testing::IsDark) > 0;
}

}  // namespace

class MainWindowTest : public testing::WindowTest {
  Q_OBJECT

  std::unique_ptr<MainWindow> mW;

  // Started with a small dictionary, and activated.
  MainWindow& Ready(const std::string& commandLine = {}) {
    WriteDictionary({"dog\t犬", "the\tその"});
    mW = StartMainWindow(commandLine);
    mW->ActivateFirstTime();
    return *mW;
  }

 private slots:
  void initTestCase() { RegisterFontSubstitutions(); }
  void init() {
    Reset();
    std::filesystem::create_directories(mDir / "elsewhere");
  }
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
    w.OpenTextFile(Text("wide.txt", {"the dog " + std::string(92, 'x')}));
    QTRY_COMPARE(w.frameGeometry().top(), 0);
    const QPoint placed(w.Setting().FormLeft, 0);
    w.setGeometry(QRect(placed, w.size()));
    QTRY_COMPARE(w.frameGeometry().topLeft(), placed);
    w.move(50, 40);  // a window the user has moved elsewhere stays where it is
    QTRY_COMPARE(w.frameGeometry().topLeft(), QPoint(50, 40));

    testing::SendMouse(mW->View().Pane(), QEvent::MouseMove, WordOnPage(w, "dog"));
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
    w.OpenTextFile(slow);
    QVERIFY(pressed);
    QCOMPARE(testing::FileNames(mDir / "txt_shift_jis"), std::vector<std::string>{});
    QCOMPARE(mMessages.size(), 1);  // the refusal only

    w.SetPrepareDialogHook({});
    const std::string damaged = mDir / "elsewhere/damaged.md";
    WriteBytes(damaged, std::string(150, 'a') + " caf\xC3\xA9 \xB1 " + cafes + "\n");
    w.OpenTextFile(damaged);
    QCOMPARE(mMessages.size(), 3);
    QVERIFY(mMessages[2].contains(QStringLiteral("UTF-8として読めないバイトが1バイト")));
    QCOMPARE(w.windowTitle(), Title("damaged.txt"));

    WriteBytes(mDir / "elsewhere/binary.txt", "ab\xE3");
    std::ofstream(mDir / "elsewhere/large.txt").seekp(kMaxPrepareFileBytes).put('x');
    for (const char* name : {"binary.txt", "large.txt"}) {
      w.OpenTextFile(mDir / "elsewhere/" + name);
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
    w.OpenTextFile(first);
    w.View().ScrollTo(400);
    w.OpenTextFile(second);
    QCOMPARE(w.View().FirstLine(), 1);
    w.View().ScrollTo(50);
    w.OpenTextFile(first);
    QCOMPARE(w.View().FirstLine(), 400);
    testing::Press(w, "終了");

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
};

}  // namespace kelmoa

QTEST_MAIN(kelmoa::MainWindowTest)
#include "main_window_test.moc"
