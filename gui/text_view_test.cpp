// Tests of the text view by real events: drawing, the popup, scrolling, hover adding, drops.
#include "gui/text_view.h"

#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QUrl>
#include <functional>

#include "gui/picture_box.h"
#include "gui/window_fixtures_test.h"
#include "gui/window_helpers.h"

Q_DECLARE_METATYPE(kelmoa::AddedBy)
Q_DECLARE_METATYPE(std::string)

namespace kelmoa {

// The text view of a main window on a temporary base folder, driven by real mouse, wheel and key
// events; the keys come from one of the window's buttons as well as from the pane.
class TextViewTest : public testing::WindowTest {
  Q_OBJECT

  std::unique_ptr<MainWindow> mW;
  TextView* mView = nullptr;
  QPushButton* mButton = nullptr;

  void Ready() {
    WriteDictionary({"dog\t犬", "dog\tいぬ", "run\t走る", "the\tその"});
    mW = StartMainWindow();
    mW->ActivateFirstTime();
    mView = &mW->View();
    mButton = testing::Button(*mW, QStringLiteral("設定"));
  }
  void Open(const std::string& path) { mW->OpenTextFile(path); }
  QPointF At(const std::string& word) const { return WordOnPage(*mW, word); }
  int LinesPerPage() const { return mW->Setting().LinesPerPage; }
  void Hover(QPointF p) { testing::SendMouse(mView->Pane(), QEvent::MouseMove, p); }
  bool PopupShown() const { return !mView->Popup().isHidden(); }
  // A turn of the wheel over the view: Qt passes a wheel event the pane leaves on to the view
  // only when it comes from the window system.
  void Wheel(int delta, Qt::KeyboardModifiers mods = {}) {
    QWheelEvent event(QPointF(100, 100), mView->mapToGlobal(QPointF(100, 100)), {},
                      QPoint(0, delta), Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(mView, &event);
  }

 private slots:
  void initTestCase() {
    RegisterFontSubstitutions();
    qRegisterMetaType<AddedBy>();
    qRegisterMetaType<std::string>();
  }
  void init() { Reset(); }
  void cleanup() {
    mW.reset();
    Empty();
  }

  // A NUL or another control character draws as a blank; the rest of the line is drawn.
  void aNulInALineHidesNothingAfterIt() {
    Ready();
    Open(Text("nul.txt", {std::string("the cat\0dog\x01runs", 16), "next"}));
    const TextDocument& d = mW->Document();
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
    Open(Text("long.txt", std::vector<std::string>(LinesPerPage() * 3, "a line")));
    QVERIFY(testing::ShowActive(*mW));
    const int lpp = LinesPerPage(), last = 2 * lpp + 1;
    const auto key = [](QWidget* to, Qt::Key k, Qt::KeyboardModifiers mods = {}) {
      return [=] { QTest::keyClick(to, k, mods); };
    };
    const std::pair<std::function<void()>, int> steps[] = {
        {key(mButton, Qt::Key_Down), 2},
        {key(mButton, Qt::Key_Up), 1},
        {key(mButton, Qt::Key_PageDown), lpp},
        {key(&mView->Pane(), Qt::Key_PageDown), 2 * lpp - 1},
        {key(mButton, Qt::Key_PageDown), last},  // clamped at the end
        {key(mButton, Qt::Key_Home, Qt::ControlModifier), 1},
        {[&] { Wheel(-120); }, 6},
        {[&] { Wheel(-120, Qt::ControlModifier); }, 16},
        {[&] { Wheel(60); }, 16},  // half a notch: nothing yet
        {[&] { Wheel(60); }, 11},
        {key(mButton, Qt::Key_End, Qt::ControlModifier), last},
    };
    for (const auto& [step, expected] : steps) {
      step();
      QVERIFY2(mView->FirstLine() == expected, QByteArray::number(expected));
    }
  }

  // The popup goes when the words move or the pointer is elsewhere: a scroll by bar, wheel or
  // key, another text, the pointer leaving the pane, a move onto no known word. The pointer
  // passes through it to the lines it covers.
  void thePopupGoesWhenTheWordUnderThePointerMayHaveChanged() {
    Ready();
    const std::string text =
        Text("t.txt", std::vector<std::string>(LinesPerPage() + 30, "the dog runs cat"));
    Open(text);
    QVERIFY(testing::ShowActive(*mW));
    Hover(At("dog"));
    QVERIFY(PopupShown());
    QVERIFY(mView->Popup().testAttribute(Qt::WA_TransparentForMouseEvents));
    QCOMPARE(mView->Pane().childAt(mView->Popup().geometry().center()), nullptr);

    QScrollBar& bar = *mView->findChild<QScrollBar*>();
    QEvent leave(QEvent::Leave);
    const std::pair<const char*, std::function<void()>> hiders[] = {
        {"bar", [&] { bar.setValue(bar.value() + 1); }},
        {"wheel", [&] { Wheel(-120); }},
        {"key", [&] { QTest::keyClick(mButton, Qt::Key_Down); }},
        {"another text", [&] { Open(text); }},
        {"unknown word", [&] { Hover(At("cat")); }},
        {"line numbers", [&] { Hover(QPointF(20, At("dog").y())); }},
        {"leave", [&] { QApplication::sendEvent(&mView->Pane(), &leave); }},
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
  // pointer waits anew.
  void aPopupThatStaysAsksToAddItsWordOnce() {
    testing::WriteBytes(mDir / "bin/Kelmoa.ini", "[setting]\r\nHoverAddsWord=1\r\n");
    Ready();
    Open(Text("t.txt", {"dog the"}));
    QSignalSpy add(mView, &TextView::addWordAsked);
    Hover(At("dog"));
    Hover(At("the"));
    Hover(At("the") + QPointF(1, 0));
    QTRY_COMPARE_WITH_TIMEOUT(add.size(), 1, 5000);
    QCOMPARE(add[0][0].toInt(), 2);
    QCOMPARE(add[0][1].value<AddedBy>(), AddedBy::kHover);
    QTest::qWait(2500);
    QCOMPARE(add.size(), 1);
  }

  // A change of the session's dictionary marks and draws the words anew, and takes the popup
  // with the old meanings down.
  void aDictionaryChangeIsDrawnAtOnce() {
    Ready();
    Open(Text("t.txt", {"the zebra runs"}));
    const auto zebraBlue = [this] {
      const QRect cell(At("zebra").toPoint() - QPoint(6, 7), QSize(12, 14));
      return testing::CountPixels(mView->Pane().Image(), cell, testing::IsBlue) > 8;
    };
    Hover(At("the"));
    QVERIFY(PopupShown());
    QVERIFY(!zebraBlue());
    QVERIFY(mW->Session().AddMeaning(u"zebra", u"シマウマ").ok());
    QVERIFY(!PopupShown());
    QVERIFY(zebraBlue());
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
