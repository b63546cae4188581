#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string>

class QLabel;
class QListWidget;
class QPushButton;

namespace kelmoa {

// The text-file chooser: lists the "*.txt" files of one folder (any letter case) and hands
// back the name the user selects. Names are kept as the file system stores them, so a name
// that is not UTF-8 is listed (shown with a replacement mark) and opened by its own bytes. Only
// hidden after every showing, so its list, its selection and gFileNm stay as they were until the
// next showing.
class frmFile : public QDialog {
  Q_OBJECT

 public:
  // The result of the last showing: the chosen file name without folder as shown, or empty
  // when nothing was chosen.
  QString gFileNm;

  // Shows a plain message box with the text over the given window.
  using PlainMessageFn = std::function<void(const QString& text, QWidget* parent)>;

  // folder (a file-system path, bytes as stored) is listed from the first showing on.
  frmFile(std::string folder, PlainMessageFn showPlainMessage, QWidget* parent);

  // The folder the list shows, as shown; the chosen file lies in it.
  QString Folder() const;
  // The path of the file chosen at the last showing, bytes as the file system stores them;
  // empty when nothing was chosen.
  std::string ChosenPath() const;

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
  void ListFolder();

  std::string mFolder;
  std::string mChosenName;  // bytes of gFileNm
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
