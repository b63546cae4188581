// The settings window: font size, line spacing and external editor.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "core/settings/settings.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kelmoa {

// The settings window: font size, extra line spacing and external editor, with a test start
// of the editor, and whether a popup that stays 2 s adds its word to the word list. It only holds
// the edited values; the main window reads them after a confirmed showing, applies them and stores
// them. Created hidden with the main window and only hidden after every showing, so its fields keep
// what was typed until it is filled again.
class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  // Shows a plain message box with the text over the given window.
  using PlainMessageFn = std::function<void(const QString& text, QWidget* parent)>;

  // programFolder holds the notify sound.
  SettingsDialog(QString programFolder, PlainMessageFn showPlainMessage, QWidget* parent);

  // Shows the line-spacing range "(min-max)"; the step buttons keep within it.
  void ShowLineSpaceRange(const SettingInfo& min, const SettingInfo& max);
  // Shows the window modally with the fields filled from current, accepting a line spacing of
  // minLineSpace..maxLineSpace. Returns the edited settings after "設定変更(&R)", nothing after
  // "キャンセル(&C)" or closing the window.
  std::optional<SettingInfo> Edit(const SettingInfo& current, int minLineSpace, int maxLineSpace);

  // Fills the fields (and the hover check box) from a settings record. A font size other than the
  // three leaves the options as they are.
  void FillFields(const SettingInfo& setting);
  // Copies font size, line spacing, editor path and the hover check box from the fields. The line
  // spacing is the field's number, which "設定変更(&R)" has checked.
  void ReadFields(SettingInfo& setting) const;
  // Off when the pane cannot take the three sizes: no size can be chosen for the rest of the
  // run.
  void SetFontSizeEnabled(bool enabled);
  // The editor field as it stands, also after a cancelled showing.
  QString TextEditorText() const;

  // Runs at every showing: the focus starts on "キャンセル(&C)", so Enter cancels.
  void FocusCancel();
  // Index 0 is "+1", index 1 "-1".
  void StepLineSpace(int index);
  void TakeSample(int index);
  void TryEditor();
  void ConfirmChange();
  void Cancel();

 protected:
  void showEvent(QShowEvent* event) override;
  // Escape and the frame's close button count as "キャンセル(&C)".
  void reject() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  // The range test of a numeric field: on failure the notify sound, the range message and the
  // focus back in the field.
  bool CheckFieldRange(QLineEdit& field, std::u16string_view itemName, int min, int max);

  QString mProgramFolder;
  PlainMessageFn mShowPlainMessage;
  int mLineSpaceMin = 0;  // the accepted line spacings of the current showing
  int mLineSpaceMax = 0;
  int mLSpaceRangeMin = 0;  // the range shown in the line-spacing range label
  int mLSpaceRangeMax = 0;

  QGroupBox* mFontSizeFrame;
  std::array<QRadioButton*, 3> mFontSizeOptions;
  QGroupBox* mLineSpaceFrame;
  QLineEdit* mLineSpaceField;
  std::array<QPushButton*, 2> mStepButtons;
  QLabel* mLineSpaceRangeLabel;
  QPushButton* mTryEditorButton;
  QLineEdit* mEditorField;
  std::array<QLineEdit*, 2> mSampleFields;
  QCheckBox* mHoverAddsWordBox;
  QPushButton* mConfirmButton;
  QPushButton* mCancelButton;
};

// Messages of the settings window's editor test.
inline constexpr char16_t kMsgNoEditorGiven[] = u"エディタが指定されていません";
inline constexpr char16_t kMsgEditorMissing[] = u"エディタが見つかりません";

// The settings file could not be written after a settings change; the new settings hold for
// this run only.
std::u16string MsgIniNotWritten(std::u16string_view path, std::u16string_view reason);
// A window place was not stored on ending or closing: the settings file stays as it was.
std::u16string MsgSettingsNotStored(std::u16string_view path, std::u16string_view reason);

}  // namespace kelmoa
