// The text-file chooser: lists a folder's text files and hands back the chosen one.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>
#include <string>

class QLabel;
class QListWidget;
class QPushButton;

namespace kelmoa {

// The text-file chooser: lists the "*.txt" files of one folder (any letter case) and hands
// back the name the user selects. Names are kept as the file system stores them, so a name
// that is not UTF-8 is listed (shown with a replacement mark) and opened by its own bytes. Only
// hidden after every showing, so its list, its selection and the chosen file stay as they were
// until the next showing.
class TextChooser : public QDialog {
  Q_OBJECT

 public:
  // Shows a plain message box with the text over the given window.
  using PlainMessageFn = std::function<void(const QString& text, QWidget* parent)>;

  // A note on a listed file (its path, bytes as stored) that cannot be opened as it is; empty
  // for a file that can.
  using NoteFn = std::function<QString(const std::string& path)>;

  // folder (a file-system path, bytes as stored) is listed from the first showing on. A file
  // that noteOf gives a note is listed in grey, the note after its name.
  TextChooser(std::string folder, PlainMessageFn showPlainMessage, NoteFn noteOf, QWidget* parent);

  // Shows the chooser modally. Returns the path of the chosen file, bytes as the file system
  // stores them, or nothing when the user cancelled.
  std::optional<std::string> Choose();

  // The folder the list shows, as shown; the chosen file lies in it.
  QString Folder() const;
  // The path of the file chosen at the last showing, bytes as the file system stores them;
  // empty when nothing was chosen.
  std::string ChosenPath() const;

  // Runs at the first showing only: lists the folder.
  void ShowFolder();
  void SelectFile();
  // Reads the folder again: new files show, removed ones go; the selected name stays selected
  // while it is there.
  void Refresh();
  void Cancel();
  // A file was made at path: when it lies in the folder, the list (once shown) is read again,
  // and it is the file selected.
  void FileAdded(const std::string& path);

 protected:
  void showEvent(QShowEvent* event) override;
  // Escape and the frame's close button count as "キャンセル".
  void reject() override;
  // Enter on the list takes the selected file.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ListFolder();

  std::string mFolder;
  std::string mChosenName;  // bytes as stored; empty when nothing was chosen
  std::string mToSelect;    // a file to select at the next listing
  PlainMessageFn mShowPlainMessage;
  NoteFn mNoteOf;
  bool mLoaded = false;

  QLabel* mFolderLabel;
  QListWidget* mFileList;
  QPushButton* mRefreshButton;
  QPushButton* mSelectButton;
  QPushButton* mCancelButton;
};

// Shown when "選択" is pressed with no file selected.
inline constexpr char16_t kMsgSelectOneFile[] = u"ファイルを一つ選択してください。";

}  // namespace kelmoa
