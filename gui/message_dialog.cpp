// The program's own message box: laying the message out within the screen, and its answers.
#include "gui/message_dialog.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <cmath>

#include "gui/window_helpers.h"

namespace kelmoa {
namespace {

constexpr int kLblLeft = 8;
constexpr int kLblTop = 8;
constexpr int kButtonWidth = 73;
constexpr int kButtonHeight = 25;
// The dialog's height counts its caption bar, which the window system adds outside the
// client area that is laid out here.
constexpr int kCaptionBarPx = 30;
// Room kept for the window frame's sides when the dialog is fitted to the screen.
constexpr int kFrameSidesPx = 16;

// The part of the screen that windows may take, where the dialog is to stand.
QRect ScreenRoom(const QWidget* parent) {
  const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

// A line broken into pieces no wider than maxWidth as the label draws them: at a place where
// a line may break (after a "/", say) when anywhere is false, else between any characters.
QStringList WrapLine(const QString& line, const QFont& font, int maxWidth, bool anywhere) {
  QTextLayout layout(line, font);
  QTextOption option;
  option.setWrapMode(anywhere ? QTextOption::WrapAnywhere
                              : QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  QStringList pieces;
  layout.beginLayout();
  for (QTextLine row = layout.createLine(); row.isValid(); row = layout.createLine()) {
    row.setLineWidth(maxWidth);
    pieces << line.mid(row.textStart(), row.textLength());
  }
  layout.endLayout();
  if (pieces.isEmpty())
    pieces << QString();
  return pieces;
}

// Lays the message out within maxWidth pixels and maxLines lines: a line too wide is wrapped;
// when the message is then too tall, the lines that take more than one row share the rows
// left by the others and give up their middles ("…") to fit them, so that each keeps its
// beginning and its end (a path keeps its folder and file name).
QString FitMessage(const QString& text, const QFont& font, int maxWidth, int maxLines) {
  const QStringList lines = text.split(u'\n');
  QList<QStringList> wrapped;
  qsizetype rows = 0;
  qsizetype longLines = 0;
  for (const QString& line : lines) {
    wrapped << WrapLine(line, font, maxWidth, false);
    rows += wrapped.back().size();
    longLines += wrapped.back().size() > 1 ? 1 : 0;
  }
  if (rows > maxLines && longLines > 0) {
    const qsizetype spare = maxLines - (lines.size() - longLines);
    const qsizetype keep = std::max<qsizetype>(spare / longLines, 1);
    // Wrapped anywhere, a row loses less than one character's width.
    const QFontMetrics fm(font);
    const int width = static_cast<int>(keep) * std::max(maxWidth - fm.maxWidth(), 1);
    for (qsizetype i = 0; i < lines.size(); ++i) {
      if (wrapped[i].size() > keep)
        wrapped[i] =
            WrapLine(fm.elidedText(lines[i], Qt::ElideMiddle, width), font, maxWidth, true);
    }
  }
  QStringList shown;
  for (const QStringList& pieces : wrapped)
    shown << pieces;
  // Many short lines: the ones beyond the room give way to one "…".
  if (shown.size() > maxLines) {
    shown = shown.mid(0, std::max<qsizetype>(maxLines - 1, 0));
    shown << QStringLiteral("…");
  }
  return shown.join(u'\n');
}

}  // namespace

MessageDialog::MessageDialog(QString programFolder, QString caption, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      mProgramFolder(std::move(programFolder)),
      mCaption(std::move(caption)),
      mMessageLabel(new QLabel(this)),
      mOKButton(new QPushButton(QStringLiteral("O K"), this)),
      mCancelButton(new QPushButton(QStringLiteral("キャンセル"), this)),
      mConvertButton(new QPushButton(QStringLiteral("変換して開く"), this)) {
  setFont(QFont(kUiFontName, static_cast<int>(kUiFontPointSize)));
  setModal(true);
  SetTopMost(*this);
  setWindowTitle(mCaption);
  mMessageLabel->setTextFormat(Qt::PlainText);
  mMessageLabel->move(kLblLeft, kLblTop);
  mOKButton->resize(kButtonWidth, kButtonHeight);
  mCancelButton->resize(kButtonWidth, kButtonHeight);
  mOKButton->setDefault(true);
  setTabOrder(mOKButton, mCancelButton);
  // As high as the others, and as wide unless its caption needs more.
  mConvertButton->resize(std::max(kButtonWidth, mConvertButton->sizeHint().width()), kButtonHeight);
  mConvertButton->hide();
  setTabOrder(mCancelButton, mConvertButton);
  connect(mOKButton, &QPushButton::clicked, this, &MessageDialog::AnswerOK);
  connect(mCancelButton, &QPushButton::clicked, this, &MessageDialog::Cancel);
  connect(mConvertButton, &QPushButton::clicked, this, &MessageDialog::AnswerConvert);
}

MessageDialog::Answer MessageDialog::Ask(QWidget* parent, const QString& msg, Buttons buttons,
                                         const QString& wav, bool offerConvert) {
  QString text = msg;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  // The dialog never grows past the screen: a long line is wrapped, a message still too tall
  // loses the middles of its longest lines.
  const QRect room = ScreenRoom(parent);
  const QFontMetrics fm = mMessageLabel->fontMetrics();
  const int maxWidth = room.width() - (kLblLeft + 10 + kFrameSidesPx);
  const int maxHeight = room.height() - (kLblTop + 80 + kFrameSidesPx);
  mMessageLabel->setText(FitMessage(text, mMessageLabel->font(), std::max(maxWidth, 1),
                                    std::max(maxHeight / std::max(fm.lineSpacing(), 1), 1)));
  mMessageLabel->adjustSize();
  const bool twoButtons = buttons == Buttons::kOKCancel;
  mCancelButton->setVisible(twoButtons);

  const int width = mMessageLabel->x() + mMessageLabel->width() + 10;
  const int outerHeight = mMessageLabel->y() + mMessageLabel->height() + 80;
  const int height = outerHeight - kCaptionBarPx;
  setFixedSize(width, height);
  const int buttonTop = height - (5 + kButtonHeight);
  if (twoButtons) {
    const int okLeft = (width - (kButtonWidth + kButtonWidth)) / 2;
    mOKButton->move(okLeft, buttonTop);
    mCancelButton->move(okLeft + kButtonWidth + 2, buttonTop);
  } else {
    mOKButton->move((width - kButtonWidth) / 2, buttonTop);
  }
  mConvertButton->setVisible(offerConvert);
  if (offerConvert) {
    // The convert button joins the row: all of it centred, 2 pixels between buttons.
    const int rowWidth =
        (twoButtons ? 2 * (kButtonWidth + 2) : kButtonWidth + 2) + mConvertButton->width();
    const int left = (width - rowWidth) / 2;
    mOKButton->move(left, buttonTop);
    mCancelButton->move(left + kButtonWidth + 2, buttonTop);
    mConvertButton->move(left + rowWidth - mConvertButton->width(), buttonTop);
  }
  if (parent != nullptr) {
    // The upper part of the parent, not its middle; over a parent partly off the screen it
    // stays on the screen.
    const QRect p = parent->frameGeometry();
    const double top = p.y() + (p.height() - outerHeight) / 8.0;
    const double left = p.x() + (p.width() - width) / 2.0;
    const int x = std::clamp(static_cast<int>(std::lround(left)), room.left(),
                             std::max(room.left(), room.right() + 1 - width - kFrameSidesPx));
    const int y = std::clamp(static_cast<int>(std::lround(top)), room.top(),
                             std::max(room.top(), room.bottom() + 1 - outerHeight));
    move(x, y);
  }

  if (!wav.isEmpty())
    PlayWav(wav, mProgramFolder, this);
  mOKButton->setFocus();
  if (mResponder) {
    const Answer answer = mResponder(text, buttons);
    // Only a button the dialog shows can answer.
    mAnswer = answer == Answer::kConvert && !offerConvert ? Answer::kCancel : answer;
    return mAnswer;
  }
  exec();
  return mAnswer;
}

void MessageDialog::AnswerOK() {
  mAnswer = Answer::kOK;
  done(Accepted);  // hides the dialog and ends its modal showing
}

void MessageDialog::Cancel() {
  mAnswer = Answer::kCancel;
  done(Rejected);
}

void MessageDialog::AnswerConvert() {
  mAnswer = Answer::kConvert;
  done(Accepted);
}

void MessageDialog::reject() {
  Cancel();
}

void MessageDialog::ShowCaption() {
  setWindowTitle(mCaption);
}

bool MessageDialog::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate)
    ShowCaption();
  return QDialog::event(event);
}

}  // namespace kelmoa
