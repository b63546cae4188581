// The word-list window "単語帳": the words the reader added, their sentences, and export.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "core/base/status.h"
#include "core/wordlist/word_list.h"
#include "core/wordlist/word_list_export.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTextBrowser;

namespace kelmoa {

class MessageDialog;
class WordListFilter;
class WordListModel;
class WordListStore;

// Shows a word of the list where it was met: what the word list window asks of the window
// that shows the text.
class WordInText {
 public:
  // Shows entry's word at its newest context: opens its text unless that is the one shown,
  // brings the line onto the page and shows the word's popup. False when the text could not be
  // opened (the user has been told why).
  virtual bool ShowWordInText(const WordEntry& entry) = 0;

 protected:
  ~WordInText() = default;
};

// The word list: one row a word with its meanings, count, last date and source, sortable by
// each column; a filter box over words and meanings; the chosen word's sentences below.
// Deletes one word, or all after a question; exports all or the filtered rows for Anki or as
// CSV; a double click shows the word in its text. Modeless beside its parent window; its size
// and place are kept in the settings file. While it shows, it follows the words the store adds.
class WordListWindow : public QWidget {
  Q_OBJECT

 public:
  // Says that a window place could not be stored in the settings file.
  using TellNotStoredFn = std::function<void(const Status& status)>;

  // iniPath is the settings file that keeps the window's place; parent is the window it
  // stands beside.
  WordListWindow(WordListStore& store, WordInText& text, MessageDialog& messages,
                 std::string iniPath, TellNotStoredFn tellNotStored, QWidget* parent);
  ~WordListWindow() override;

  // Writes the filtered rows when shownOnly is set and a filter is typed, else the whole list,
  // to path (replacing it: the file dialog has asked). The outcome shows in the status line.
  Status ExportTo(const std::string& path, WordListFormat format, bool shownOnly);

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void BuildControls();
  // Reads the list again (another window or kelmoa-tool may have added to it), keeping the
  // filter, the sorting and the chosen word. A list that cannot be read is told in the
  // message dialog when tell is set, and always in the window's status line.
  void Reload(bool tell = false);
  // Shows the rows whose word or meanings hold the filter box's text.
  void ApplyFilter();
  // The entry of the chosen row; null when none is chosen.
  const WordEntry* ChosenEntry() const;
  // Chooses the row of word, else the first row, so that sentences show.
  void ChooseRowOf(const std::u16string& word);
  void ShowSentences();
  void ShowCount();
  void DeleteChosen();
  // Asks first; deletes every word of the list, filtered or not.
  void DeleteAll();
  // Asks for a file and its kind, then exports (ExportTo).
  void ChooseAndExport();
  // The chosen word in its text (the double click).
  void ShowChosenInText();
  // A word the store added joins the rows shown.
  void TakeAddedWord(const WordCapture& capture, int count);
  void SetStatus(const QString& text, bool failure = false);
  void TellFailure(const Status& status);
  void TakePlace();
  void StorePlace() const;

  WordListStore& mStore;
  WordInText& mText;
  MessageDialog& mMessages;
  std::string mIniPath;
  TellNotStoredFn mTellNotStored;
  bool mPlaced = false;
  bool mLeft = false;     // another window was active since the list was read at the showing
  QString mExportFolder;  // where the last export went; empty before the first
  std::u16string mChosenWhenHidden;  // the word chosen when the window was hidden

  WordListModel* mModel = nullptr;
  WordListFilter* mFilter = nullptr;
  QLineEdit* mFilterBox = nullptr;
  QTableView* mTable = nullptr;
  QTextBrowser* mSentences = nullptr;
  QLabel* mStatus = nullptr;
  QCheckBox* mShownOnlyBox = nullptr;
  QPushButton* mDeleteButton = nullptr;
  QPushButton* mDeleteAllButton = nullptr;
  QPushButton* mExportButton = nullptr;
  QPushButton* mCloseButton = nullptr;
};

}  // namespace kelmoa
