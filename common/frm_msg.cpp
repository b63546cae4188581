#include "common/frm_msg.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <cmath>

#include "common/window_helpers.h"

namespace kelmoa {
namespace {

constexpr int kLblLeft = 8;
constexpr int kLblTop = 8;
constexpr int kButtonWidth = 73;
constexpr int kButtonHeight = 25;
// The dialog's height counts its caption bar, which the window system adds outside the
// client area that is laid out here.
constexpr int kCaptionBarPx = 30;

}  // namespace

frmMsg::frmMsg(QString programFolder, QString caption, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      mProgramFolder(std::move(programFolder)),
      mCaption(std::move(caption)),
      mLblMsg(new QLabel(this)),
      mCmdOK(new QPushButton(QStringLiteral("O K"), this)),
      mCmdCancel(new QPushButton(QStringLiteral("キャンセル"), this)),
      mCmdConvert(new QPushButton(QStringLiteral("変換して開く"), this)) {
  setFont(QFont(kUiFontName, static_cast<int>(kUiFontPointSize)));
  setModal(true);
  SetTopMost(*this);
  setWindowTitle(mCaption);
  mLblMsg->setTextFormat(Qt::PlainText);
  mLblMsg->move(kLblLeft, kLblTop);
  mCmdOK->resize(kButtonWidth, kButtonHeight);
  mCmdCancel->resize(kButtonWidth, kButtonHeight);
  mCmdOK->setDefault(true);
  setTabOrder(mCmdOK, mCmdCancel);
  // As high as the others, and as wide unless its caption needs more.
  mCmdConvert->resize(std::max(kButtonWidth, mCmdConvert->sizeHint().width()), kButtonHeight);
  mCmdConvert->hide();
  setTabOrder(mCmdCancel, mCmdConvert);
  connect(mCmdOK, &QPushButton::clicked, this, &frmMsg::cmdOK_Click);
  connect(mCmdCancel, &QPushButton::clicked, this, &frmMsg::cmdCancel_Click);
  connect(mCmdConvert, &QPushButton::clicked, this, &frmMsg::cmdConvert_Click);
}

int frmMsg::DispFrmMsg(QWidget* pParentForm, const QString& pMsg, int pBtn, const QString& pWav,
                       bool offerConvert) {
  QString text = pMsg;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  mLblMsg->setText(text);
  mLblMsg->adjustSize();
  const bool twoButtons = pBtn != 0;
  mCmdCancel->setVisible(twoButtons);

  const int width = mLblMsg->x() + mLblMsg->width() + 10;
  const int outerHeight = mLblMsg->y() + mLblMsg->height() + 80;
  const int height = outerHeight - kCaptionBarPx;
  setFixedSize(width, height);
  const int buttonTop = height - (5 + kButtonHeight);
  if (twoButtons) {
    const int okLeft = (width - (kButtonWidth + kButtonWidth)) / 2;
    mCmdOK->move(okLeft, buttonTop);
    mCmdCancel->move(okLeft + kButtonWidth + 2, buttonTop);
  } else {
    mCmdOK->move((width - kButtonWidth) / 2, buttonTop);
  }
  mCmdConvert->setVisible(offerConvert);
  if (offerConvert) {
    // The convert button joins the row: all of it centred, 2 pixels between buttons.
    const int rowWidth =
        (twoButtons ? 2 * (kButtonWidth + 2) : kButtonWidth + 2) + mCmdConvert->width();
    const int left = (width - rowWidth) / 2;
    mCmdOK->move(left, buttonTop);
    mCmdCancel->move(left + kButtonWidth + 2, buttonTop);
    mCmdConvert->move(left + rowWidth - mCmdConvert->width(), buttonTop);
  }
  if (pParentForm != nullptr) {
    // The upper part of the parent, not its middle; no clamping to the screen.
    const QRect p = pParentForm->frameGeometry();
    const double top = p.y() + (p.height() - outerHeight) / 8.0;
    const double left = p.x() + (p.width() - width) / 2.0;
    move(static_cast<int>(std::lround(left)), static_cast<int>(std::lround(top)));
  }

  if (!pWav.isEmpty())
    PlayWav(pWav, mProgramFolder, this);
  mCmdOK->setFocus();
  if (mResponder) {
    const int answer = mResponder(text, pBtn);
    mBtnResult = answer == kOK ? kOK : answer == kConvert && offerConvert ? kConvert : kCancel;
    return mBtnResult;
  }
  exec();
  return mBtnResult;
}

void frmMsg::cmdOK_Click() {
  mBtnResult = kOK;
  done(Accepted);  // hides the dialog and ends its modal showing
}

void frmMsg::cmdCancel_Click() {
  mBtnResult = kCancel;
  done(Rejected);
}

void frmMsg::cmdConvert_Click() {
  mBtnResult = kConvert;
  done(Accepted);
}

void frmMsg::reject() {
  cmdCancel_Click();
}

void frmMsg::Form_Activate() {
  setWindowTitle(mCaption);
}

bool frmMsg::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate)
    Form_Activate();
  return QDialog::event(event);
}

}  // namespace kelmoa
