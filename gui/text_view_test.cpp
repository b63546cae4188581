// Tests of the text view by real events: drawing, the popup, scrolling, hover adding, drops.
#include "gui/text_view.h"

#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <functional>

#include "core/base/fixtures_test.h"
#include "gui/meaning_popup.h"
#include "gui/picture_box.h"
#include "gui/window_fixtures_test.h"
#include "gui/window_helpers.h"

Q_DECLARE_METATYPE(kelmoa::AddedBy)
Q_DECLARE_METATYPE(std::string)

namespace kelmoa {
namespace {

using testing::SendMouse;
using testing::SjisLines;
using testing::WriteBytes;

}  // namespace

// The text view in a window of its own, beside a button, over a reading session on a
// temporary base folder; driven by real mouse, wheel and key events.
class TextViewTest : public QObject {
  Q_OBJECT

  testing::TempDir mDir;
  std::unique_ptr<ReadingSession> mSession;
  SettingInfo mSetting;
  std::unique_ptr<QWidget> mWindow;  // goes before the session it shows
  TextView* mView = nullptr;
  QPushButton* mButton = nullptr;

  std::string DicPath() const { return mDir / "dic/Dic_EJ.txt"; }
  std::string Text(const std::string& name, const std::vector<std::string>& lines) {
    return testing::WriteSampleText(mDir, name, lines);
  }
  TextView& Ready(const std::vector<std::string>& dic = {"dog\t犬", "dog\tいぬ", "run\t走る",
                                                         "the\tその"}) {
    WriteBytes(DicPath(), SjisLines(dic));
    mWindow.reset();
    mSession = std::make_unique<ReadingSession>(mDir.path());
    (void)mSession->LoadDictionary();
    SettingInfo max;
    SetDefaultSettings(1024, mSetting, max);
    mWindow = std::make_unique<QWidget>();
    mButton = new QPushButton(QStringLiteral("button"), mWindow.get());
    mView = new TextView(*mSession, mSetting, mWindow.get());
    mView->move(0, 20);
    mView->Resize(561, 400);
    mView->TakeFontSize(mSetting);
    return *mView;
  }
  // Opens the text as the main window does: laid out, fitted, its first page drawn.
  void Open(const std::string& path) {
    const OpenResult opened = mSession->Open(path, mSetting);
    QVERIFY(opened.ok());
    mWindow->resize(mView->FitToText(opened.maxRight), 420);
    mView->ScrollTo(1);
  }
  QPointF At(const std::string& word, int n = 1) const {
    return testing::WordMiddle(mSession->Document(), mSetting, mView->FirstLine(), word, n);
  }
  void Hover(QPointF p) { SendMouse(mView->Pane(), QEvent::MouseMove, p); }
  // A pointer move off every word, then onto p: the popup is built anew.
  void HideAndHover(QPointF p) {
    Hover({1, 1});
    Hover(p);
  }
  bool PopupShown() const { return !mView->Popup().isHidden(); }
  void ShowWindow() {
    mWindow->show();
    mWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(mWindow.get()));
  }

 private slots:
  void initTestCase() {
    RegisterFontSubstitutions();
    qRegisterMetaType<AddedBy>();
    qRegisterMetaType<std::string>();
  }
  void init() { testing::MakeDataFolders(mDir.path()); }
  void cleanup() {
    mWindow.reset();
    mSession.reset();
    for (const auto& entry : std::filesystem::directory_iterator(mDir.path()))
      std::filesystem::remove_all(entry.path());
  }

  // Over every word of a text, the popup draws exactly the lines `kelmoa-tool popup` prints for
  // that word's line and column: forms whose own entry names their base, look-alikes of
  // another word class, a negated word, words without a popup.
  void thePopupShowsWhatKelmoaToolPopupPrints() {
    Ready({"minute\t①【名】分", "minutes\t①【minuteの複数】分", "minutes\t②【名】議事録",
           "sai\t①【名】才", "say\t①【他】言う", "smile\t①【自】ほほえむ", "the\t①【冠】その",
           "us\t①【代】私たちを", "use\t①【他】使う", "used\t①【useの過去】使った"});
    const std::string text = Text("popup.txt", {"He said the minutes were", "used, unsmiling."});
    Open(text);
    const WordTable& t = mSession->Document().words;
    PictureBox fromTool(&mView->Pane(), mView->Popup().Background());
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

      const QString word = Q(t.Word(k));
      HideAndHover(At(word.toStdString()));
      QVERIFY2(PopupShown() != toolLines.empty(), qPrintable(word + ": " + printed));
      if (toolLines.empty())
        continue;
      ++withPopup;
      ShowMeaningPopup(fromTool, toolLines, 0, 0, PageGeometry::Of(mSetting).pitch,
                       mView->Pane().font());
      QVERIFY2(fromTool.Image() == mView->Popup().Image(), qPrintable(word));
    }
    QCOMPARE(withPopup, 4);  // the, minutes, used, unsmiling; said reaches only the noun sai
  }

  // A NUL or another control character draws as a blank; the rest of the line is drawn.
  void aNulInALineHidesNothingAfterIt() {
    Ready();
    Open(Text("nul.txt", {std::string("the cat\0dog\x01runs", 16), "next"}));
    const TextDocument& d = mSession->Document();
    const auto cell = [&](int col, int len) {
      return QRect(d.mChrX(1, col), 5, d.mChrX(1, col + len) - d.mChrX(1, col), 14);
    };
    const QImage& page = mView->Pane().Image();
    QCOMPARE(testing::CountPixels(page, cell(8, 1), testing::IsDark), 0);   // the NUL: a blank
    QVERIFY(testing::CountPixels(page, cell(9, 3), testing::IsBlue) > 10);  // dog, known
  }

  // Up/Down move a line, PageUp/PageDown a page less one line, Ctrl+Home/Ctrl+End to the ends,
  // from whichever control of the window has the focus; the wheel 5 lines a notch, 10 with
  // Ctrl, also in parts of a notch.
  void theKeysAndTheWheelScroll() {
    Ready();
    Open(Text("long.txt", testing::NumberedLines(mSetting.LinesPerPage * 3, "line")));
    ShowWindow();
    const int lpp = mSetting.LinesPerPage;
    const int last = 2 * lpp + 1;
    // Sent to the view: Qt passes a wheel event the pane leaves on to it only when it comes
    // from the window system.
    const auto wheel = [this](int delta, Qt::KeyboardModifiers mods) {
      QWheelEvent event(QPointF(100, 100), mView->mapToGlobal(QPointF(100, 100)), {},
                        QPoint(0, delta), Qt::NoButton, mods, Qt::NoScrollPhase, false);
      QApplication::sendEvent(mView, &event);
    };
    const std::function<void()> steps[] = {
        [&] { QTest::keyClick(mButton, Qt::Key_Down); },
        [&] { QTest::keyClick(mButton, Qt::Key_Up); },
        [&] { QTest::keyClick(mButton, Qt::Key_PageDown); },
        [&] { QTest::keyClick(&mView->Pane(), Qt::Key_PageDown); },
        [&] { QTest::keyClick(mButton, Qt::Key_PageDown); },  // clamped at the end
        [&] { QTest::keyClick(mButton, Qt::Key_Home, Qt::ControlModifier); },
        [&] { wheel(-120, Qt::NoModifier); },
        [&] { wheel(-120, Qt::ControlModifier); },
        [&] { wheel(60, Qt::NoModifier); },  // half a notch: nothing yet
        [&] { wheel(60, Qt::NoModifier); },
        [&] { QTest::keyClick(mButton, Qt::Key_End, Qt::ControlModifier); },
    };
    const int expected[] = {2, 1, lpp, 2 * lpp - 1, last, 1, 6, 16, 16, 11, last};
    for (size_t i = 0; i < std::size(steps); ++i) {
      steps[i]();
      QVERIFY2(mView->FirstLine() == expected[i], QByteArray::number(static_cast<int>(i)));
    }
  }

  // The popup goes when the words move or the pointer is elsewhere: a scroll by bar, wheel or
  // key, another text, the pointer leaving the pane, a move onto no known word. The pointer
  // passes through it to the lines it covers.
  void thePopupGoesWhenTheWordUnderThePointerMayHaveChanged() {
    Ready();
    const std::string text =
        Text("t.txt", testing::NumberedLines(mSetting.LinesPerPage + 30, "the dog runs cat"));
    Open(text);
    ShowWindow();
    Hover(At("dog"));
    QVERIFY(PopupShown());
    QVERIFY(mView->Popup().testAttribute(Qt::WA_TransparentForMouseEvents));
    QCOMPARE(mView->Pane().childAt(mView->Popup().geometry().center()), nullptr);

    QScrollBar& bar = *mView->findChild<QScrollBar*>();
    const std::pair<const char*, std::function<void()>> hiders[] = {
        {"bar", [&] { bar.setValue(bar.value() + 1); }},
        {"wheel",
         [&] {
           QWheelEvent event(QPointF(9, 9), QPointF(9, 9), {}, QPoint(0, -120), Qt::NoButton, {},
                             Qt::NoScrollPhase, false);
           QApplication::sendEvent(mView, &event);
         }},
        {"key", [&] { QTest::keyClick(mButton, Qt::Key_Down); }},
        {"another text", [&] { Open(text); }},
        {"unknown word", [&] { Hover(At("cat")); }},
        {"line numbers", [&] { Hover(QPointF(20, At("dog").y())); }},
        {"leave",
         [&] {
           QEvent leave(QEvent::Leave);
           QApplication::sendEvent(&mView->Pane(), &leave);
         }},
    };
    for (const auto& [name, hide] : hiders) {
      mView->ScrollTo(1);
      Hover(At("dog"));  // the same word as before: shown anew
      QVERIFY2(PopupShown(), name);
      hide();
      QVERIFY2(!PopupShown(), name);
    }
  }

  // With HoverAddsWord set, a popup that stays 2 seconds asks once to add its word; a moving
  // pointer waits anew; without it nothing is asked.
  void aPopupThatStaysAsksToAddItsWordOnce() {
    Ready({"dog\t犬", "cat\t猫"});
    Open(Text("t.txt", {"dog cat"}));
    QSignalSpy add(mView, &TextView::addWordAsked);
    Hover(At("dog"));
    mSetting.HoverAddsWord = true;
    Hover(At("cat"));
    Hover(At("cat") + QPointF(1, 0));
    QTRY_COMPARE_WITH_TIMEOUT(add.size(), 1, 5000);
    QCOMPARE(add[0][0].toInt(), 2);
    QCOMPARE(add[0][1].value<AddedBy>(), AddedBy::kHover);
    QTest::qWait(2500);
    QCOMPARE(add.size(), 1);
  }

  // A change of the session's dictionary marks and draws the words anew, and takes the popup
  // with the old meanings down; a word listed in 単語帳 comes onto the page with its popup.
  void aDictionaryChangeIsDrawnAtOnce() {
    Ready();
    std::vector<std::string> lines(300, "nothing here");
    lines[0] = "the zebra runs";
    lines[249] = "a dog sat";
    Open(Text("t.txt", lines));
    Hover(At("the"));
    QVERIFY(PopupShown());
    QVERIFY(!testing::DrawnBlue(mView->Pane().Image(), At("zebra")));
    QVERIFY(mSession->AddMeaning(u"zebra", u"シマウマ").ok());
    QVERIFY(!PopupShown());
    QVERIFY(testing::DrawnBlue(mView->Pane().Image(), At("zebra")));

    mView->ShowWordOnLine(250, u"dog");
    QVERIFY(mView->FirstLine() <= 250 && 250 < mView->FirstLine() + mSetting.LinesPerPage);
    QVERIFY(PopupShown());
  }

  // A file dropped onto the pane is named by its bytes (its address is percent-encoded), also
  // when they are not UTF-8; dragged text is ignored.
  void aDroppedFileKeepsItsBytes() {
    Ready();
    Open(Text("a.txt", {"the dog"}));
    QSignalSpy dropped(mView, &TextView::fileDropped);
    const std::string path = mDir / "txt_shift_jis/caf\xE9 \x82\xA0.txt";
    for (const bool file : {true, false}) {
      QMimeData mime;
      if (file)
        mime.setUrls({QUrl::fromEncoded("file://" +
                                        QByteArray::fromStdString(path).toPercentEncoding("/"))});
      else
        mime.setText(QStringLiteral("dragged text"));
      QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, {});
      QApplication::sendEvent(&mView->Pane(), &enter);
      QCOMPARE(enter.isAccepted(), file);
      QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, {});
      QApplication::sendEvent(&mView->Pane(), &drop);
    }
    QCOMPARE(dropped.size(), 1);
    QCOMPARE(dropped[0][0].value<std::string>(), path);
  }
};

}  // namespace kelmoa

QTEST_MAIN(kelmoa::TextViewTest)
#include "text_view_test.moc"
