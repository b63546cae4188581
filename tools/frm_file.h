#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QLabel;
class QListWidget;
class QPushButton;

namespace kelmoa {

// The text-file chooser: lists the "*.txt" files of one folder (any letter case) and hands
// back the name the user selects. Only hidden after every showing, so its list, its selection
// and gFileNm stay as they were until the next showing.
class frmFile : public QDialog {
  Q_OBJECT

 public:
  // The result of the last showing: the chosen file name without folder, or empty when
  // nothing was chosen.
  QString gFileNm;

  // Shows a plain message box with the text over the given window.
  using PlainMessageFn = std::function<void(const QString& text, QWidget* parent)>;

  // folder is listed from the first showing on.
  frmFile(QString folder, PlainMessageFn showPlainMessage, QWidget* parent);

  // The folder the list shows; the chosen file lies in it.
  const QString& Folder() const { return mFolder; }

  // Runs at the first showing only: lists the folder.
  void Form_Load();
  void cmdSelect_Click();
  // Reads the folder again: new files show, removed ones go; the selected name stays selected
  // while it is there.
  void cmdRefresh_Click();
  void cmdCancel_Click();

 protected:
  void showEvent(QShowEvent* event) override;
  // Escape and the frame's close button count as "キャンセル".
  void reject() override;

 private:
  friend class FrmTextCommandsTest;

  void ListFolder();

  QString mFolder;
  PlainMessageFn mShowPlainMessage;
  bool mLoaded = false;

  QLabel* mLblFolder;
  QListWidget* mFile1;
  QPushButton* mCmdRefresh;
  QPushButton* mCmdSelect;
  QPushButton* mCmdCancel;
};

// Shown when "選択" is pressed with no file selected.
inline constexpr char16_t kMsgSelectOneFile[] = u"ファイルを一つ選択してください。";

}  // namespace kelmoa
