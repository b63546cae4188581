// The settings window: font size, line spacing and external editor.
#include "gui/settings_dialog.h"

#include <QCheckBox>
#include <QEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "core/base/paths.h"
#include "core/text/messages.h"
#include "gui/editor_launch.h"
#include "gui/window_helpers.h"

namespace kelmoa {
namespace {

constexpr char16_t kLineSpaceItem[] = u"行間";
// The step buttons read the field as a 16-bit number; longer digit strings are left alone.
constexpr int kStepFieldMax = 32767;
// The plain editor is taken by name, without looking for a file.
const QString kPlainEditorName = QString::fromLatin1(kPlainEditor);

}  // namespace

SettingsDialog::SettingsDialog(QString programFolder, PlainMessageFn showPlainMessage,
                               QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      mProgramFolder(std::move(programFolder)),
      mShowPlainMessage(std::move(showPlainMessage)) {
  BuildControls();
}

// The window's design: every control at its place, with its caption and tooltip.
void SettingsDialog::BuildControls() {
  setWindowTitle(QStringLiteral("設定"));
  setFont(QFont(kPaneFontName, static_cast<int>(kUiFontPointSize)));
  setModal(true);
  setFixedSize(490, 195);

  mFontSizeFrame = new QGroupBox(QStringLiteral("フォントサイズ"), this);
  mFontSizeFrame->setGeometry(4, 4, 109, 73);
  const std::array<QString, 3> sizes = {QStringLiteral(" 9.75pt"), QStringLiteral("11.25pt"),
                                        QStringLiteral("12.75pt")};
  for (int i = 0; i < 3; ++i) {
    mFontSizeOptions[i] = new QRadioButton(sizes[i], mFontSizeFrame);
    mFontSizeOptions[i]->setGeometry(12, 20 + 16 * i, i == 0 ? 69 : 73, 13);
  }

  mLineSpaceFrame = new QGroupBox(QStringLiteral("行間"), this);
  mLineSpaceFrame->setGeometry(120, 4, 121, 65);
  mLineSpaceField = new QLineEdit(QStringLiteral("3"), mLineSpaceFrame);
  mLineSpaceField->setGeometry(12, 16, 25, 18);
  MakeLabel(mLineSpaceFrame, QStringLiteral("ピクセル"), QRect(44, 20, 53, 13));
  mStepButtons[1] = MakeButton(mLineSpaceFrame, QStringLiteral("-1"), QRect(56, 36, 25, 21));
  mStepButtons[0] = MakeButton(mLineSpaceFrame, QStringLiteral("+1"), QRect(80, 36, 25, 21));
  mLineSpaceRangeLabel = MakeLabel(mLineSpaceFrame, QString(), QRect(8, 40, 41, 13));

  MakeLabel(this, QStringLiteral("テキストエディタへのパス"), QRect(4, 84, 149, 13));
  mTryEditorButton = MakeButton(this, QStringLiteral("エディタを起動"), QRect(280, 80, 101, 21));
  mEditorField = new QLineEdit(this);
  mEditorField->setGeometry(4, 100, 381, 21);

  const std::array<QString, 2> samples = {QStringLiteral("/usr/bin/gedit"),
                                          QStringLiteral("/usr/bin/kate")};
  for (int i = 0; i < 2; ++i) {
    MakeLabel(this, QStringLiteral("(入力例)"), QRect(4, 128 + 24 * i, 57, 13));
    mSampleFields[i] = new QLineEdit(samples[i], this);
    mSampleFields[i]->setGeometry(64, 124 + 24 * i, 321, 19);
    mSampleFields[i]->setReadOnly(true);
    QPalette grey = mSampleFields[i]->palette();
    grey.setColor(QPalette::Base, QColor(192, 192, 192));
    mSampleFields[i]->setPalette(grey);
    mSampleFields[i]->installEventFilter(this);
  }

  // In the free strip under the samples.
  mHoverAddsWordBox =
      new QCheckBox(QStringLiteral("ポップアップが2秒出ていた単語も単語帳に入れる"), this);
  mHoverAddsWordBox->setGeometry(4, 172, 381, 17);
  mHoverAddsWordBox->setToolTip(QStringLiteral(
      "マウスを止めたまま意味が2秒表示された単語を、クリックしなくても単語帳に加えます"));

  const QFont buttonFont(kUiFontName, static_cast<int>(kUiFontPointSize));
  mConfirmButton = MakeButton(this, QStringLiteral("設定変更(&R)"), QRect(392, 100, 93, 63));
  mConfirmButton->setToolTip(
      QStringLiteral("設定を変更し、変更内容を設定ファイルに保存してこの画面を閉じます"));
  mConfirmButton->setFont(buttonFont);
  mCancelButton = MakeButton(this, QStringLiteral("キャンセル(&C)"), QRect(392, 164, 93, 27));
  mCancelButton->setToolTip(QStringLiteral("元の設定内容に戻してこの画面を閉じます"));
  mCancelButton->setFont(buttonFont);

  connect(mStepButtons[0], &QPushButton::clicked, this, [this] { StepLineSpace(0); });
  connect(mStepButtons[1], &QPushButton::clicked, this, [this] { StepLineSpace(1); });
  connect(mTryEditorButton, &QPushButton::clicked, this, &SettingsDialog::TryEditor);
  connect(mConfirmButton, &QPushButton::clicked, this, &SettingsDialog::ConfirmChange);
  connect(mCancelButton, &QPushButton::clicked, this, &SettingsDialog::Cancel);
}

void SettingsDialog::ShowLineSpaceRange(const SettingInfo& min, const SettingInfo& max) {
  mLSpaceRangeMin = min.LineSpace;
  mLSpaceRangeMax = max.LineSpace;
  mLineSpaceRangeLabel->setText(
      QStringLiteral("(%1-%2)").arg(mLSpaceRangeMin).arg(mLSpaceRangeMax));
}

void SettingsDialog::FillFields(const SettingInfo& setting) {
  for (size_t i = 0; i < std::size(kFontSizes); ++i) {
    if (setting.FontSize == kFontSizes[i])
      mFontSizeOptions[i]->setChecked(true);
  }
  mLineSpaceField->setText(QString::number(setting.LineSpace));
  mEditorField->setText(Q(setting.TextEditor));
  mHoverAddsWordBox->setChecked(setting.HoverAddsWord);
}

void SettingsDialog::ReadFields(SettingInfo& setting) const {
  if (mFontSizeOptions[0]->isChecked()) {
    setting.FontSize = kFontSizes[0];
  } else if (mFontSizeOptions[1]->isChecked()) {
    setting.FontSize = kFontSizes[1];
  } else {
    setting.FontSize = kFontSizes[2];
  }
  setting.LineSpace = mLineSpaceField->text().toInt();
  setting.TextEditor = mEditorField->text().toStdU16String();
  setting.HoverAddsWord = mHoverAddsWordBox->isChecked();
}

void SettingsDialog::SetFontSizeEnabled(bool enabled) {
  mFontSizeFrame->setEnabled(enabled);
  for (QRadioButton* option : mFontSizeOptions)
    option->setEnabled(enabled);
}

QString SettingsDialog::TextEditorText() const {
  return mEditorField->text();
}

std::optional<SettingInfo> SettingsDialog::Edit(const SettingInfo& current, int minLineSpace,
                                                int maxLineSpace) {
  FillFields(current);
  mLineSpaceMin = minLineSpace;
  mLineSpaceMax = maxLineSpace;
  if (exec() != Accepted)
    return std::nullopt;
  SettingInfo edited = current;
  ReadFields(edited);
  return edited;
}

void SettingsDialog::FocusCancel() {
  mCancelButton->setFocus();
}

void SettingsDialog::StepLineSpace(int index) {
  const std::u16string text = mLineSpaceField->text().toStdU16String();
  if (!IsTextInRange(text, 0, kStepFieldMax))
    return;  // letters, nothing, or a number too long to step
  const int value = mLineSpaceField->text().toInt();
  if (index == 1 && value > mLSpaceRangeMin) {
    mLineSpaceField->setText(QString::number(value - 1));
  } else if (index == 0 && value < mLSpaceRangeMax) {
    mLineSpaceField->setText(QString::number(value + 1));
  }
}

void SettingsDialog::TakeSample(int index) {
  mEditorField->setText(mSampleFields[static_cast<size_t>(index)]->text());
  mEditorField->setFocus();
}

void SettingsDialog::TryEditor() {
  const QString editor = mEditorField->text();
  if (editor.isEmpty()) {
    mShowPlainMessage(Q(kMsgNoEditorGiven), this);
    return;
  }
  const std::string path = QFile::encodeName(editor).toStdString();
  const bool plainEditor = editor.compare(kPlainEditorName, Qt::CaseInsensitive) == 0;
  if (!plainEditor && !IsFileExist(path)) {
    mShowPlainMessage(Q(kMsgEditorMissing), this);
    return;
  }
  // The path as typed, without arguments; a file given relative to the current folder is
  // started from there rather than looked for on the search path.
  const QString program = plainEditor ? editor : QFile::decodeName(AbsolutePath(path).c_str());
  QString reason;
  if (!StartDetachedProgram(program, {}, reason))
    mShowPlainMessage(Q(MsgEditorNotStarted(editor.toStdU16String(), reason.toStdU16String())),
                      this);
}

void SettingsDialog::ConfirmChange() {
  if (!CheckFieldRange(*mLineSpaceField, kLineSpaceItem, mLineSpaceMin, mLineSpaceMax))
    return;
  done(Accepted);  // hides the window and ends its modal showing
}

void SettingsDialog::Cancel() {
  done(Rejected);
}

bool SettingsDialog::CheckFieldRange(QLineEdit& field, std::u16string_view itemName, int min,
                                     int max) {
  if (IsTextInRange(field.text().toStdU16String(), min, max))
    return true;
  PlayWav(QString::fromLatin1(kNotifySoundFileName), mProgramFolder, this);
  mShowPlainMessage(Q(MsgOutOfRange(itemName, min, max)), this);
  field.setFocus();
  return false;
}

void SettingsDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FocusCancel();
}

void SettingsDialog::reject() {
  Cancel();
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    for (size_t i = 0; i < mSampleFields.size(); ++i) {
      if (watched == mSampleFields[i]) {
        TakeSample(static_cast<int>(i));
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

std::u16string MsgSettingsNotStored(std::u16string_view path, std::u16string_view reason) {
  return u"ウィンドウの位置を設定ファイルに保存できませんでした。\r\n    ファイル名＝" +
         std::u16string(path) + u"\r\n    理由＝" + std::u16string(reason) +
         u"\r\n設定ファイルはそのままにしてあります。";
}

std::u16string MsgIniNotWritten(std::u16string_view path, std::u16string_view reason) {
  return u"設定ファイルに保存できませんでした。\r\n    ファイル名＝" + std::u16string(path) +
         u"\r\n    理由＝" + std::u16string(reason) +
         u"\r\n新しい設定は、ケルモアを終了するまで有効です。";
}

}  // namespace kelmoa
