// The program's own message box: a message with O K, O K and キャンセル, or those and 変換して開く.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QLabel;
class QPushButton;

namespace kelmoa {

// The program's own message box: sizes itself to the message, sits in the upper part of the
// calling window, may play a sound, stays above other windows and is modal. One instance
// serves the whole run; it is hidden, not destroyed, after every answer.
class MessageDialog : public QDialog {
  Q_OBJECT

 public:
  // The buttons a message offers.
  enum class Buttons { kOK, kOKCancel };
  // The answers Ask returns: kConvert is the button that prepares a refused text into a copy
  // and opens that.
  enum class Answer { kOK, kCancel, kConvert };

  // Stands in for the user in tests: gets the shown message (lines joined by "\n") and the
  // buttons, and returns the button pressed. The dialog is laid out but not shown.
  using Responder = std::function<Answer(const QString& msg, Buttons buttons)>;

  // programFolder holds the sound files; caption is the window title.
  MessageDialog(QString programFolder, QString caption, QWidget* parent);

  // Shows msg (lines separated by CR LF) with "O K" only or "O K" and "キャンセル", plays wav
  // from the program folder when it is not empty and the file exists, and waits for the
  // answer: kOK or kCancel. Closing the dialog through its frame counts as Cancel. The
  // dialog stays within the screen: long lines are wrapped, and a message still too tall shows
  // its long lines' beginnings and ends around a "…".
  // offerConvert adds the button "変換して開く" at the end of the row; it answers kConvert.
  Answer Ask(QWidget* parent, const QString& msg, Buttons buttons, const QString& wav,
             bool offerConvert = false);

  void SetResponder(Responder responder) { mResponder = std::move(responder); }

  void AnswerOK();
  void Cancel();
  void AnswerConvert();
  void ShowCaption();

  const QLabel& MessageLabel() const { return *mMessageLabel; }
  const QPushButton& OKButton() const { return *mOKButton; }
  const QPushButton& CancelButton() const { return *mCancelButton; }
  const QPushButton& ConvertButton() const { return *mConvertButton; }

 protected:
  bool event(QEvent* event) override;
  // Escape and the frame's close button.
  void reject() override;

 private:
  QString mProgramFolder;
  QString mCaption;
  QLabel* mMessageLabel;
  QPushButton* mOKButton;
  QPushButton* mCancelButton;
  QPushButton* mConvertButton;
  Answer mAnswer = Answer::kCancel;
  Responder mResponder;
};

}  // namespace kelmoa
