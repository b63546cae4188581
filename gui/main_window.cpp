// The main window: building it, the first activation, opening texts, drawing and the popup.
#include "gui/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <filesystem>

#include "core/base/char_code.h"
#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "core/settings/editor_command.h"
#include "core/text/messages.h"
#include "core/text/open_text.h"
#include "core/text/popup_text.h"
#include "core/text/prepare_text.h"
#include "core/wordlist/reading_positions.h"
#include "core/wordlist/word_list.h"
#include "gui/editor_launch.h"
#include "gui/meaning_popup.h"
#include "gui/message_dialog.h"
#include "gui/page_render.h"
#include "gui/picture_box.h"
#include "gui/scroll_fit.h"
#include "gui/text_chooser.h"
#include "gui/window_helpers.h"
#include "gui/word_list_window.h"

namespace kelmoa {
namespace {

constexpr char16_t kNotifyWav[] = u"notify.wav";
constexpr char kProductName[] = "ケルモア";
// The popup's background: red 255, green 255, blue 192.
constexpr QRgb kPopupBackground = qRgb(255, 255, 192);
// The top the window's frame is placed at: the screen's.
constexpr int kFormTop = 0;
// One notch of a mouse wheel.
constexpr int kWheelNotch = 120;

QString QPath(const std::string& path) {
  return QFile::decodeName(path.c_str());
}
std::u16string UPath(const std::string& path) {
  return QPath(path).toStdU16String();
}

// The file-system path of a local file address, bytes as the address holds them: a name that
// is not UTF-8 comes percent-encoded and keeps its bytes.
std::string LocalFilePath(const QUrl& url) {
  return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

QRect ScreenGeometry() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
}

}  // namespace

MainWindow::MainWindow(ProgramPaths paths, std::string commandLine, QWidget* parent)
    : QWidget(parent),
      mPaths(std::move(paths)),
      mCommandLine(std::move(commandLine)),
      mSession(mPaths.baseFolder) {
  mSession.AddObserver(*this);
  BuildControls();
  PrepareWindow();
  mSpeaker.SetFailureReport(*this, [this](const QString& text) { ShowStatusLine(text); });
}

MainWindow::~MainWindow() = default;

// The window's design: every control at its place, with its caption and tooltip.
void MainWindow::BuildControls() {
  setFont(QFont(kUiFontName, static_cast<int>(kUiFontPointSize)));
  resize(561, 662);

  mOpenTextButton = MakeButton(this, QStringLiteral("ファイル"), QRect(0, 0, 53, 21));
  mOpenTextLabel = new QLabel(QStringLiteral("テキストファイルを"), this);
  mOpenTextLabel->setGeometry(60, 4, 97, 13);
  mEditTextButton = MakeButton(this, QStringLiteral("編集"), QRect(156, 0, 37, 21),
                               QStringLiteral("現在表示中のテキストファイルを編集します"));
  mReopenButton =
      MakeButton(this, QStringLiteral("再読"), QRect(196, 0, 37, 21),
                 QStringLiteral("テキストファイルを編集し保存したら，このボタンをクリックして，"
                                "テキストファイルを再度読み込みします"));
  mDictionaryEditorButton = MakeButton(this, QStringLiteral("辞書編集"), QRect(240, 0, 61, 21),
                                       QStringLiteral("辞書ファイルを編集します"));
  mSpeakBox = new QCheckBox(QStringLiteral("単語を発音"), this);
  mSpeakBox->setGeometry(304, 4, 81, 13);
  mSettingsButton = MakeButton(this, QStringLiteral("設定"), QRect(388, 0, 37, 21),
                               QStringLiteral("フォントサイズなどを設定します"));
  mHelpButton = MakeButton(this, QStringLiteral("ﾍﾙﾌﾟ"), QRect(428, 0, 37, 21));
  // In the free space of the command row, between ﾍﾙﾌﾟ and 終了.
  mWordListButton = MakeButton(this, QStringLiteral("単語帳"), QRect(467, 0, 40, 21),
                               QStringLiteral("単語帳（中クリック・Ctrl+クリックで加えた単語）を"
                                              "開きます (F2)"));
  mEndButton = MakeButton(this, QStringLiteral("終了"), QRect(524, 0, 37, 21));

  mTextPane = new PictureBox(this, Qt::white);
  mTextPane->setGeometry(0, 20, 537, 637);
  mTextPane->setMouseTracking(true);
  mTextPane->setAcceptDrops(true);
  mTextPane->installEventFilter(this);

  mScrollBar = new QScrollBar(Qt::Vertical, this);
  mScrollBar->setGeometry(536, 20, 25, 637);
  mScrollBar->setRange(1, 1);
  mScrollBar->installEventFilter(this);

  // The popup floats over the text inside the pane. The pointer passes through it: a move over
  // it reaches the pane, so moving onto the lines it covers moves or hides it.
  mPopupBox = new PictureBox(mTextPane, QColor(kPopupBackground));
  mPopupBox->setGeometry(0, 0, 185, 41);
  mPopupBox->setAttribute(Qt::WA_TransparentForMouseEvents);
  mPopupBox->hide();

  BuildWordListControls();

  // Takes the keyboard focus, so that the scroll bar never keeps it.
  mFocusSink = new PictureBox(this, palette().color(QPalette::Window));
  mFocusSink->setGeometry(508, 4, 9, 13);
  mFocusSink->setFocusPolicy(Qt::StrongFocus);

  mEditTextButton->setEnabled(false);
  mReopenButton->setEnabled(false);
  mSpeakBox->setEnabled(false);

  mMsg = new MessageDialog(
      QString::fromStdString(mPaths.programFolder),
      QString::fromUtf8(kProductName) + u' ' + QString::fromStdString(mPaths.exeBaseName), this);

  connect(mOpenTextButton, &QPushButton::clicked, this, &MainWindow::ChooseAndOpenText);
  connect(mEditTextButton, &QPushButton::clicked, this, &MainWindow::EditTextInEditor);
  connect(mReopenButton, &QPushButton::clicked, this, &MainWindow::ReopenText);
  connect(mDictionaryEditorButton, &QPushButton::clicked, this, &MainWindow::ShowDictionaryEditor);
  connect(mSettingsButton, &QPushButton::clicked, this, &MainWindow::EditSettings);
  connect(mHelpButton, &QPushButton::clicked, this, &MainWindow::ShowHelp);
  connect(mWordListButton, &QPushButton::clicked, this, &MainWindow::ShowWordList);
  connect(mEndButton, &QPushButton::clicked, this, &MainWindow::StorePlaceAndEnd);
  connect(mScrollBar, &QScrollBar::valueChanged, this, &MainWindow::DrawPage);
  connect(mTextPane, &PictureBox::mouseMoved, this,
          [this](QPointF pos) { HoverAt(pos.x(), pos.y()); });
  connect(mTextPane, &PictureBox::mousePressed, this,
          [this](QPointF pos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
            PressAt(button, modifiers, pos.x(), pos.y());
          });
}

void MainWindow::PrepareWindow() {
  setWindowTitle(BaseCaption());
  mTextPane->setCursor(Qt::IBeamCursor);
  const QRect screen = ScreenGeometry();
  mWindowMetrics.ScreenHeightPx = screen.height();
  SetDefaultSettings(screen.width(), mSettingDef, mSettingMax);
  if (IsFileExist(IniPath())) {
    ReadIniSettings(IniPath(), mSettingDef, mSettingMax, mSetting,
                    [this](const std::u16string& msg) { ShowPlainMessage(Q(msg)); });
  } else {
    mSetting = mSettingDef;
  }
  SetInitialLayout();
  GetFontMetrics();
  if (!mWindowMetrics.FontSizeOk) {
    mPaneFont = PaneFont(9.6);
    mTextPane->setFont(mPaneFont);
    mPageFont = std::make_unique<PageFont>(mPaneFont);
  }
  CreateCommandWindows();
}

// The window stands at the stored left edge, at the top of the screen, 0.92 of the screen
// high; it keeps its designed width until a text is loaded.
void MainWindow::SetInitialLayout() {
  move(mSetting.FormLeft, kFormTop);
  const int height = static_cast<int>(RoundHalfEven(0.92 * mWindowMetrics.ScreenHeightPx));
  resize(width(), height);
  mTextPane->setGeometry(0, mTextPane->y(), width(), height - mEndButton->height() - 5);
  mScrollBar->hide();
}

// Gives the pane the chosen font size and measures it: single-byte advance, double-byte
// advance, cell height, and the lines that fit the pane.
void MainWindow::GetFontMetrics() {
  mPaneFont = PaneFont(mSetting.FontSize);
  mTextPane->setFont(mPaneFont);
  mPopupBox->setFont(mPaneFont);
  bool sizeOk = false;
  GetPicTextMetrics(mPaneFont, mSetting.HalfWidth, mSetting.FullWidth, mSetting.CharHeight, sizeOk);
  mWindowMetrics.FontSizeOk = sizeOk;
  mSetting.LinesPerPage = ComputeLinesPerPage(mTextPane->height(), mSetting);
  mPageFont = std::make_unique<PageFont>(mPaneFont);
}

void MainWindow::ActivateFirstTime() {
  if (mActivated)
    return;
  // Set before the work: the message dialogs below make this window active again before
  // this call returns, and the dictionary is read once per run.
  mActivated = true;

  const std::string dicPath = mPaths.DataPath("dic", kDicDefault);
  if (!IsFileExist(dicPath)) {
    ShowMessage(MsgDicNotFound(UPath(dicPath)), 0);
    EndProgram();
    return;
  }
  CharCode code = CharCode::kNone;
  if (const Status status = GetFileCharCode(dicPath, code); !status.ok()) {
    ShowMessage(MsgDicUnreadable(UPath(dicPath), SystemReason(status)), 0);
    EndProgram();
    return;
  }
  if (!IsSjisCompatible(code)) {
    ShowMessage(MsgDicNotShiftJis(UPath(dicPath), Utf8ToUtf16(GetCharCodeName(code))), 0);
    EndProgram();
    return;
  }

  PanePrint(u"", true);
  PanePrint(kDicLoading, false);
  mTextPane->setCursor(Qt::WaitCursor);
  mTextPane->repaint();
  const Status loaded = mSession.LoadDictionary(dicPath);
  mTextPane->setCursor(Qt::IBeamCursor);
  if (!loaded.ok()) {
    ShowMessage(MsgDicUnreadable(UPath(dicPath), SystemReason(loaded)), 0);
    EndProgram();
    return;
  }
  PanePrint(kDicLoaded, true);
  PanePrint(kDicWordCount + Utf8ToUtf16(std::to_string(mSession.Dic().Count())), true);

  // A file named on the command line that cannot be opened at all (missing, a folder, a pipe,
  // a device, not readable) is named with the reason, and the greeting follows. A hidden file
  // is opened like any other: the user named it.
  const std::u16string problem = mCommandLine.empty() ? u"" : TextFileProblem(mCommandLine);
  if (!mCommandLine.empty() && problem.empty()) {
    // A path relative to the folder Kelmoa was started in is made whole, so that the caption
    // names the file and the editor gets a path it can open from anywhere.
    std::error_code ec;
    const std::filesystem::path whole = std::filesystem::absolute(mCommandLine, ec);
    mTextFilePath = ec ? mCommandLine : whole.string();
    OpenTextFile();
  } else {
    if (!problem.empty())
      ShowMessage(MsgTextFileUnreadable(UPath(mCommandLine), problem), 0);
    for (const char16_t* line : kGreetingLines)
      PanePrint(line, true);
  }
  mTextPane->update();
}

bool MainWindow::OpenTextFile() {
  mTextPane->setCursor(Qt::WaitCursor);
  const OpenResult opened = mSession.Open(mTextFilePath, mSetting);
  if (!opened.ok()) {
    mTextPane->setCursor(Qt::IBeamCursor);
    const TextRejection& rejection = *opened.rejection;
    if (rejection.kind == TextRejection::Kind::kUnreadable) {
      // The reason in the user's words where the file system names one; else the system's.
      std::u16string reason = TextFileProblem(mTextFilePath);
      if (reason.empty())
        reason = SystemReason(rejection.status);
      ShowMessage(MsgTextFileUnreadable(UPath(mTextFilePath), reason), 0);
      mTextFilePath = mLastTextFilePath;
      return false;
    }
    // The shown text stays as it is: the file was read into a list of its own.
    const bool tooLarge = rejection.TooLarge();
    const std::u16string msg = tooLarge ? WithQuestion(rejection.message) : rejection.message;
    // A text in a code that can be read, or one too long, can be prepared into a copy, unless
    // it is too large for that.
    const bool preparable =
        (tooLarge || CanPrepareCode(rejection.code)) && FitsPreparation(mTextFilePath);
    const int answer = ShowMessage(msg, 1, preparable);
    if (answer == MessageDialog::kOK)
      EditTextInEditor();  // opens the rejected file
    const std::string rejected = mTextFilePath;
    mTextFilePath = mLastTextFilePath;
    if (answer == MessageDialog::kConvert)
      OpenPreparedCopy(rejected);
    return false;
  }

  mEditTextButton->setEnabled(true);
  mReopenButton->setEnabled(true);
  mSpeakBox->setEnabled(true);
  StoreReadingPosition();  // of the text left, its page still on the scroll bar
  mLastTextFilePath = mTextFilePath;
  FitWindowToText(opened.maxRight);
  // The text comes back where it was left.
  const int first =
      std::clamp(StartLineOfOpenedText(), mScrollBar->minimum(), mScrollBar->maximum());
  if (mScrollBar->value() == first) {
    DrawPage();
  } else {
    mScrollBar->setValue(first);  // redraws the page
  }
  mTextPane->setCursor(Qt::IBeamCursor);
  setWindowTitle(QPath(GetFileNameOfPath(mTextFilePath)) + QStringLiteral(" - ") + BaseCaption());
  return true;
}

// The text is never wrapped: the window grows to the longest line instead.
void MainWindow::FitWindowToText(int maxRight) {
  SetVScrollRange(Document().LineCount(), mSetting.LinesPerPage, *mScrollBar);
  const int picWidth =
      SetPicTextWidth(maxRight, mSetting.HalfWidth, kPicTextMinWidthPx, *mTextPane);
  SetFormWidth(picWidth, !mScrollBar->isHidden(), mScrollBar->width(), *this);
  mScrollBar->setGeometry(picWidth, mTextPane->y(), mScrollBar->width(), mTextPane->height());
  mEndButton->move(width() - mEndButton->width(), mEndButton->y());
}

void MainWindow::KeepCaptionOnScreen() {
  // A window widened before the window system has framed it can be put with its inside where
  // its frame was to stand: the caption above the screen, the left border left of the stored
  // edge. Only that is mended; a window the user moves stays where it is.
  const QPoint placed(mSetting.FormLeft, kFormTop);
  if (geometry().topLeft() != placed)
    return;
  const QRect frame = frameGeometry();
  if (frame == geometry())
    return;  // not framed (yet, or ever: no window manager)
  const QScreen* shown = screen();
  const int top = std::max(placed.y(), shown != nullptr ? shown->availableGeometry().top() : 0);
  move(placed.x(), top);  // a window's move places its frame
}

void MainWindow::DrawPage() {
  // The words move under the pointer: a popup would show the meanings of a word no longer
  // there. The next pointer move builds it again.
  HideMeaningPopup();
  const int first = mScrollBar->value();
  QImage& page = mTextPane->Image();
  const TextDocument& doc = Document();
  DrawTextPage(page, *mPageFont, doc, mSetting, doc.LineCount(), first);
  DrawLineNumbers(page, *mPageFont, doc.LineCount(), first, mSetting);
  if (isVisible())
    mFocusSink->setFocus();
  mTextPane->update();
}

void MainWindow::PassScrollBarFocus() {
  if (isVisible())
    mFocusSink->setFocus();
}

void MainWindow::HoverAt(double x, double y) {
  if (!mSession.HasText())
    return;
  const PageGeometry geometry = PageGeometry::Of(mSetting);
  const int first = mScrollBar->value();
  const WordTable& t = Document().words;
  const int k = mSession.WordAt(LineAtY(y, first, geometry.pitch), x);
  const std::u16string_view w = k == 0 ? std::u16string_view() : t.Word(k);
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

void MainWindow::ShowPopupOfWord(int k) {
  const PageGeometry geometry = PageGeometry::Of(mSetting);
  const WordTable& t = Document().words;
  const auto ki = static_cast<size_t>(k);
  std::vector<std::u16string> lines = mSession.PopupLines(k);
  // A word without a dictionary entry may stand in a phrase; every entry the lookup found may
  // be one of another word class than the rule reaches (has: ha), which the popup leaves out.
  if (lines.empty()) {
    HideMeaningPopup();
    return;
  }
  const int top = geometry.LineTop(t.mWordLine[ki], mScrollBar->value());
  ShowMeaningPopup(*mPopupBox, std::move(lines), top, t.mWordX1[ki], geometry.pitch, mPaneFont);
  mPopupFlash->hide();  // it framed the popup of another word
  mPrevHoverWord = t.Word(k);
  mPopupWord = k;
  mPopupAdded = false;
  if (mSetting.HoverAddsWord)
    mHoverAddTimer->start();
}

void MainWindow::HideMeaningPopup() {
  mPopupBox->hide();
  mPopupFlash->hide();
  mPrevHoverWord.clear();
  mPopupWord = 0;
  mHoverAddTimer->stop();
}

void MainWindow::OpenDroppedFile(const std::string& path) {
  mTextFilePath = path;
  OpenTextFile();
}

void MainWindow::WheelRoll(int delta, Qt::KeyboardModifiers modifiers) {
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

void MainWindow::ScrollByKey(ScrollKey key) {
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

void MainWindow::ReopenText() {
  OpenTextFile();
}

void MainWindow::EditTextInEditor() {
  const QRect frame = frameGeometry();
  EditorPlace place;
  place.line = mScrollBar->value();
  place.x = frame.x() + frame.width();
  place.y = frame.y();
  place.w = ScreenGeometry().width() - (frame.width() + frame.x());
  place.h = frame.height();
  // An editor that ends with an error, or a desktop without a handler of text files, is
  // reported when it has ended: the click is not left without an answer.
  const auto failed = [this](const ProgramEnd& end) {
    const std::u16string code = Utf8ToUtf16(std::to_string(end.exitCode));
    const std::u16string program = UPath(end.program);
    const std::u16string reason =
        end.program == kPlainEditorProgram
            ? u"テキストファイルを開くプログラム（エディタ）が設定されていないようです（" +
                  program + u" の終了コード " + code + u"）"
            : u"終了コード " + code + u" で終わりました";
    ShowPlainMessage(Q(MsgEditorFailed(program, reason)));
  };
  std::string program;
  QString reason;
  if (!StartEditor(TextEditorField(), mTextFilePath, place, *this, failed, program, reason))
    ShowPlainMessage(Q(MsgEditorNotStarted(UPath(program), reason.toStdU16String())));
}

void MainWindow::StorePlaceAndEnd() {
  const QRect frame = frameGeometry();
  // The left edge is kept for the next run; a window partly off the screen stores nothing.
  TellSettingsNotStored(WriteIniFormLeft(IniPath(), frame.x(), frame.y()));
  EndProgram();
}

void MainWindow::EndOnClose() {
  EndProgram();
}

bool MainWindow::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::WindowActivate:
      ActivateFirstTime();
      break;
    case QEvent::WindowDeactivate:
      HideMeaningPopup();  // the pointer is with another window now
      break;
    default:
      break;
  }
  // The frame is known once the window system has framed and shown the window: at a paint
  // or activation, or when it moves or resizes it.
  if (!mProgramEnded &&
      (event->type() == QEvent::WindowActivate || event->type() == QEvent::Paint ||
       event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
    KeepCaptionOnScreen();
  }
  return QWidget::event(event);
}

void MainWindow::wheelEvent(QWheelEvent* event) {
  WheelRoll(event->angleDelta().y(), event->modifiers());
  event->accept();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  EndOnClose();
  event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == mScrollBar) {
    if (event->type() == QEvent::FocusIn) {
      PassScrollBarFocus();
    } else if (event->type() == QEvent::Wheel) {
      // The wheel scrolls the same way wherever the pointer is.
      wheelEvent(static_cast<QWheelEvent*>(event));
      return true;
    }
  } else if (watched == mTextPane) {
    if (event->type() == QEvent::Leave) {
      HideMeaningPopup();
      return false;
    }
    if (event->type() == QEvent::DragEnter) {
      auto* drag = static_cast<QDragEnterEvent*>(event);
      const QList<QUrl> urls = drag->mimeData()->urls();
      if (!urls.isEmpty() && urls.first().isLocalFile())
        drag->acceptProposedAction();
      return true;
    }
    if (event->type() == QEvent::Drop) {
      auto* drop = static_cast<QDropEvent*>(event);
      const QList<QUrl> urls = drop->mimeData()->urls();
      // A drop without a local file (dragged text, a web address) is ignored.
      if (!urls.isEmpty() && urls.first().isLocalFile()) {
        drop->acceptProposedAction();
        OpenDroppedFile(LocalFilePath(urls.first()));
      }
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void MainWindow::PanePrint(std::u16string_view text, bool endLine) {
  const QString s = Q(text);
  if (mPrintLineOpen) {
    mPaneLines.back() += s;
  } else {
    mPaneLines.append(s);
  }
  QPainter painter(&mTextPane->Image());
  painter.setFont(mPaneFont);
  painter.setPen(Qt::black);
  painter.drawText(QPointF(mPrintX, mPrintY + QFontMetrics(mPaneFont).ascent()), s);
  painter.end();
  mPrintX += QFontMetricsF(mPaneFont).horizontalAdvance(s);
  mPrintLineOpen = !endLine;
  if (endLine) {
    mPrintX = 0;
    mPrintY += mSetting.CharHeight;
  }
  mTextPane->update();
}

int MainWindow::ShowMessage(const std::u16string& msg, int btn, bool offerConvert) {
  return mMsg->Ask(this, Q(msg), btn, Q(kNotifyWav), offerConvert);
}

void MainWindow::ShowPlainMessage(const QString& text, QWidget* parent) {
  if (mPlainMessageResponder) {
    mPlainMessageResponder(text);
    return;
  }
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(mPaths.title), shown, QMessageBox::Ok,
                  parent != nullptr ? parent : this);
  box.exec();
}

void MainWindow::EndProgram() {
  if (!mProgramEnded)
    StoreReadingPosition();
  mProgramEnded = true;
  if (mWordListWindow != nullptr && mWordListWindow->isVisible())
    mWordListWindow->close();  // stores its place for the next run
  hide();
  emit programEnded();
}

QString MainWindow::BaseCaption() const {
  return QString::fromStdString(mPaths.exeBaseName) + QStringLiteral(" Ver%1.%2.%3")
                                                          .arg(KELMOA_VERSION_MAJOR)
                                                          .arg(KELMOA_VERSION_MINOR)
                                                          .arg(KELMOA_VERSION_PATCH);
}

std::string MainWindow::IniPath() const {
  return mPaths.programFolder + "/" + mPaths.title + kIniExtension;
}

}  // namespace kelmoa
