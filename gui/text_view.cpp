// The text pane: drawing the page, the popup of the word under the pointer, clicks, wheel,
// keys, drops, and the status line over the pane.
#include "gui/text_view.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QFrame>
#include <QKeySequence>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "core/text/popup_text.h"
#include "core/wordlist/word_capture.h"
#include "gui/meaning_popup.h"
#include "gui/page_render.h"
#include "gui/picture_box.h"
#include "gui/scroll_fit.h"
#include "gui/window_helpers.h"

namespace kelmoa {
namespace {

// The popup's background: red 255, green 255, blue 192.
constexpr QRgb kPopupBackground = qRgb(255, 255, 192);
constexpr int kScrollBarWidth = 25;
// One notch of a mouse wheel.
constexpr int kWheelNotch = 120;

// The file-system path of a local file address, bytes as the address holds them: a name that
// is not UTF-8 comes percent-encoded and keeps its bytes.
std::string LocalFilePath(const QUrl& url) {
  return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

// The first address a drag or a drop carries, when it is a local file.
std::optional<QUrl> DroppedFile(const QMimeData& mime) {
  const QList<QUrl> urls = mime.urls();
  if (urls.isEmpty() || !urls.first().isLocalFile())
    return std::nullopt;
  return urls.first();
}

}  // namespace

TextView::TextView(ReadingSession& session, const SettingInfo& setting, QWidget* parent)
    : QWidget(parent), mSession(session), mSetting(setting) {
  mPane = new PictureBox(this, Qt::white);
  mPane->setMouseTracking(true);
  mPane->setAcceptDrops(true);
  mPane->setCursor(Qt::IBeamCursor);
  mPane->installEventFilter(this);

  mScrollBar = new QScrollBar(Qt::Vertical, this);
  mScrollBar->setRange(1, 1);
  mScrollBar->hide();  // until a text is longer than a page
  mScrollBar->installEventFilter(this);

  // The popup floats over the text inside the pane. The pointer passes through it: a move over
  // it reaches the pane, so moving onto the lines it covers moves or hides it.
  mPopup = new PictureBox(mPane, QColor(kPopupBackground));
  mPopup->setGeometry(0, 0, 185, 41);
  mPopup->setAttribute(Qt::WA_TransparentForMouseEvents);
  mPopup->hide();

  BuildParts();

  connect(mScrollBar, &QScrollBar::valueChanged, this, &TextView::DrawPage);
  connect(mPane, &PictureBox::mouseMoved, this, &TextView::HoverAt);
  connect(mPane, &PictureBox::mousePressed, this, &TextView::PressAt);
  mSession.AddObserver(*this);
}

TextView::~TextView() {
  mSession.RemoveObserver(*this);
}

void TextView::BuildParts() {
  // Flashed over the popup when its word joins the word list.
  // A plain frame in the palette's colour: no style sheet, which would restyle the popup.
  mPopupFlash = new QFrame(mPopup);
  mPopupFlash->setAttribute(Qt::WA_TransparentForMouseEvents);
  mPopupFlash->setFrameStyle(QFrame::Box | QFrame::Plain);
  mPopupFlash->setLineWidth(3);
  QPalette blue = mPopupFlash->palette();
  blue.setColor(QPalette::WindowText, QColor(42, 106, 216));
  mPopupFlash->setPalette(blue);
  mPopupFlash->hide();
  mPopupFlashTimer = new QTimer(this);
  mPopupFlashTimer->setSingleShot(true);
  mPopupFlashTimer->setInterval(700);
  connect(mPopupFlashTimer, &QTimer::timeout, mPopupFlash, &QWidget::hide);

  // The word list's confirmations: a line over the pane that takes neither focus nor clicks.
  mStatusLine = new QLabel(mPane);
  mStatusLine->setAttribute(Qt::WA_TransparentForMouseEvents);
  mStatusLine->setTextFormat(Qt::PlainText);
  mStatusLine->setAutoFillBackground(true);
  mStatusLine->setFrameShape(QFrame::Box);
  mStatusLine->setMargin(2);
  mStatusLine->setPalette(QPalette(QColor(232, 240, 255)));
  mStatusLine->hide();
  mStatusLineTimer = new QTimer(this);
  mStatusLineTimer->setSingleShot(true);
  mStatusLineTimer->setInterval(2000);
  connect(mStatusLineTimer, &QTimer::timeout, mStatusLine, &QLabel::hide);
  mHoverAddTimer = new QTimer(this);
  mHoverAddTimer->setSingleShot(true);
  mHoverAddTimer->setInterval(2000);
  connect(mHoverAddTimer, &QTimer::timeout, this, &TextView::AddHoveredWord);

  // The scrolling keys work whichever control of the window has the focus.
  const std::pair<QKeySequence, ScrollKey> scrollKeys[] = {
      {QKeySequence(Qt::Key_Up), ScrollKey::kLineUp},
      {QKeySequence(Qt::Key_Down), ScrollKey::kLineDown},
      {QKeySequence(Qt::Key_PageUp), ScrollKey::kPageUp},
      {QKeySequence(Qt::Key_PageDown), ScrollKey::kPageDown},
      {QKeySequence(Qt::CTRL | Qt::Key_Home), ScrollKey::kTop},
      {QKeySequence(Qt::CTRL | Qt::Key_End), ScrollKey::kBottom},
  };
  for (const auto& scrollKey : scrollKeys) {
    auto* shortcut = new QShortcut(scrollKey.first, this);
    shortcut->setContext(Qt::WindowShortcut);
    const ScrollKey key = scrollKey.second;
    connect(shortcut, &QShortcut::activated, this, [this, key] { ScrollByKey(key); });
  }
}

void TextView::Resize(int width, int height) {
  resize(width, height);
  LayOut();
}

void TextView::LayOut() {
  const int paneWidth = width() - (mScrollBar->isHidden() ? 0 : kScrollBarWidth);
  mPane->setGeometry(0, 0, paneWidth, height());
  mScrollBar->setGeometry(paneWidth, 0, kScrollBarWidth, height());
}

bool TextView::TakeFontSize(SettingInfo& setting) {
  mPaneFont = PaneFont(setting.FontSize);
  mPane->setFont(mPaneFont);
  mPopup->setFont(mPaneFont);
  bool sizeOk = false;
  GetPicTextMetrics(mPaneFont, setting.HalfWidth, setting.FullWidth, setting.CharHeight, sizeOk);
  setting.LinesPerPage = ComputeLinesPerPage(mPane->height(), setting);
  mPageFont = std::make_unique<PageFont>(mPaneFont);
  return sizeOk;
}

void TextView::DrawInFontSize(double pointSize) {
  mPaneFont = PaneFont(pointSize);
  mPane->setFont(mPaneFont);
  mPageFont = std::make_unique<PageFont>(mPaneFont);
}

int TextView::FitToText(int maxRight) {
  SetVScrollRange(mSession.Document().LineCount(), mSetting.LinesPerPage, *mScrollBar);
  const int paneWidth = PicTextWidthPx(maxRight, mSetting.HalfWidth, kPicTextMinWidthPx);
  Resize(paneWidth + (mScrollBar->isHidden() ? 0 : kScrollBarWidth), height());
  return width();
}

int TextView::FirstLine() const {
  return mScrollBar->value();
}

void TextView::ScrollTo(int line) {
  const int first = std::clamp(line, mScrollBar->minimum(), mScrollBar->maximum());
  if (mScrollBar->value() == first) {
    DrawPage();
  } else {
    mScrollBar->setValue(first);  // redraws the page
  }
}

void TextView::DrawPage() {
  // The words move under the pointer: a popup would show the meanings of a word no longer
  // there. The next pointer move builds it again.
  HideMeaningPopup();
  const int first = mScrollBar->value();
  QImage& page = mPane->Image();
  const TextDocument& doc = mSession.Document();
  DrawTextPage(page, *mPageFont, doc, mSetting, doc.LineCount(), first);
  DrawLineNumbers(page, *mPageFont, doc.LineCount(), first, mSetting);
  PassFocus();
  mPane->update();
}

void TextView::PassFocus() {
  if (isVisible() && mFocusHolder != nullptr)
    mFocusHolder->setFocus();
}

void TextView::Print(std::u16string_view text, bool endLine) {
  const QString s = Q(text);
  QPainter painter(&mPane->Image());
  painter.setFont(mPaneFont);
  painter.setPen(Qt::black);
  painter.drawText(QPointF(mPrintX, mPrintY + QFontMetrics(mPaneFont).ascent()), s);
  painter.end();
  mPrintX += QFontMetricsF(mPaneFont).horizontalAdvance(s);
  if (endLine) {
    mPrintX = 0;
    mPrintY += mSetting.CharHeight;
  }
  mPane->update();
}

void TextView::SetBusy(bool busy) {
  mPane->setCursor(busy ? Qt::WaitCursor : Qt::IBeamCursor);
}

int TextView::WordAtPoint(QPointF p) const {
  return mSession.WordAt(LineAtY(p.y(), mScrollBar->value(), PageGeometry::Of(mSetting).pitch),
                         p.x());
}

void TextView::HoverAt(QPointF p) {
  if (!mSession.HasText())
    return;
  const int k = WordAtPoint(p);
  const std::u16string_view w = k == 0 ? std::u16string_view() : mSession.Document().words.Word(k);
  if (w.empty()) {
    HideMeaningPopup();
    return;
  }
  // Within the same word, or onto another occurrence of it, the popup stays as it is. The
  // pointer is not still, so a popup waiting to be added waits anew.
  if (w == mPrevHoverWord) {
    mPopupWord = k;
    if (mSetting.HoverAddsWord && !mPopupAdded)
      mHoverAddTimer->start();
    return;
  }
  ShowPopupOfWord(k);
}

void TextView::ShowPopupOfWord(int k) {
  const PageGeometry geometry = PageGeometry::Of(mSetting);
  const WordTable& t = mSession.Document().words;
  const auto ki = static_cast<size_t>(k);
  std::vector<std::u16string> lines = mSession.PopupLines(k);
  // A word without a dictionary entry may stand in a phrase; every entry the lookup found may
  // be one of another word class than the rule reaches (has: ha), which the popup leaves out.
  if (lines.empty()) {
    HideMeaningPopup();
    return;
  }
  const int top = geometry.LineTop(t.mWordLine[ki], mScrollBar->value());
  ShowMeaningPopup(*mPopup, std::move(lines), top, t.mWordX1[ki], geometry.pitch, mPaneFont);
  mPopupFlash->hide();  // it framed the popup of another word
  mPrevHoverWord = t.Word(k);
  mPopupWord = k;
  mPopupAdded = false;
  if (mSetting.HoverAddsWord)
    mHoverAddTimer->start();
}

void TextView::HideMeaningPopup() {
  mPopup->hide();
  mPopupFlash->hide();
  mPrevHoverWord.clear();
  mPopupWord = 0;
  mHoverAddTimer->stop();
}

void TextView::ShowWordOnLine(int line, std::u16string_view word) {
  const TextDocument& doc = mSession.Document();
  // The text may have changed since: the line is sought as near as the text allows.
  line = std::clamp(line, 1, std::max(1, doc.LineCount()));
  const int first = mScrollBar->value();
  if (line < first || line >= first + mSetting.LinesPerPage) {
    // The line a third of the way down the page, so the popup under it stays in sight.
    const int top = line - mSetting.LinesPerPage / 3;
    mScrollBar->setValue(std::clamp(top, mScrollBar->minimum(), mScrollBar->maximum()));
  }
  const int k = FindWordOnLine(doc.words, line, word);
  if (k > 0 && !doc.words.DicHits(k).empty())
    ShowPopupOfWord(k);
}

void TextView::ShowWordAdded(int k, const QString& text) {
  // Said only now: the word is in the list for good.
  if (k == mPopupWord && !mPopup->isHidden()) {
    mPopupAdded = true;
    mPopupFlash->setGeometry(mPopup->rect());
    mPopupFlash->show();
    mPopupFlashTimer->start();
  }
  ShowStatusLine(text);
}

void TextView::AddHoveredWord() {
  if (mPopupWord == 0 || mPopupAdded || mPopup->isHidden() || !mSetting.HoverAddsWord)
    return;
  emit addWordAsked(mPopupWord, AddedBy::kHover);
  mPopupAdded = true;  // once per popup, also when adding failed
}

void TextView::ShowStatusLine(const QString& text) {
  mStatusLine->setText(text);
  mStatusLine->adjustSize();
  mStatusLine->move(4, std::max(0, mPane->height() - mStatusLine->height() - 4));
  mStatusLine->show();
  mStatusLine->raise();
  mStatusLineTimer->start();
}

QString TextView::StatusLine() const {
  return mStatusLine->isHidden() ? QString() : mStatusLine->text();
}

void TextView::PressAt(QPointF p, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
  if (!mSession.HasText())
    return;
  const int k = WordAtPoint(p);
  if (k < 1)
    return;
  if (button == Qt::MiddleButton ||
      (button == Qt::LeftButton && modifiers.testFlag(Qt::ControlModifier))) {
    emit addWordAsked(k, AddedBy::kClick);
    return;
  }
  // The word as written in the text, capitals kept.
  const QString word = QStringView(mSession.Document().words.Word(k)).toString();
  if (button == Qt::LeftButton)
    emit wordClicked(word);
  else if (button == Qt::RightButton)
    emit wordRightClicked(word);
}

void TextView::WheelRoll(int delta, Qt::KeyboardModifiers modifiers) {
  if (delta == 0)
    return;  // a sideways wheel
  int amount = delta;
  if (std::abs(delta) < kWheelNotch) {
    // A high-resolution wheel or a touchpad sends parts of a notch: they count once they
    // make up a whole notch.
    if ((mWheelRemainder > 0) != (delta > 0))
      mWheelRemainder = 0;
    mWheelRemainder += delta;
    if (std::abs(mWheelRemainder) < kWheelNotch)
      return;
    amount = mWheelRemainder;
  }
  mWheelRemainder = 0;
  if (mScrollBar->isHidden())
    return;
  const int step = modifiers.testFlag(Qt::ControlModifier) ? 10 : 5;
  const int value = mScrollBar->value() + (amount > 0 ? -step : step);
  mScrollBar->setValue(std::clamp(value, mScrollBar->minimum(), mScrollBar->maximum()));
}

void TextView::ScrollByKey(ScrollKey key) {
  if (mScrollBar->isHidden())
    return;  // the whole text is on the page
  int value = mScrollBar->value();
  switch (key) {
    case ScrollKey::kLineUp:
      value -= 1;
      break;
    case ScrollKey::kLineDown:
      value += 1;
      break;
    case ScrollKey::kPageUp:
      value -= mScrollBar->pageStep();
      break;
    case ScrollKey::kPageDown:
      value += mScrollBar->pageStep();
      break;
    case ScrollKey::kTop:
      value = mScrollBar->minimum();
      break;
    case ScrollKey::kBottom:
      value = mScrollBar->maximum();
      break;
  }
  mScrollBar->setValue(std::clamp(value, mScrollBar->minimum(), mScrollBar->maximum()));
}

void TextView::DictionaryChanged() {
  if (!mSession.HasText())
    return;
  DrawPage();  // takes the popup down
}

void TextView::TextChanged() {
  HideMeaningPopup();
}

void TextView::wheelEvent(QWheelEvent* event) {
  WheelRoll(event->angleDelta().y(), event->modifiers());
  event->accept();
}

bool TextView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == mScrollBar) {
    if (event->type() == QEvent::FocusIn) {
      PassFocus();
    } else if (event->type() == QEvent::Wheel) {
      // The wheel scrolls the same way wherever the pointer is.
      wheelEvent(static_cast<QWheelEvent*>(event));
      return true;
    }
  } else if (watched == mPane) {
    switch (event->type()) {
      case QEvent::Leave:
        HideMeaningPopup();
        return false;
      case QEvent::DragEnter: {
        auto* drag = static_cast<QDragEnterEvent*>(event);
        if (DroppedFile(*drag->mimeData()))
          drag->acceptProposedAction();
        return true;
      }
      case QEvent::Drop: {
        // A drop without a local file (dragged text, a web address) is ignored.
        auto* drop = static_cast<QDropEvent*>(event);
        if (const std::optional<QUrl> file = DroppedFile(*drop->mimeData())) {
          drop->acceptProposedAction();
          emit fileDropped(LocalFilePath(*file));
        }
        return true;
      }
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kelmoa
