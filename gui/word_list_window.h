// The word-list window "単語帳": the words the reader added, their sentences, and export.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "core/base/status.h"
#include "core/wordlist/word_list.h"
#include "core/wordlist/word_list_export.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTextBrowser;

namespace kelmoa {

class MainWindow;

// The word list: one row a word with its meanings, count, last date and source, sortable by
// each column; a filter box over words and meanings; the chosen word's sentences below.
// Deletes one word, or all after a question; exports all or the filtered rows for Anki or as
// CSV; a double click shows the word in its text. Modeless beside the main window, whose word
// list it shows; its size and place are kept in the settings file.
class WordListWindow : public QWidget {
  Q_OBJECT

 public:
  // The table's columns.
  enum Column { kWordColumn, kMeaningsColumn, kCountColumn, kLastColumn, kSourceColumn };

  // iniPath is the settings file that keeps the window's place.
  WordListWindow(MainWindow& main, std::string iniPath);

  // Reads the list again (another window or kelmoa-tool may have added to it), keeping the
  // filter, the sorting and the chosen word. A list that cannot be read is told in the
  // message dialog when tell is set, and always in the window's status line.
  void Reload(bool tell = false);
  // Shows the rows whose word or meanings hold the filter box's text.
  void ApplyFilter();
  // The entries the table shows (filtered), in the list's order; the table may sort them.
  const std::vector<WordEntry>& ShownEntries() const { return mShown; }
  // The entry of the chosen row; null when none is chosen.
  const WordEntry* ChosenEntry() const;

  void DeleteChosen();
  // Asks first; deletes every word of the list, filtered or not.
  void DeleteAll();
  // Asks for a file and its kind, then exports (ExportTo).
  void ChooseAndExport();
  // Writes the filtered rows when shownOnly is set and a filter is typed, else the whole list,
  // to path (replacing it: the file dialog has asked). The outcome shows in the status line.
  Status ExportTo(const std::string& path, WordListFormat format, bool shownOnly);
  // The chosen word in its text (the double click).
  void ShowChosenInText();
  // Stores the window's place and size for the next showing, in this run or the next.
  void StorePlace() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void BuildControls();
  // Fills the table from mShown and chooses chosenWord's row again when it is there.
  void FillTable(const std::u16string& chosenWord);
  void ShowSentences();
  void SetStatus(const QString& text, bool failure = false);
  void TakePlace();

  MainWindow& mMain;
  std::string mIniPath;
  bool mPlaced = false;
  std::vector<WordEntry> mEntries;  // the whole list
  std::vector<WordEntry> mShown;    // the rows that pass the filter
  QString mExportFolder;            // where the last export went; empty before the first

  QLineEdit* mFilterBox;
  QTableWidget* mTable;
  QTextBrowser* mSentences;
  QLabel* mStatus;
  QCheckBox* mShownOnlyBox;
  QPushButton* mDeleteButton;
  QPushButton* mDeleteAllButton;
  QPushButton* mExportButton;
  QPushButton* mCloseButton;
};

}  // namespace kelmoa
