// The dictionary editor window: lists, adds and deletes entries, written through at once.
#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kelmoa {

class MainWindow;
class ReadingSession;
struct DicChange;

// The dictionary editor: a modeless window beside the main window. The word box lists what the
// dictionary holds for the typed word as the user types; "登録" adds the meaning, "削除" deletes
// the selected line. Every change is written through at once (backup, then the new file), and
// the main window's blue marking follows. Closing only hides the window: its word, list and
// meaning stay for the next showing.
class DictionaryEditor : public QWidget {
  Q_OBJECT

 public:
  // main owns the dictionary and the loaded text; the editor is its child window.
  // The editor looks up and changes the dictionary of session; main is the window it stands
  // beside and whose message boxes it uses.
  DictionaryEditor(ReadingSession& session, MainWindow& main);

  // Stands against the main window's right edge, keeping its own top.
  void StandBesideMainWindow();

  // Lists the meanings of the word box's text (lowered), one line "head word, space, meaning"
  // each; the head word is the form the lookup matched. Nothing is selected afterwards.
  void ListTypedWord();
  // Puts the clicked tag at the head of the meaning, replacing a tag that stands there.
  void PutTagInMeaning();
  void AddEntry();
  void DeleteSelectedEntry();
  void LowerWord();
  void DeleteLastCharacter();
  void ShowHowToUse();
  void ShowNote();
  void HideEditor();

  // The validation message for the word and meaning boxes, empty when both are valid. On a
  // failure the keyboard focus goes to the box at fault.
  QString CheckInput();

  // The word box; the main window's right click fills it.
  void SetWord(const QString& word);
  QString Word() const;
  // The entry index the list shows, 0 when it shows nothing.
  int CurDicIdx() const { return mCurDicIdx; }

 protected:
  bool event(QEvent* event) override;
  // The frame's close button hides the window like "閉じる".
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void FillFixedFields();
  static void SetWordClassList(QListWidget& list);
  // Shows what became of a change: a reload in one line, a refusal or a failure in the
  // message dialog; after a reload the main window marks its words again. True when the
  // change was made (or after a reload had nothing left to do).
  bool ShowChange(const DicChange& change, bool adding);
  // Shows a failed or refused change and lists the dictionary again.
  void ShowWriteFailure(const QString& msg);
  // Re-runs the main window's word information and redraws its page, when a text is loaded.
  int ShowMessage(const QString& msg, int btn, const QString& wav);

  ReadingSession& mSession;
  MainWindow& mMain;
  int mCurDicIdx = 0;

  QLineEdit* mDictionaryFileField;
  QLabel* mDictionaryFileLabel;
  QLabel* mEntryListLabel;
  QListWidget* mEntryList;
  QPushButton* mCloseButton;
  QPushButton* mDeleteButton;
  QLabel* mWordLabel;
  QLabel* mMeaningLabel;
  QLineEdit* mWordField;
  QLineEdit* mMeaningField;
  QPushButton* mAddButton;
  QPushButton* mLowerButton;
  QPushButton* mDeleteLastCharButton;
  QLabel* mWordClassLabel;
  QPushButton* mHowToUseButton;
  QListWidget* mWordClassList;
  QPushButton* mNoteButton;
};

}  // namespace kelmoa
