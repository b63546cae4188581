// The main window: building and placing it, the first activation, its messages and its end.
#include "gui/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QWheelEvent>
#include <algorithm>
#include <filesystem>

#include "core/base/char_code.h"
#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "core/base/paths.h"
#include "core/text/messages.h"
#include "core/text/open_text.h"
#include "gui/dictionary_editor.h"
#include "gui/help_page.h"
#include "gui/picture_box.h"
#include "gui/settings_dialog.h"
#include "gui/text_chooser.h"
#include "gui/window_helpers.h"
#include "gui/word_list_store.h"

namespace kelmoa {
namespace {

constexpr char kProductName[] = "ケルモア";
// The top the window's frame is placed at: the screen's.
constexpr int kFormTop = 0;
// The command row's height above the text view, and the room kept below it.
constexpr int kCommandRowPx = 20;
constexpr int kBottomRoomPx = 5;
}  // namespace

MainWindow::MainWindow(ProgramPaths paths, std::string commandLine, QWidget* parent)
    : QWidget(parent),
      mPaths(std::move(paths)),
      mCommandLine(std::move(commandLine)),
      mSession(mPaths.baseFolder),
      mTextCopies(TextFolder(mPaths.baseFolder)),
      mTextPlaces(mPaths.baseFolder) {
  BuildControls();
  PrepareWindow();
  mSpeaker.SetFailureReport(*this,
                            [this](const QString& text) { mTextView->ShowStatusLine(text); });
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

  mTextView = std::make_unique<TextView>(mSession, mSetting, this);
  mTextView->move(0, kCommandRowPx);

  mFocusSink = new PictureBox(this, palette().color(QPalette::Window));
  mFocusSink->setGeometry(508, 4, 9, 13);
  mFocusSink->setFocusPolicy(Qt::StrongFocus);
  mTextView->SetFocusHolder(mFocusSink);

  mEditTextButton->setEnabled(false);
  mReopenButton->setEnabled(false);
  mSpeakBox->setEnabled(false);

  mMsg = new MessageDialog(
      QString::fromStdString(mPaths.programFolder),
      QString::fromUtf8(kProductName) + u' ' + QString::fromStdString(mPaths.exeBaseName), this);
  mWordList = std::make_unique<WordListStore>(mPaths.baseFolder, [this](const std::u16string& msg) {
    ShowMessage(msg, MessageDialog::Buttons::kOK);
  });

  connect(mOpenTextButton, &QPushButton::clicked, this, &MainWindow::ChooseAndOpenText);
  connect(mEditTextButton, &QPushButton::clicked, this, [this] { EditTextInEditor(mTextPath); });
  connect(mReopenButton, &QPushButton::clicked, this, [this] { OpenTextFile(mTextPath); });
  connect(mDictionaryEditorButton, &QPushButton::clicked, this, &MainWindow::ShowDictionaryEditor);
  connect(mSettingsButton, &QPushButton::clicked, this, &MainWindow::EditSettings);
  connect(mHelpButton, &QPushButton::clicked, this, &MainWindow::ShowHelp);
  connect(mWordListButton, &QPushButton::clicked, this, &MainWindow::ShowWordList);
  connect(mEndButton, &QPushButton::clicked, this, &MainWindow::StorePlaceAndEnd);
  connect(mTextView.get(), &TextView::addWordAsked, this, &MainWindow::AddWordToList);
  connect(mTextView.get(), &TextView::wordClicked, this, &MainWindow::SpeakWord);
  connect(mTextView.get(), &TextView::wordRightClicked, this, &MainWindow::LookUpWord);
  connect(mTextView.get(), &TextView::fileDropped, this, &MainWindow::OpenTextFile);
}

void MainWindow::PrepareWindow() {
  setWindowTitle(BaseCaption());
  const QRect screen = PrimaryScreenGeometry();
  mScreenHeightPx = screen.height();
  SetDefaultSettings(screen.width(), mSettingDef, mSettingMax);
  if (IsFileExist(IniPath())) {
    ReadIniSettings(IniPath(), mSettingDef, mSettingMax, mSetting,
                    [this](const std::u16string& msg) { ShowPlainMessage(Q(msg)); });
  } else {
    mSetting = mSettingDef;
  }
  SetInitialLayout();
  mFontSizeOk = mTextView->TakeFontSize(mSetting);
  if (!mFontSizeOk)
    mTextView->DrawInFontSize(9.6);
  CreateCommandWindows();
}

void MainWindow::CreateCommandWindows() {
  const auto plain = [this](const QString& text, QWidget* parent) {
    ShowPlainMessage(text, parent);
  };
  mSettingsDialog = new SettingsDialog(QString::fromStdString(mPaths.programFolder), plain, this);
  mSettingsDialog->ShowLineSpaceRange(mSettingDef, mSettingMax);
  mSettingsDialog->FillFields(mSetting);
  mSettingsDialog->SetFontSizeEnabled(mFontSizeOk);

  mTextChooser = new TextChooser(
      TextFolder(mPaths.baseFolder), plain,
      [this](const std::string& path) { return mTextCopies.ChooserNote(path); }, this);

  // A help page that does not open is reported, so the user knows to look for a browser.
  mHelpPage = new HelpPageOpener(
      [this](HelpFailure failure, const QString& detail) {
        ShowPlainMessage(
            Q(MsgHelpNotOpened(QPath(HelpPagePath(mPaths.baseFolder)).toStdU16String(),
                               HelpFailureReason(failure, mHelpPage->Program(), detail))));
      },
      this);

  // Key preview: the keys reach the window whichever of its controls has the focus.
  const std::pair<Qt::Key, void (MainWindow::*)()> keys[] = {
      {Qt::Key_F1, &MainWindow::ShowHelp},
      {Qt::Key_F2, &MainWindow::ShowWordList},
      {Qt::Key_F3, &MainWindow::OpenTextReadLast},
  };
  for (const auto& [key, command] : keys) {
    auto* shortcut = new QShortcut(QKeySequence(key), this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, command);
  }
}

// The window stands at the stored left edge, at the top of the screen, 0.92 of the screen
// high; it keeps its designed width until a text is loaded.
void MainWindow::SetInitialLayout() {
  move(mSetting.FormLeft, kFormTop);
  const int height = static_cast<int>(RoundHalfEven(0.92 * mScreenHeightPx));
  resize(width(), height);
  mTextView->Resize(width(), height - mEndButton->height() - kBottomRoomPx);
}

void MainWindow::FitWindowToText(int maxRight) {
  resize(mTextView->FitToText(maxRight), height());
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

void MainWindow::ActivateFirstTime() {
  if (mActivated)
    return;
  // Set before the work: the message dialogs below make this window active again before
  // this call returns, and the dictionary is read once per run.
  mActivated = true;

  const std::string dicPath = DicPath(mPaths.baseFolder);
  const auto endWith = [this](const std::u16string& msg) {
    ShowMessage(msg, MessageDialog::Buttons::kOK);
    EndProgram();
  };
  if (!IsFileExist(dicPath))
    return endWith(MsgDicNotFound(QPath(dicPath).toStdU16String()));
  CharCode code = CharCode::kNone;
  if (const Status status = GetFileCharCode(dicPath, code); !status.ok())
    return endWith(MsgDicUnreadable(QPath(dicPath).toStdU16String(), SystemReason(status)));
  if (!IsSjisCompatible(code)) {
    return endWith(
        MsgDicNotShiftJis(QPath(dicPath).toStdU16String(), Utf8ToUtf16(GetCharCodeName(code))));
  }

  TextView& view = *mTextView;
  view.Print(u"", true);
  view.Print(kDicLoading, false);
  view.SetBusy(true);
  view.Pane().repaint();
  const Status loaded = mSession.LoadDictionary(dicPath);
  view.SetBusy(false);
  if (!loaded.ok())
    return endWith(MsgDicUnreadable(QPath(dicPath).toStdU16String(), SystemReason(loaded)));
  view.Print(kDicLoaded, true);
  view.Print(kDicWordCount + Utf8ToUtf16(std::to_string(mSession.Dic().Count())), true);

  // A file named on the command line that cannot be opened at all (missing, a folder, a pipe,
  // a device, not readable) is named with the reason, and the greeting follows. A hidden file
  // is opened like any other: the user named it.
  const std::u16string problem = mCommandLine.empty() ? u"" : TextFileProblem(mCommandLine);
  if (!mCommandLine.empty() && problem.empty()) {
    // A path relative to the folder Kelmoa was started in is made whole, so that the caption
    // names the file and the editor gets a path it can open from anywhere.
    std::error_code ec;
    const std::filesystem::path whole = std::filesystem::absolute(mCommandLine, ec);
    OpenTextFile(ec ? mCommandLine : whole.string());
  } else {
    if (!problem.empty()) {
      ShowMessage(MsgTextFileUnreadable(QPath(mCommandLine).toStdU16String(), problem),
                  MessageDialog::Buttons::kOK);
    }
    for (const std::u16string& line : GreetingLines())
      view.Print(line, true);
  }
  view.Pane().update();
}

bool MainWindow::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::WindowActivate:
      ActivateFirstTime();
      break;
    case QEvent::WindowDeactivate:
      mTextView->HideMeaningPopup();  // the pointer is with another window now
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

// The wheel scrolls the text wherever the pointer is over the window.
void MainWindow::wheelEvent(QWheelEvent* event) {
  mTextView->WheelRoll(event->angleDelta().y(), event->modifiers());
  event->accept();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  EndProgram();
  event->accept();
}

MessageDialog::Answer MainWindow::ShowMessage(const std::u16string& msg,
                                              MessageDialog::Buttons buttons, bool offerConvert) {
  return mMsg->Ask(this, Q(msg), buttons, QString::fromLatin1(kNotifySoundFileName), offerConvert);
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

void MainWindow::TellSettingsNotStored(const Status& status) {
  if (status.ok() || mIniFailureTold)
    return;
  mIniFailureTold = true;
  ShowPlainMessage(
      Q(MsgSettingsNotStored(QPath(IniPath()).toStdU16String(), ReasonInWords(status))));
}

void MainWindow::StorePlaceAndEnd() {
  const QRect frame = frameGeometry();
  // The left edge is kept for the next run; a window partly off the screen stores nothing.
  TellSettingsNotStored(WriteIniFormLeft(IniPath(), frame.x(), frame.y()));
  EndProgram();
}

void MainWindow::EndProgram() {
  if (!mProgramEnded)
    mTextPlaces.Leave(mTextView->FirstLine());
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
  return SettingsPath(mPaths.programFolder, mPaths.title);
}

}  // namespace kelmoa
