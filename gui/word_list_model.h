// The word list as a table for Qt's views, and the proxy that filters and sorts it.
#pragma once

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <string>
#include <string_view>
#include <vector>

#include "core/wordlist/word_capture.h"
#include "core/wordlist/word_list.h"

namespace kelmoa {

// A stored time (UTC, ISO 8601) in local time, to the minute: "2026-12-07 21:34".
QString LocalTimeText(const std::string& iso);
// The file name of a path, bytes as stored, as text to show.
QString FileNameText(const std::string& path);

// The words of the word list, one row a word in the list's order: the word (its head words in
// the tooltip), its meanings, count, last date (local time, to the minute) and source (the
// text's file name and line of its newest context). Texts show as the plain text they are.
class WordListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kWordColumn, kMeaningsColumn, kCountColumn, kLastColumn, kSourceColumn };

  explicit WordListModel(QObject* parent = nullptr);

  // The whole list, as read: of each word's contexts the rows need the newest place only.
  void SetEntries(std::vector<WordEntry> entries);
  // A word went into the list, which counts it count times now: its row changes as the list's
  // entry did (the newest form, head words, meanings and place), or a row is made for it at
  // its place in the list.
  void AddCapture(const WordCapture& capture, int count);
  // The row of word (any case) goes; nothing when there is none.
  void RemoveWord(std::u16string_view word);

  const std::vector<WordEntry>& Entries() const { return mEntries; }
  const WordEntry& Entry(int row) const { return mEntries[static_cast<size_t>(row)]; }
  // The row of word (any case), or -1.
  int RowOf(std::u16string_view word) const;

  // Keys that sort as the columns do, kept beside the entries so that sorting reads little
  // memory: the count, and the last time added as a number (YYYYMMDDhhmmss, UTC).
  int CountOf(int row) const { return mCounts[static_cast<size_t>(row)]; }
  long long LastAddedOf(int row) const { return mLastAdded[static_cast<size_t>(row)]; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  // Sets the sort keys of row from its entry.
  void TakeKeys(size_t row);

  std::vector<WordEntry> mEntries;
  std::vector<int> mCounts;
  std::vector<long long> mLastAdded;
};

// The rows of a WordListModel that hold the filter, sorted by a column: words, meanings and
// sources as texts, counts as numbers, dates as dates.
class WordListFilter : public QSortFilterProxyModel {
  Q_OBJECT

 public:
  explicit WordListFilter(WordListModel& model, QObject* parent = nullptr);

  // Keeps the rows whose word or one of whose meanings holds text, ignoring the case of A-Z
  // (as FilterWordEntries does); every row for an empty text. The rows are filtered and
  // sorted anew at once: the view lays them out once rather than row by row.
  void SetFilter(std::u16string_view text);

 protected:
  bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
  bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

 private:
  const WordListModel& mModel;
  std::u16string mNeedle;  // the filter, A-Z lowered
};

}  // namespace kelmoa
