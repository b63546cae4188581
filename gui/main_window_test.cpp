#include "gui/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <QWheelEvent>
#include <filesystem>
#include <regex>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/base/codepage.h"
#include "core/base/fixtures_test.h"
#include "core/text/messages.h"
#include "core/text/open_text.h"
#include "core/text/text_reader.h"
#include "gui/message_dialog.h"
#include "gui/picture_box.h"
#include "gui/settings_dialog.h"
#include "gui/window_helpers.h"

namespace kelmoa {
namespace {

using testing::ReadBytes;
using testing::SjisLines;
using testing::WriteBytes;

// A message as the dialog shows it: CR LF become line feeds.
QString Shown(std::u16string_view msg) {
  return QString::fromStdU16String(std::u16string(msg)).replace(QStringLiteral("\r\n"), "\n");
}

std::vector<std::string> Lines(int n, const std::string& prefix = "line") {
  std::vector<std::string> lines;
  for (int i = 1; i <= n; ++i)
    lines.push_back(prefix + " " + std::to_string(i));
  return lines;
}

bool IsBlue(QRgb c) {
  return qBlue(c) > 160 && qRed(c) < 120 && qGreen(c) < 120;
}
bool IsDark(QRgb c) {
  return qRed(c) < 110 && qGreen(c) < 110 && qBlue(c) < 110;
}

template <typename Pred>
int Count(const QImage& image, const QRect& r, Pred pred) {
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y) {
    for (int x = r.left(); x <= r.right(); ++x)
      n += pred(image.pixel(x, y)) ? 1 : 0;
  }
  return n;
}

}  // namespace

// Runs the main window on an installed program in a temporary base folder (bin, dic,
// dic_backup, txt_shift_jis); the test answers its dialogs.
class MainWindowTest : public QObject {
  Q_OBJECT

  testing::TempDir mDir;
  std::unique_ptr<MainWindow> mW;
  QStringList mMessages;
  QStringList mPlainMessages;
  int mAnswer = MessageDialog::kCancel;

  std::string DicPath() const { return mDir / "dic/Dic_EJ.txt"; }
  std::string Text(const std::string& name, const std::vector<std::string>& lines) {
    const std::string path = mDir / ("txt_shift_jis/" + name);
    WriteBytes(path, SjisLines(lines));
    return path;
  }
  MainWindow& Start(const std::string& commandLine = {}) {
    mW = std::make_unique<MainWindow>(ProgramPaths::FromProgramFile(mDir / "bin/Kelmoa"),
                                      commandLine);
    mW->MsgDialog().SetResponder([this](const QString& msg, int) {
      mMessages << msg;
      return mAnswer;
    });
    mW->SetPlainMessageResponder([this](const QString& msg) { mPlainMessages << msg; });
    return *mW;
  }
  // Started and activated with a small dictionary.
  MainWindow& Ready(const std::string& commandLine = {}) {
    WriteBytes(DicPath(),
               SjisLines({"dog\t犬", "dog\tいぬ", "run\t走る", "run\t運営する", "the\tその"}));
    Start(commandLine).ActivateFirstTime();
    return *mW;
  }
  void Open(const std::string& path) {
    mW->mTextFilePath = path;
    mW->OpenTextFile();
  }

  int Pitch() const { return mW->mSetting.CharHeight + mW->mSetting.LineSpace; }
  int Lpp() const { return mW->mSetting.LinesPerPage; }
  const QImage& Page() const { return mW->mTextPane->Image(); }
  QScrollBar& VScroll() { return *mW->mScrollBar; }
  PictureBox& Popup() { return *mW->mPopupBox; }
  const StrList& Txt() const { return mW->Document().mTxt; }
  // The middle of the n-th occurrence of word in the text, in pane coordinates.
  QPointF At(const std::string& word, int occurrence = 1) const {
    const WordTable& t = mW->Document().words;
    for (int k = 1; k <= t.Count(); ++k) {
      if (t.Word(k) == U16(word) && --occurrence == 0) {
        const int top = (t.mWordLine[k] - mW->mScrollBar->value()) * Pitch() + 5;
        return QPointF((t.mWordX1[k] + t.mWordX2[k]) / 2.0, top + 7);
      }
    }
    return {};
  }
  void Hover(QPointF p) { mW->HoverAt(p.x(), p.y()); }

 private slots:
  void initTestCase() { RegisterFontSubstitutions(); }

  void init() {
    testing::MakeDataFolders(mDir.path());
    mMessages.clear();
    mPlainMessages.clear();
    mAnswer = MessageDialog::kCancel;
  }

  void cleanup() {
    mW.reset();
    for (const auto& entry : std::filesystem::directory_iterator(mDir.path())) {
      std::filesystem::remove_all(entry.path());
    }
  }

  // ---- start-up ----------------------------------------------------------------------------

  void aMissingDataFolderEndsTheRunSilentlyWithALogLine() {
    std::filesystem::remove(mDir / "dic_backup");
    const std::string program = mDir / "bin/Kelmoa";
    std::filesystem::copy_file(KELMOA_PROGRAM_PATH, program);
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    QProcess process;
    process.start(QString::fromStdString(program), {});
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(std::regex_match(
        ReadBytes(mDir / "bin/Kelmoa.log"),
        std::regex(R"(\d\d:\d\d:\d\d log start\r\n\d\d:\d\d:\d\d dic_backup\r\n)")));
  }

  void aDictionaryThatCannotBeUsedIsReportedAndEndsTheProgram() {
    QSignalSpy ended(&Start(), &MainWindow::programEnded);
    mW->ActivateFirstTime();
    const QString path = QString::fromStdString(DicPath());
    QCOMPARE(mMessages, QStringList{"辞書ファイルが見つかりません。\n\n  " + path +
                                    "\n\nプログラムを終了します。"});
    QCOMPARE(ended.count(), 1);

    WriteBytes(DicPath(), "dog\t犬\r\n");  // UTF-8
    mMessages.clear();
    QSignalSpy endedAgain(&Start(), &MainWindow::programEnded);
    mW->ActivateFirstTime();
    QCOMPARE(mMessages,
             QStringList{"辞書ファイルの文字コードがShift_JIS以外になっています。\n  " + path +
                         "\n  文字コード＝UTF8\n辞書ファイルを開き，文字コードをShift_"
                         "JIS(ANSI)にして保存してください。"});
    QCOMPARE(endedAgain.count(), 1);
    QVERIFY(mW->mPaneLines.isEmpty());  // nothing was written into the pane
  }

  // A file on the command line that cannot be opened is named with the reason in Japanese, and
  // the greeting follows; nothing is loaded. The command line is taken whole as one path
  // (quotes and all); a relative or hidden one opens like any other.
  void aCommandLineFileThatCannotBeOpenedIsNamedWithItsReason() {
    const std::string fifo = mDir / "txt_shift_jis/pipe.txt";
    const std::string text = Text("my text.txt", {"the dog"});
    const std::string locked = Text("locked.txt", {"the dog"});
    struct Case {
      std::string path;
      QString reason;
    };
    std::vector<Case> cases = {
        {"\"" + text + "\"", "ファイルが見つかりません"},
        {text + "/x.txt", "ファイルが見つかりません"},
        {mDir / "txt_shift_jis", "フォルダです"},
        {fifo, "通常のファイルではありません（名前付きパイプ）"},
        {"/dev/null", "通常のファイルではありません（デバイス）"},
    };
    // The superuser reads any file: there the locked file opens.
    if (::geteuid() != 0)
      cases.push_back({locked, "読み取りの許可がありません"});
    QCOMPARE(::mkfifo(fifo.c_str(), 0644), 0);
    ::chmod(locked.c_str(), 0);
    for (const Case& c : cases) {
      mMessages.clear();
      Ready(c.path);  // a pipe without a writer does not hold the window
      QCOMPARE(mMessages, QStringList{"このテキストファイルを開けませんでした。\n    ファイル名＝" +
                                      QString::fromStdString(c.path) + "\n    理由＝" + c.reason});
      QVERIFY(!mW->Session().HasText());
      QCOMPARE(mW->mPaneLines.size(), 3 + 12);  // the greeting
    }
    mMessages.clear();
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(mDir / "txt_shift_jis");
    Ready("my text.txt");
    std::filesystem::current_path(here);
    QCOMPARE(mW->windowTitle(), QStringLiteral("my text.txt - Kelmoa Ver1.1.1"));
    QCOMPARE(mW->mTextFilePath, text);
    Ready(Text(".hidden.txt", {"the dog"}));
    QVERIFY(mMessages.isEmpty());
    // A file re-read that has gone meanwhile gets the same words; the shown text stays.
    std::filesystem::remove(mDir / "txt_shift_jis/.hidden.txt");
    mW->ReopenText();
    QVERIFY(mMessages.takeFirst().endsWith("理由＝ファイルが見つかりません"));
    QCOMPARE(Txt(), (StrList{u"", u"the dog"}));
  }

  // A file or a folder this user may not read is named as such. The superuser reads anything,
  // so there the reasons are asked for by a child that has given up its rights.
  void aFileThatMayNotBeReadIsNamedAsSuch() {
    const std::string base = mDir / "perm";
    std::filesystem::create_directories(base + "/closed");
    WriteBytes(base + "/locked.txt", "the dog\r\n");
    WriteBytes(base + "/closed/inside.txt", "the dog\r\n");
    ::chmod(mDir.path().c_str(), 0755);
    ::chmod(base.c_str(), 0755);
    ::chmod((base + "/locked.txt").c_str(), 0);
    ::chmod((base + "/closed").c_str(), 0);
    const auto reasonsMatch = [&] {
      return TextFileProblem(base + "/locked.txt") == u"読み取りの許可がありません" &&
             TextFileProblem(base + "/closed/inside.txt") ==
                 u"ファイルのあるフォルダを開く許可がありません";
    };
    if (::geteuid() != 0) {
      QVERIFY(reasonsMatch());
    } else {
      const pid_t child = ::fork();
      QVERIFY(child >= 0);
      if (child == 0) {
        const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
        ::_exit(dropped && reasonsMatch() ? 0 : 1);
      }
      int status = 0;
      QCOMPARE(::waitpid(child, &status, 0), child);
      QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ::chmod((base + "/closed").c_str(), 0755);
  }

  // ---- the open routine --------------------------------------------------------------------

  void aGoodFileIsShownFromItsFirstLine() {
    MainWindow& w = Ready();
    QVERIFY(!w.mEditTextButton->isEnabled() && !w.mReopenButton->isEnabled() &&
            !w.mSpeakBox->isEnabled());
    Open(Text("long.txt", Lines(Lpp() + 10)));
    VScroll().setValue(5);
    Open(Text("story.txt", Lines(Lpp() + 10, "the dog")));
    QVERIFY(w.mEditTextButton->isEnabled() && w.mReopenButton->isEnabled() &&
            w.mSpeakBox->isEnabled());
    QCOMPARE(w.windowTitle(), QStringLiteral("story.txt - Kelmoa Ver1.1.1"));
    QCOMPARE(VScroll().value(), 1);
    QCOMPARE(VScroll().maximum(), 11);
  }

  void aRejectedFileLeavesThePreviousTextWhole() {
    MainWindow& w = Ready();
    const std::string good = Text("good.txt", {"the dog runs", "fast"});
    Open(good);
    const QImage before = Page();
    const auto checkUnchanged = [&] {
      QCOMPARE(w.mTextFilePath, good);
      QCOMPARE(w.windowTitle(), QStringLiteral("good.txt - Kelmoa Ver1.1.1"));
      QCOMPARE(Txt(), (StrList{u"", u"the dog runs", u"fast"}));
      w.DrawPage();  // the next redraw still shows the text
      QCOMPARE(Page(), before);
    };

    WriteBytes(mDir / "txt_shift_jis/utf8.txt", "日本語の文章です。\r\n");
    std::string wide;  // 51 double-byte characters: 102 bytes
    for (int i = 0; i < 51; ++i)
      wide += "あ";
    const std::pair<std::string, QString> rejected[] = {
        {mDir / "txt_shift_jis/utf8.txt", Shown(MsgNotShiftJis(u"utf8.txt", u"UTF8"))},
        {Text("wide.txt", {"short", wide}), Shown(WithQuestion(MsgLineTooLong(2, 102)))},
        {mDir / "txt_shift_jis/gone.txt", "理由＝ファイルが見つかりません"},
        {mDir / "txt_shift_jis", "理由＝フォルダです"},
    };
    for (const auto& [path, message] : rejected) {
      Open(path);
      QVERIFY2(mMessages.size() == 1 && mMessages.takeFirst().endsWith(message), path.c_str());
      checkUnchanged();
    }
    Hover(At("dog"));  // the pointer still finds the words
    QVERIFY(!Popup().isHidden());

    WriteBytes(good, SjisLines({"new content"}));
    w.ReopenText();  // loads the last good file again
    QCOMPARE(Txt(), (StrList{u"", u"new content"}));
  }

  void okInTheRejectionDialogOpensTheRejectedFileInTheEditor() {
    MainWindow& w = Ready();
    const std::string marker = mDir / "editor-args.txt";
    const std::string editor = mDir / "bin/editor.sh";
    WriteBytes(editor, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + marker + ".tmp\"\nmv \"" + marker +
                           ".tmp\" \"" + marker + "\"\n");
    std::filesystem::permissions(editor, std::filesystem::perms::owner_all);
    w.mSetting.TextEditor = U16(editor);
    w.mSettingsDialog->FillFields(w.mSetting);
    Open(Text("good.txt", {"the dog"}));
    const std::string bad = Text("bad.txt", {std::string(120, 'x')});
    mAnswer = MessageDialog::kOK;
    Open(bad);
    QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(marker), 10000);
    QCOMPARE(ReadBytes(marker), bad + "\n");
    QCOMPARE(w.mTextFilePath, mDir / "txt_shift_jis/good.txt");

    const std::string notAProgram = mDir / "bin/editor.txt";
    WriteBytes(notAProgram, "plain text\n");
    w.mSetting.TextEditor = U16(notAProgram);
    w.mSettingsDialog->FillFields(w.mSetting);
    w.EditTextInEditor();
    QCOMPARE(mPlainMessages.size(), 1);
    QVERIFY(mPlainMessages.first().startsWith(
        "テキストエディタを起動できませんでした。\r\n    エディタ＝" +
        QString::fromStdString(notAProgram)));
  }

  void aDroppedFileIsOpenedAndOtherDropsAreIgnored() {
    MainWindow& w = Ready();
    const std::string text = Text("dropped.txt", {"the dog"});
    QMimeData file;
    file.setUrls({QUrl::fromLocalFile(QString::fromStdString(text))});
    QMimeData words;
    words.setText(QStringLiteral("some words"));
    for (QMimeData* mime : {&words, &file}) {
      // A drop reaches the widget that accepted the drag when it entered.
      QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, mime, Qt::LeftButton, {});
      QApplication::sendEvent(w.mTextPane, &enter);
      QCOMPARE(enter.isAccepted(), mime == &file);
      QDropEvent drop(QPointF(100, 100), Qt::CopyAction, mime, Qt::LeftButton, {});
      QApplication::sendEvent(w.mTextPane, &drop);
    }
    QCOMPARE(w.windowTitle(), QStringLiteral("dropped.txt - Kelmoa Ver1.1.1"));
    QVERIFY(mMessages.isEmpty());
  }

  // A NUL or another control character draws as a blank and ends the word before it; the
  // rest of the line is drawn and its words are found.
  void aNulInALineHidesNothingAfterIt() {
    MainWindow& w = Ready();
    Open(Text("nul.txt", {std::string("the cat\0dog\x01runs", 16), "next"}));
    QVERIFY(mMessages.isEmpty());
    const TextDocument& d = w.Document();
    QCOMPARE(GetLineLen(d.mChr, 1), 16);
    const auto cell = [&](int col, int len) {
      return QRect(d.mChrX(1, col), 5, d.mChrX(1, col + len) - d.mChrX(1, col), 14);
    };
    QCOMPARE(Count(Page(), cell(8, 1), IsDark), 0);    // the NUL: a blank
    QVERIFY(Count(Page(), cell(9, 3), IsBlue) > 10);   // dog, known, after it
    QVERIFY(Count(Page(), cell(13, 4), IsBlue) > 10);  // runs, after the other control
    Hover(At("runs"));
    QVERIFY(!Popup().isHidden());
    QCOMPARE(w.mPrevHoverWord, std::u16string(u"runs"));
  }

  // ---- fitting the window and scrolling ----------------------------------------------------

  // Up/Down move a line, PageUp/PageDown a page less one line, Ctrl+Home/Ctrl+End to the ends,
  // from whichever control has the focus; nothing while the whole text is on the page.
  void theKeysScrollByLinePageAndToTheEnds() {
    MainWindow& w = Ready();
    Open(Text("long.txt", Lines(Lpp() * 3)));  // maximum 2 * Lpp + 1
    const int last = 2 * Lpp() + 1;
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    struct Step {
      QWidget* target;
      Qt::Key key;
      Qt::KeyboardModifiers mods;
      int expected;
    };
    const Step steps[] = {
        {w.mFocusSink, Qt::Key_Down, Qt::NoModifier, 2},
        {w.mFocusSink, Qt::Key_Up, Qt::NoModifier, 1},
        {w.mOpenTextButton, Qt::Key_PageDown, Qt::NoModifier, Lpp()},
        {w.mSpeakBox, Qt::Key_PageDown, Qt::NoModifier, 2 * Lpp() - 1},
        {w.mFocusSink, Qt::Key_PageDown, Qt::NoModifier, last},  // clamped at the end
        {w.mFocusSink, Qt::Key_PageUp, Qt::NoModifier, last - (Lpp() - 1)},
        {w.mEndButton, Qt::Key_Home, Qt::ControlModifier, 1},
        {w.mFocusSink, Qt::Key_End, Qt::ControlModifier, last},
    };
    for (const Step& step : steps) {
      QTest::keyClick(step.target, step.key, step.mods);
      QCOMPARE(VScroll().value(), step.expected);
    }
    Open(Text("short.txt", Lines(3)));
    w.ScrollByKey(MainWindow::ScrollKey::kPageDown);
    w.ScrollByKey(MainWindow::ScrollKey::kBottom);
    QCOMPARE(VScroll().value(), 1);
  }

  // The window's frame, caption and all, stands on the screen when the text widens it: also
  // when the window system has put the inside of the window at the top instead of its frame.
  void theCaptionStaysOnTheScreen() {
    MainWindow& w = Ready();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.frameGeometry().top(), 0);
    Open(Text("wide.txt", {std::string(100, 'x')}));
    QVERIFY(w.width() > 561);
    QTRY_COMPARE(w.frameGeometry().top(), 0);
    const QMargins frame(w.geometry().left() - w.frameGeometry().left(),
                         w.geometry().top() - w.frameGeometry().top(), 0, 0);
    QVERIFY(frame.top() > 0);  // the offscreen window system draws a frame too
    // The inside where the frame was to stand: the stored left edge, the screen's top.
    const QPoint placed(w.mSetting.FormLeft, 0);
    w.setGeometry(QRect(placed, w.size()));
    QTRY_COMPARE(w.frameGeometry().topLeft(), placed);
    QCOMPARE(w.geometry().topLeft(), placed + QPoint(frame.left(), frame.top()));
    // A window the user has moved elsewhere stays where it is.
    w.move(50, 40);
    QTRY_COMPARE(w.frameGeometry().topLeft(), QPoint(50, 40));
  }

  void theWheelScrollsFiveLinesOrTenWithCtrlWhileTheBarShows() {
    MainWindow& w = Ready();
    w.WheelRoll(-120, Qt::NoModifier);  // no text
    QCOMPARE(VScroll().value(), 1);
    Open(Text("long.txt", Lines(Lpp() + 30)));  // maximum 31
    const auto roll = [&](int delta, Qt::KeyboardModifiers keys, int expected) {
      w.WheelRoll(delta, keys);
      QCOMPARE(VScroll().value(), expected);
    };
    roll(-120, Qt::ControlModifier, 11);
    roll(120, Qt::NoModifier, 6);
    roll(-360, Qt::NoModifier, 11);  // notches folded into one event move one step
    roll(-60, Qt::NoModifier, 11);   // half a notch waits for the other half
    roll(-60, Qt::NoModifier, 16);
    roll(-60, Qt::NoModifier, 16);
    roll(60, Qt::NoModifier, 16);  // a turn back starts afresh
    roll(-120, Qt::ControlModifier, 26);
    roll(-120, Qt::ControlModifier, 31);
    roll(-120, Qt::NoModifier, 31);  // clamped at the end
    VScroll().setValue(3);
    roll(120, Qt::ControlModifier, 1);  // clamped at the top
    // Over the window and over the scroll bar alike.
    QWheelEvent down(QPointF(100, 100), QPointF(100, 100), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&w, &down);
    QCOMPARE(VScroll().value(), 6);
    QApplication::sendEvent(&VScroll(), &down);
    QCOMPARE(VScroll().value(), 11);

    Open(Text("short.txt", Lines(3)));
    roll(-120, Qt::NoModifier, 1);
  }

  // ---- hover popup -------------------------------------------------------------------------

  void aKnownWordShowsItsMeaningsBelowItsLine() {
    MainWindow& w = Ready();
    Hover(QPointF(60, 40));  // no text yet: nothing happens
    QVERIFY(Popup().isHidden());
    Open(Text("t.txt", {"the dog runs"}));
    // A real pointer move over the pane reaches the handler.
    QMouseEvent move(QEvent::MouseMove, At("dog"), w.mTextPane->mapToGlobal(At("dog")),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w.mTextPane, &move);
    QVERIFY(!Popup().isHidden());
    QVERIFY(Popup().y() > At("dog").y());         // below the word's line
    QCOMPARE(Popup().height(), 2 * Pitch() + 5);  // 犬, いぬ
    QVERIFY(Count(Popup().Image(), QRect(4, 3 + Pitch(), 26, Pitch()), IsDark) > 10);

    Hover(At("runs"));  // found through its base form: the head word on a line of its own
    QCOMPARE(Popup().height(), 3 * Pitch() + 5);
  }

  void movingWithinAWordOrOntoTheSameWordChangesNothing() {
    Ready();
    Open(Text("t.txt", {"the dog", "dog the"}));
    Hover(At("dog"));
    const QRect shown = Popup().geometry();
    Hover(At("dog") + QPointF(-6, 3));
    QCOMPARE(Popup().geometry(), shown);
    Hover(At("dog", 2));  // straight onto the other "dog": the popup stays at the first
    QCOMPARE(Popup().geometry(), shown);
    Hover(At("the", 2));
    QVERIFY(Popup().geometry() != shown);
  }

  void noWordOrAnUnknownWordHidesThePopup() {
    Ready();
    Open(Text("t.txt", {"the cat and the dog"}));
    const QPointF dog = At("dog");
    for (const QPointF p :
         {At("cat"), QPointF(20, dog.y()), QPointF(dog.x(), 3), QPointF(dog.x(), 5 + Pitch())}) {
      Hover(dog);
      QVERIFY(!Popup().isHidden());
      Hover(p);  // unknown word, line-number column, top margin, below the last line
      QVERIFY(Popup().isHidden());
      QVERIFY(mW->mPrevHoverWord.empty());
    }
  }

  // The popup goes when the words move or the pointer is elsewhere: a scroll by bar, wheel or
  // key, another text, the pointer leaving the pane, another window becoming active. The
  // pointer passes through it to the lines it covers.
  void thePopupGoesWhenTheWordUnderThePointerMayHaveChanged() {
    MainWindow& w = Ready();
    const std::string text = Text("t.txt", Lines(Lpp() + 30, "the dog runs"));
    Open(text);
    QVERIFY(Popup().testAttribute(Qt::WA_TransparentForMouseEvents));
    const std::function<void()> hiders[] = {
        [&] { VScroll().setValue(VScroll().value() + 1); },
        [&] { w.WheelRoll(-120, Qt::NoModifier); },
        [&] { w.ScrollByKey(MainWindow::ScrollKey::kLineDown); },
        [&] { Open(text); },
        [&] {
          QEvent leave(QEvent::Leave);
          QApplication::sendEvent(w.mTextPane, &leave);
        },
        [&] {
          QEvent deactivate(QEvent::WindowDeactivate);
          QApplication::sendEvent(&w, &deactivate);
        },
    };
    int i = 0;
    for (const auto& hide : hiders) {
      VScroll().setValue(1);
      Hover(At("dog"));
      QVERIFY(!Popup().isHidden());
      hide();
      QVERIFY2(Popup().isHidden(), QByteArray::number(i));
      QVERIFY(w.mPrevHoverWord.empty());
      ++i;
    }
    // Over the popup, the pane is what the pointer finds: a move there reaches the pane's
    // hit test and hides the popup over a line without a known word under the pointer.
    VScroll().setValue(1);
    Hover(At("dog"));
    const QPoint inside = Popup().geometry().center();
    QCOMPARE(w.mTextPane->childAt(inside), nullptr);
    QVERIFY(w.mTextPane->rect().contains(inside));
  }

  // ---- page drawing ------------------------------------------------------------------------

  void knownWordsAreBlueAndEveryCharacterStandsAtItsGridPosition() {
    MainWindow& w = Ready();
    // Double-byte characters advance FullWidth, the rest HalfWidth, whatever the glyphs' own
    // widths (IPAGothic draws single-byte glyphs 6.5 pixels wide at this size).
    const std::u16string line = U16("the cat ああ今日 (A1) runs.");
    Open(Text("t.txt", {Utf16ToUtf8(line)}));
    const TextDocument& d = w.Document();
    const auto cell = [&](int col, int len) {
      return QRect(d.mChrX(1, col), 5, d.mChrX(1, col + len) - d.mChrX(1, col), 14);
    };
    QVERIFY(Count(Page(), cell(1, 3), IsBlue) > 10);  // the
    QVERIFY(Count(Page(), cell(5, 3), IsDark) > 10);  // cat
    QCOMPARE(d.mChrX(1, 11) - d.mChrX(1, 10), w.mSetting.FullWidth);

    QImage expected(Page().size(), QImage::Format_RGB32);
    expected.fill(Qt::white);
    QPainter painter(&expected);
    painter.setFont(w.mPaneFont);
    for (int c = 1; c <= static_cast<int>(line.size()); ++c) {
      painter.setPen(d.mChrColor(1, c) == kColorBlue ? Qt::blue : Qt::black);
      painter.drawText(QPointF(d.mChrX(1, c), 5 + QFontMetrics(w.mPaneFont).ascent()),
                       QString(QChar(line[c - 1])));
    }
    painter.end();
    const QRect text(47, 0, Page().width() - 47, Pitch() + 5);
    QCOMPARE(Page().copy(text), expected.copy(text));
  }

  void aFullLineIsDrawnWholeAndScrollingShowsLaterLines() {
    Ready();
    std::vector<std::string> lines = Lines(Lpp() + 5, "x");
    lines[5] = std::string(99, 'x') + "W";
    Open(Text("t.txt", lines));
    const int lastX = mW->Document().mChrX(6, 100);
    const QRect last(lastX, 5 * Pitch() + 5, 7, 14);
    QVERIFY(Count(Page(), last, IsDark) > 5);
    VScroll().setValue(6);  // line 6 stands first
    QVERIFY(Count(Page(), QRect(lastX, 5, 7, 14), IsDark) > 5);
    QCOMPARE(Count(Page(), last, IsDark), 0);
  }

  void theConvertButtonOpensAPreparedCopyAndLeavesTheTextAlone() {
    MainWindow& w = Ready();
    Open(Text("good.txt", {"the dog"}));
    mAnswer = MessageDialog::kConvert;
    // A UTF-8 text from elsewhere: typographic characters and a paragraph on one line.
    std::filesystem::create_directories(mDir / "elsewhere");
    std::string paragraph = "The dog\u2019s caf\u00e9 \u2014";
    for (int i = 0; i < 20; ++i)
      paragraph += " the dog runs";
    const std::string story = mDir / "elsewhere/story.md";
    WriteBytes(story, paragraph + "\n\nEnd.\n");
    Open(story);
    QCOMPARE(mMessages.takeFirst(), Shown(MsgNotShiftJis(u"story.md", u"UTF8")));
    QVERIFY(!w.MsgDialog().ConvertButton().isHidden());
    QCOMPARE(w.mTextFilePath, mDir / "txt_shift_jis/story.txt");
    QCOMPARE(w.windowTitle(), QStringLiteral("story.txt - Kelmoa Ver1.1.1"));
    QCOMPARE(Txt()[1].substr(0, 32), u"The dog's cafe -- the dog runs t");
    QVERIFY(UpperBound(Txt()) > 3);  // the paragraph is wrapped
    QCOMPARE(ReadBytes(story), paragraph + "\n\nEnd.\n");
    QVERIFY(mMessages.isEmpty());
    Hover(At("dog"));  // the copy's words are known words like any text's
    QVERIFY(!Popup().isHidden());

    // The same text again: the name is taken, so the copy gets the next free one.
    Open(story);
    mMessages.clear();
    QCOMPARE(w.mTextFilePath, mDir / "txt_shift_jis/story (2).txt");

    // Too many lines: split into parts, the first of which is opened.
    Open(Text("many.txt", Lines(9500)));
    QCOMPARE(mMessages.takeFirst(), Shown(WithQuestion(MsgTooManyLines())));
    QCOMPARE(w.windowTitle(), QStringLiteral("many-1.txt - Kelmoa Ver1.1.1"));
    QCOMPARE(UpperBound(Txt()), kMaxLines);
    QCOMPARE(ReadBytes(mDir / "txt_shift_jis/many-2.txt").substr(0, 11), "line 9001\r\n");

    // Bytes no code explains: no button; its answer counts as Cancel.
    WriteBytes(mDir / "elsewhere/binary.txt", "ab\xE3");
    Open(mDir / "elsewhere/binary.txt");
    QCOMPARE(mMessages.takeFirst(), Shown(MsgNotShiftJis(u"binary.txt", u"NONE")));
    QVERIFY(w.MsgDialog().ConvertButton().isHidden());
    QCOMPARE(w.windowTitle(), QStringLiteral("many-1.txt - Kelmoa Ver1.1.1"));
    QVERIFY(!std::filesystem::exists(mDir / "txt_shift_jis/binary.txt"));

    // A copy that cannot be written: a message, and the text shown stays.
    std::filesystem::rename(mDir / "txt_shift_jis", mDir / "moved");
    Open(story);
    mMessages.removeFirst();
    QCOMPARE(mMessages.size(), 1);
    QVERIFY(mMessages.takeFirst().startsWith(
        "変換したテキストファイルを保存できませんでした。\n    ファイル名＝" +
        QString::fromStdString(mDir / "txt_shift_jis/story.txt") + "\n    理由＝"));
    QCOMPARE(w.mTextFilePath, mDir / "txt_shift_jis/many-1.txt");
    QCOMPARE(UpperBound(Txt()), kMaxLines);
    std::filesystem::rename(mDir / "moved", mDir / "txt_shift_jis");
  }
};

}  // namespace kelmoa

QTEST_MAIN(kelmoa::MainWindowTest)
#include "main_window_test.moc"
