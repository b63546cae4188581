// The dictionary editor window: lists, adds and deletes entries, written through at once.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>

#include "gui/message_dialog.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kelmoa {

class ReadingSession;
struct DicChange;

// The dictionary editor: a modeless window beside its parent window. The word box lists what
// the dictionary holds for the typed word as the user types; "登録" adds the meaning, "削除"
// deletes the selected line. Every change goes through the reading session, which writes it
// through at once (backup, then the new file) and has its views mark the text's words again.
// Closing only hides the window: its word, list and meaning stay for the next showing.
class DictionaryEditor : public QWidget {
  Q_OBJECT

 public:
  // Shows a plain message box with the text over the given window.
  using PlainMessageFn = std::function<void(const QString& text, QWidget* parent)>;

  // The editor looks up and changes the dictionary of session, asks and tells through messages
  // and the plain message box, and stands beside parent, whose child window it is.
  DictionaryEditor(ReadingSession& session, MessageDialog& messages,
                   PlainMessageFn showPlainMessage, QWidget* parent);

  // Stands against the parent window's right edge, keeping its own top.
  void StandBesideParent();

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

  // The word box; a right click on a word of the text fills it.
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
  // message dialog. True when the change was made (or after a reload had nothing left to do).
  bool ShowChange(const DicChange& change, bool adding);
  // Shows a failed or refused change and lists the dictionary again.
  void ShowWriteFailure(const QString& msg);
  MessageDialog::Answer ShowMessage(const QString& msg, MessageDialog::Buttons buttons,
                                    const QString& wav);

  ReadingSession& mSession;
  MessageDialog& mMessages;
  PlainMessageFn mShowPlainMessage;
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
