// The word list as a table for Qt's views, and the proxy that filters and sorts it.
#include "gui/word_list_model.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextDocument>
#include <algorithm>
#include <tuple>

#include "core/base/helpers.h"
#include "gui/window_helpers.h"

namespace kelmoa {
namespace {

char16_t LowerAsciiChar(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool SameIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char16_t x, char16_t y) { return LowerAsciiChar(x) == LowerAsciiChar(y); });
}

// Whether text holds needle (A-Z already lowered), ignoring the case of A-Z.
bool HoldsIgnoringAsciiCase(std::u16string_view text, std::u16string_view needle) {
  return std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                     [](char16_t t, char16_t n) { return LowerAsciiChar(t) == n; }) != text.end();
}

// Reads pieces as the one text they make joined by separator, a character at a time, so that
// two joined lists compare without being joined.
class JoinedText {
 public:
  JoinedText(const std::vector<std::u16string>& pieces, std::u16string_view separator)
      : mPieces(pieces), mSeparator(separator) {}

  // The next character, or false at the end.
  bool Next(char16_t& c) {
    while (mPiece < mPieces.size()) {
      const std::u16string_view text =
          mInSeparator ? mSeparator : std::u16string_view(mPieces[mPiece]);
      if (mAt < text.size()) {
        c = text[mAt++];
        return true;
      }
      mAt = 0;
      if (mInSeparator) {
        mInSeparator = false;
      } else if (++mPiece < mPieces.size()) {
        mInSeparator = true;
      }
    }
    return false;
  }

 private:
  const std::vector<std::u16string>& mPieces;
  std::u16string_view mSeparator;
  size_t mPiece = 0;
  size_t mAt = 0;
  bool mInSeparator = false;
};

constexpr char16_t kMeaningSeparator[] = u" / ";

bool JoinedLess(const std::vector<std::u16string>& a, const std::vector<std::u16string>& b) {
  JoinedText left(a, kMeaningSeparator);
  JoinedText right(b, kMeaningSeparator);
  for (;;) {
    char16_t l = 0;
    char16_t r = 0;
    const bool hasLeft = left.Next(l);
    const bool hasRight = right.Next(r);
    if (!hasLeft || !hasRight)
      return !hasLeft && hasRight;
    if (l != r)
      return l < r;
  }
}

// Where an entry was met last, for sorting: the file's name (bytes as stored) and the line.
std::tuple<std::string_view, int> SourceKey(const WordEntry& e) {
  if (e.contexts.empty())
    return {std::string_view(), 0};
  const std::string_view file = e.contexts.front().file;
  const size_t slash = file.rfind('/');
  return {slash == std::string_view::npos ? file : file.substr(slash + 1),
          e.contexts.front().lineNumber};
}

// A stored time, 2026-12-07T12:34:56Z, as the number 20261207123456; 0 for a time not
// written so.
long long TimeKey(std::string_view iso) {
  constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:ddZ";
  if (iso.size() != kShape.size())
    return 0;
  long long key = 0;
  for (size_t i = 0; i < kShape.size(); ++i) {
    const char c = iso[i];
    if (kShape[i] != 'd') {
      if (c != kShape[i])
        return 0;
    } else if (c < '0' || c > '9') {
      return 0;
    } else {
      key = key * 10 + (c - '0');
    }
  }
  return key;
}

QString Joined(const std::vector<std::u16string>& items, const QString& separator) {
  QStringList parts;
  for (const std::u16string& item : items)
    parts << Q(item);
  return parts.join(separator);
}

}  // namespace

QString LocalTimeText(const std::string& iso) {
  const QDateTime t = QDateTime::fromString(QString::fromStdString(iso), Qt::ISODate);
  return t.isValid() ? t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                     : QString::fromStdString(iso);
}

QString FileNameText(const std::string& path) {
  return QFileInfo(QPath(path)).fileName();
}

WordListModel::WordListModel(QObject* parent) : QAbstractTableModel(parent) {}

void WordListModel::SetEntries(std::vector<WordEntry> entries) {
  beginResetModel();
  mEntries = std::move(entries);
  mCounts.resize(mEntries.size());
  mLastAdded.resize(mEntries.size());
  for (size_t row = 0; row < mEntries.size(); ++row)
    TakeKeys(row);
  endResetModel();
}

void WordListModel::TakeKeys(size_t row) {
  mCounts[row] = mEntries[row].count;
  mLastAdded[row] = TimeKey(mEntries[row].lastAdded);
}

int WordListModel::RowOf(std::u16string_view word) const {
  const auto at = std::find_if(mEntries.begin(), mEntries.end(), [word](const WordEntry& e) {
    return SameIgnoringAsciiCase(e.word, word);
  });
  return at == mEntries.end() ? -1 : static_cast<int>(at - mEntries.begin());
}

void WordListModel::AddCapture(const WordCapture& capture, int count) {
  if (const int row = RowOf(capture.word); row >= 0) {
    WordEntry& e = mEntries[static_cast<size_t>(row)];
    e.word = capture.word;
    e.headWords = capture.headWords;
    e.meanings = capture.meanings;
    e.count = count;
    e.lastAdded = capture.context.added;
    e.contexts = {capture.context};
    TakeKeys(static_cast<size_t>(row));
    emit dataChanged(index(row, kWordColumn), index(row, kSourceColumn));
    return;
  }
  WordEntry e;
  e.word = capture.word;
  e.headWords = capture.headWords;
  e.meanings = capture.meanings;
  e.count = count;
  e.firstAdded = e.lastAdded = capture.context.added;
  e.contexts = {capture.context};
  // The list's order: by the lower-cased words.
  const std::u16string key = LowerAscii(e.word);
  const auto at = std::lower_bound(
      mEntries.begin(), mEntries.end(), key,
      [](const WordEntry& entry, const std::u16string& k) { return LowerAscii(entry.word) < k; });
  const int row = static_cast<int>(at - mEntries.begin());
  beginInsertRows(QModelIndex(), row, row);
  mEntries.insert(at, std::move(e));
  mCounts.insert(mCounts.begin() + row, 0);
  mLastAdded.insert(mLastAdded.begin() + row, 0);
  TakeKeys(static_cast<size_t>(row));
  endInsertRows();
}

void WordListModel::RemoveWord(std::u16string_view word) {
  const int row = RowOf(word);
  if (row < 0)
    return;
  beginRemoveRows(QModelIndex(), row, row);
  mEntries.erase(mEntries.begin() + row);
  mCounts.erase(mCounts.begin() + row);
  mLastAdded.erase(mLastAdded.begin() + row);
  endRemoveRows();
}

int WordListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(mEntries.size());
}

int WordListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kSourceColumn + 1;
}

QVariant WordListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
    return {};
  const WordEntry& e = Entry(index.row());
  QString text;
  QString tip;  // the text when empty
  switch (index.column()) {
    case kWordColumn:
      text = Q(e.word);
      tip = Joined(e.headWords, QStringLiteral(", "));
      break;
    case kMeaningsColumn:
      text = Joined(e.meanings, Q(kMeaningSeparator));
      tip = Joined(e.meanings, QStringLiteral("\n"));
      break;
    case kCountColumn:
      return role == Qt::DisplayRole ? QVariant(e.count) : QVariant();
    case kLastColumn:
      text = LocalTimeText(e.lastAdded);
      break;
    case kSourceColumn:
      if (!e.contexts.empty()) {
        const WordContext& c = e.contexts.front();
        text = FileNameText(c.file) + u':' + QString::number(c.lineNumber);
        tip = QPath(c.file);
      }
      break;
    default:
      return {};
  }
  if (role == Qt::DisplayRole)
    return text;
  // As the plain text it is: a meaning that holds "<b>" shows "<b>", as the cell does.
  if (tip.isEmpty())
    tip = text;
  return tip.isEmpty() ? tip : Qt::convertFromPlainText(tip, Qt::WhiteSpaceNormal);
}

QVariant WordListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
    return QAbstractTableModel::headerData(section, orientation, role);
  switch (section) {
    case kWordColumn:
      return QStringLiteral("単語");
    case kMeaningsColumn:
      return QStringLiteral("意味");
    case kCountColumn:
      return QStringLiteral("回数");
    case kLastColumn:
      return QStringLiteral("最終日");
    case kSourceColumn:
      return QStringLiteral("出典");
    default:
      return {};
  }
}

WordListFilter::WordListFilter(WordListModel& model, QObject* parent)
    : QSortFilterProxyModel(parent), mModel(model) {
  setSourceModel(&model);
}

void WordListFilter::SetFilter(std::u16string_view text) {
  const std::u16string needle = LowerAscii(text);
  if (needle == mNeedle)
    return;
  mNeedle = needle;
  invalidate();
}

bool WordListFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
  if (mNeedle.empty())
    return true;
  const WordEntry& e = mModel.Entry(sourceRow);
  return HoldsIgnoringAsciiCase(e.word, mNeedle) ||
         std::any_of(e.meanings.begin(), e.meanings.end(), [this](const std::u16string& m) {
           return HoldsIgnoringAsciiCase(m, mNeedle);
         });
}

bool WordListFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const {
  const int l = left.row();
  const int r = right.row();
  switch (left.column()) {
    case WordListModel::kWordColumn:
      return mModel.Entry(l).word < mModel.Entry(r).word;
    case WordListModel::kMeaningsColumn:
      return JoinedLess(mModel.Entry(l).meanings, mModel.Entry(r).meanings);
    case WordListModel::kCountColumn:
      return mModel.CountOf(l) < mModel.CountOf(r);
    case WordListModel::kLastColumn:
      return mModel.LastAddedOf(l) < mModel.LastAddedOf(r);
    default:
      return SourceKey(mModel.Entry(l)) < SourceKey(mModel.Entry(r));
  }
}

}  // namespace kelmoa
