#include "gui/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>

#include <sys/stat.h>

#include "core/base/codepage.h"
#include "core/base/fixtures_test.h"
#include "core/wordlist/reading_positions.h"
#include "gui/meaning_popup.h"
#include "core/text/prepare_text.h"
#include "gui/message_dialog.h"
#include "gui/picture_box.h"
#include "gui/window_fixtures_test.h"
#include "gui/window_helpers.h"

namespace kelmoa {
namespace {

using testing::ReadBytes;
using testing::SjisLines;
using testing::WriteBytes;

std::vector<std::string> Lines(int n, const std::string& prefix = "line") {
  std::vector<std::string> lines;
  for (int i = 1; i <= n; ++i)
    lines.push_back(prefix + " " + std::to_string(i));
  return lines;
}

int CountPixels(const QImage& image, const QRect& r, bool (*pred)(QRgb)) {
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y) {
    for (int x = r.left(); x <= r.right(); ++x)
      n += pred(image.pixel(x, y)) ? 1 : 0;
  }
  return n;
}
bool IsBlue(QRgb c) {
  return qBlue(c) > 160 && qRed(c) < 120 && qGreen(c) < 120;
}
bool IsDark(QRgb c) {
  return qRed(c) < 110 && qGreen(c) < 110 && qBlue(c) < 110;
}

}  // namespace

// The main window on an installed program in a temporary base folder (bin, dic, dic_backup,
// txt_shift_jis); the test answers its dialogs. What the reading session decides is tested in
// the core; these tests check what only the window shows.
class MainWindowTest : public QObject {
  Q_OBJECT

  testing::TempDir mDir;
  std::unique_ptr<MainWindow> mW;
  QStringList mMessages;
  int mAnswer = MessageDialog::kCancel;

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
  void Open(const std::string& path) {
    mW->mTextFilePath = path;
    mW->OpenTextFile();
  }

  int Lpp() const { return mW->mSetting.LinesPerPage; }
  const QImage& Page() const { return mW->mTextPane->Image(); }
  QScrollBar& VScroll() { return *mW->mScrollBar; }
  PictureBox& Popup() { return *mW->mPopupBox; }
  const StrList& Txt() const { return mW->Document().mTxt; }
  // The middle of the first occurrence of word in the text, in pane coordinates.
  QPointF At(const std::string& word) const {
    return testing::WordMiddle(*mW, mW->mScrollBar->value(), word);
  }
  void Hover(QPointF p) { mW->HoverAt(p.x(), p.y()); }
  // A pointer move off every word, then onto p: the popup is built anew.
  void HideAndHover(QPointF p) {
    Hover({1, 1});
    Hover(p);
  }

 private slots:
  void initTestCase() { RegisterFontSubstitutions(); }

  void init() {
    testing::MakeDataFolders(mDir.path());
    mMessages.clear();
    mAnswer = MessageDialog::kCancel;
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
    QVERIFY(mW->mPaneLines.isEmpty());
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
      QVERIFY2(mW->mPaneLines.size() == 3 + 12, path.c_str());  // the greeting
    }
    Ready(text);
    QCOMPARE(mW->windowTitle(), QStringLiteral("my text.txt - Kelmoa Ver1.1.1"));
  }

  // Over every word of a text, the popup draws exactly the lines `kelmoa-tool popup` prints for
  // that word's line and column: forms whose own entry names their base, look-alikes of
  // another word class, a negated word, words without a popup.
  void thePopupShowsWhatKelmoaToolPopupPrints() {
    WriteBytes(DicPath(), SjisLines({"minute	①【名】分", "minutes	①【minuteの複数】分",
                                     "minutes	②【名】議事録", "sai	①【名】才",
                                     "say	①【他】言う", "smile	①【自】ほほえむ",
                                     "the	①【冠】その", "us	①【代】私たちを",
                                     "use	①【他】使う", "used	①【useの過去】使った"}));
    Start().ActivateFirstTime();
    const std::vector<std::string> lines = {"He said the minutes were", "used, unsmiling."};
    const std::string text = Text("popup.txt", lines);
    Open(text);
    const WordTable& t = mW->Document().words;
    PictureBox fromTool(mW->mTextPane, Popup().Background());
    int withPopup = 0;
    for (int k = 1; k <= t.Count(); ++k) {
      const auto ki = static_cast<size_t>(k);
      QProcess tool;
      tool.start(KELMOA_TOOL_PATH,
                 {"popup", QString::fromStdString(DicPath()), QString::fromStdString(text),
                  QString::number(t.mWordLine[ki]), QString::number(t.mWordCol[ki])});
      QVERIFY(tool.waitForFinished(10000));
      const QString printed = QString::fromUtf8(tool.readAllStandardOutput());
      QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
      std::vector<std::u16string> toolLines;
      for (const QString& line : printed.split('\n', Qt::SkipEmptyParts))
        toolLines.push_back(line.toStdU16String());

      const QString word = QString::fromStdU16String(std::u16string(t.Word(k)));
      HideAndHover(testing::WordMiddle(*mW, 1, word.toStdString()));
      QVERIFY2(Popup().isHidden() == toolLines.empty(), qPrintable(word + ": " + printed));
      if (toolLines.empty())
        continue;
      ++withPopup;
      ShowMeaningPopup(fromTool, toolLines, 0, 0, PageGeometry::Of(mW->mSetting).pitch,
                       mW->mPaneFont);
      QVERIFY2(fromTool.Image() == Popup().Image(), qPrintable(word));
    }
    QCOMPARE(withPopup, 4);  // the, minutes, used, unsmiling; said reaches only the noun sai
  }

  // A NUL or another control character draws as a blank and ends the word before it; the
  // rest of the line is drawn and its words are found.
  void aNulInALineHidesNothingAfterIt() {
    MainWindow& w = Ready();
    Open(Text("nul.txt", {std::string("the cat\0dog\x01runs", 16), "next"}));
    QVERIFY(mMessages.isEmpty());
    const TextDocument& d = w.Document();
    const auto cell = [&](int col, int len) {
      return QRect(d.mChrX(1, col), 5, d.mChrX(1, col + len) - d.mChrX(1, col), 14);
    };
    QCOMPARE(CountPixels(Page(), cell(8, 1), IsDark), 0);   // the NUL: a blank
    QVERIFY(CountPixels(Page(), cell(9, 3), IsBlue) > 10);  // dog, known, after it
    Hover(At("runs"));
    QVERIFY(!Popup().isHidden());
  }

  // Up/Down move a line, PageUp/PageDown a page less one line, Ctrl+Home/Ctrl+End to the ends,
  // from whichever control has the focus.
  void theKeysScrollByLinePageAndToTheEnds() {
    MainWindow& w = Ready();
    Open(Text("long.txt", Lines(Lpp() * 3)));
    const int last = 2 * Lpp() + 1;
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const struct {
      QWidget* target;
      Qt::Key key;
      Qt::KeyboardModifiers mods;
      int expected;
    } steps[] = {
        {w.mFocusSink, Qt::Key_Down, Qt::NoModifier, 2},
        {w.mFocusSink, Qt::Key_Up, Qt::NoModifier, 1},
        {w.mOpenTextButton, Qt::Key_PageDown, Qt::NoModifier, Lpp()},
        {w.mSpeakBox, Qt::Key_PageDown, Qt::NoModifier, 2 * Lpp() - 1},
        {w.mFocusSink, Qt::Key_PageDown, Qt::NoModifier, last},  // clamped at the end
        {w.mEndButton, Qt::Key_Home, Qt::ControlModifier, 1},
        {w.mFocusSink, Qt::Key_End, Qt::ControlModifier, last},
    };
    int i = 0;
    for (const auto& step : steps) {
      QTest::keyClick(step.target, step.key, step.mods);
      QVERIFY2(VScroll().value() == step.expected, QByteArray::number(i++));
    }
  }

  // The window's frame, caption and all, stands on the screen when the text widens it: also
  // when the window system has put the inside of the window at the top instead of its frame.
  void theCaptionStaysOnTheScreen() {
    MainWindow& w = Ready();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    Open(Text("wide.txt", {std::string(100, 'x')}));
    QTRY_COMPARE(w.frameGeometry().top(), 0);
    const QPoint placed(w.mSetting.FormLeft, 0);
    w.setGeometry(QRect(placed, w.size()));
    QTRY_COMPARE(w.frameGeometry().topLeft(), placed);
    // A window the user has moved elsewhere stays where it is.
    w.move(50, 40);
    QTRY_COMPARE(w.frameGeometry().topLeft(), QPoint(50, 40));
  }

  // The popup goes when the words move or the pointer is elsewhere: a scroll by bar, wheel or
  // key, another text, the pointer leaving the pane, another window becoming active, a move
  // onto no known word. The pointer passes through it to the lines it covers.
  void thePopupGoesWhenTheWordUnderThePointerMayHaveChanged() {
    MainWindow& w = Ready();
    const std::string text = Text("t.txt", Lines(Lpp() + 30, "the dog runs cat"));
    Open(text);
    // A real pointer move over the pane reaches the hit test.
    QMouseEvent move(QEvent::MouseMove, At("dog"), w.mTextPane->mapToGlobal(At("dog")),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w.mTextPane, &move);
    QVERIFY(!Popup().isHidden());
    QVERIFY(Popup().testAttribute(Qt::WA_TransparentForMouseEvents));
    const QPoint inside = Popup().geometry().center();
    QCOMPARE(w.mTextPane->childAt(inside), nullptr);

    const std::pair<const char*, std::function<void()>> hiders[] = {
        {"bar", [&] { VScroll().setValue(VScroll().value() + 1); }},
        {"wheel", [&] { w.WheelRoll(-120, Qt::NoModifier); }},
        {"key", [&] { w.ScrollByKey(MainWindow::ScrollKey::kLineDown); }},
        {"another text", [&] { Open(text); }},
        {"unknown word", [&] { Hover(At("cat")); }},
        {"line numbers", [&] { Hover(QPointF(20, At("dog").y())); }},
        {"leave",
         [&] {
           QEvent leave(QEvent::Leave);
           QApplication::sendEvent(w.mTextPane, &leave);
         }},
        {"deactivate",
         [&] {
           QEvent deactivate(QEvent::WindowDeactivate);
           QApplication::sendEvent(&w, &deactivate);
         }},
    };
    for (const auto& [name, hide] : hiders) {
      VScroll().setValue(1);
      Hover(At("dog"));
      QVERIFY2(!Popup().isHidden(), name);
      hide();
      QVERIFY2(Popup().isHidden() && w.mPrevHoverWord.empty(), name);
    }
  }

  // "変換して開く" writes a prepared copy beside the texts and opens it; the file chosen stays
  // as it was. Bytes no code explains get no button.
  void theConvertButtonOpensAPreparedCopyAndLeavesTheTextAlone() {
    MainWindow& w = Ready();
    mAnswer = MessageDialog::kConvert;
    std::filesystem::create_directories(mDir / "elsewhere");
    const std::string story = mDir / "elsewhere/story.md";
    const std::string bytes = "The dog\u2019s caf\u00e9 \u2014 the dog runs\n";
    WriteBytes(story, bytes);
    Open(story);
    QCOMPARE(mMessages.size(), 1);
    QVERIFY(!w.MsgDialog().ConvertButton().isHidden());
    QCOMPARE(w.mTextFilePath, mDir / "txt_shift_jis/story.txt");
    QCOMPARE(w.windowTitle(), QStringLiteral("story.txt - Kelmoa Ver1.1.1"));
    QCOMPARE(Txt()[1], u"The dog's cafe -- the dog runs");
    QCOMPARE(ReadBytes(story), bytes);
    Hover(At("dog"));  // the copy's words are known words like any text's
    QVERIFY(!Popup().isHidden());
    // A second copy of the same text takes the next free name; the first stays.
    Open(story);
    QCOMPARE(w.mTextFilePath, mDir / "txt_shift_jis/story (2).txt");
    QVERIFY(std::filesystem::exists(mDir / "txt_shift_jis/story.txt"));

    mMessages.clear();
    WriteBytes(mDir / "elsewhere/binary.txt", "ab\xE3");
    Open(mDir / "elsewhere/binary.txt");
    QCOMPARE(mMessages.size(), 1);
    QVERIFY(w.MsgDialog().ConvertButton().isHidden());
    QCOMPARE(w.windowTitle(), QStringLiteral("story (2).txt - Kelmoa Ver1.1.1"));
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
    Open(first);
    VScroll().setValue(400);
    std::unique_ptr<ReadingPositions> stored;
    QVERIFY(ReadingPositions::Open(mDir.path(), stored).ok());
    int line = 0;
    QVERIFY(stored->FirstLineOf(first, std::filesystem::file_size(first), line).ok());
    QCOMPARE(line, 1);  // a scroll stores nothing
    Open(second);
    QCOMPARE(VScroll().value(), 1);
    VScroll().setValue(50);
    Open(first);
    QCOMPARE(VScroll().value(), 400);
    QCOMPARE(Txt()[static_cast<size_t>(VScroll().value())], u"the dog 400");
    w.StorePlaceAndEnd();  // 終了: the positions are stored

    Start(second).ActivateFirstTime();  // a restart, with a text on the command line
    QCOMPARE(VScroll().value(), 50);
    mW->HandleKey(Qt::Key_F3);  // the text read last before this one
    QCOMPARE(mW->mTextFilePath, first);
    QCOMPARE(VScroll().value(), 400);
    mW->EndOnClose();

    Start().ActivateFirstTime();  // the greeting; F3 opens the text left last
    QCOMPARE(mW->mPaneLines.size(), 3 + 12);
    mW->HandleKey(Qt::Key_F3);
    QCOMPARE(mW->mTextFilePath, first);
    QCOMPARE(VScroll().value(), 400);
  }

  // Preparing runs on while the window does, behind a progress dialog: its キャンセル, pressed
  // while the work goes on, leaves no part. A UTF-8 text with stray bytes is said to be one; a
  // text too large to prepare is offered nothing.
  void aPreparationCanBeCancelledAndSaysWhatItLost() {
    MainWindow& w = Ready();
    mAnswer = MessageDialog::kConvert;
    std::filesystem::create_directories(mDir / "elsewhere");
    const std::string damaged = mDir / "elsewhere/damaged.md";
    WriteBytes(
        damaged, std::string(150, 'a') + " caf\xC3\xA9 \xB1 " + [] {
          std::string s;
          for (int i = 0; i < 200; ++i)
            s += "caf\xC3\xA9 ";
          return s;
        }() + "\n");
    const std::string slow = mDir / "elsewhere/slow.md";  // some tenths of a second of work
    std::string line;
    for (int i = 0; i < 60; ++i)
      line += "caf\xC3\xA9 ";
    std::string text;
    while (text.size() < (8u << 20))
      text += line + "\n";
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
    Open(slow);
    QVERIFY(pressed);
    QCOMPARE(testing::FileNames(mDir / "txt_shift_jis"), before);
    QCOMPARE(mMessages.size(), 1);  // the refusal only

    w.SetPrepareDialogHook({});
    Open(damaged);
    QCOMPARE(mMessages.size(), 3);
    QVERIFY(mMessages[2].contains(QStringLiteral("UTF-8として読めないバイトが1バイト")));
    QCOMPARE(w.mTextFilePath, mDir / "txt_shift_jis/damaged.txt");

    const std::string large = mDir / "elsewhere/large.txt";
    {
      std::ofstream f(large, std::ios::binary);
      f.seekp(kMaxPrepareFileBytes);
      f.put('x');
    }
    Open(large);
    QCOMPARE(mMessages.size(), 4);
    QVERIFY(w.MsgDialog().ConvertButton().isHidden());
  }
};

}  // namespace kelmoa

QTEST_MAIN(kelmoa::MainWindowTest)
#include "main_window_test.moc"
