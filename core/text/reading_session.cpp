// The reading session: the dictionary and the open text, and what a reader does with them.
#include "core/text/reading_session.h"

#include <algorithm>
#include <utility>

#include "core/base/helpers.h"
#include "core/text/open_text.h"
#include "core/text/popup_text.h"
#include "core/text/word_info.h"

namespace kelmoa {

ReadingSession::ReadingSession(std::string baseFolder, FileOps& fs)
    : mBase(std::move(baseFolder)), mFs(&fs), mDoc(std::make_unique<TextDocument>()) {}

Status ReadingSession::LoadDictionary(const std::string& path) {
  const Status loaded =
      mDic.LoadDicFile(path.empty() ? DictionaryFiles(mBase, *mFs).DicPath() : path, *mFs);
  MarkKnownWords();
  return loaded;
}

void ReadingSession::MarkKnownWords() {
  if (mHasText)
    kelmoa::MarkKnownWords(*mDoc, mDic.Words(), mDic.Meanings());
  for (SessionObserver* observer : mObservers)
    observer->DictionaryChanged();
}

OpenResult ReadingSession::Open(const std::string& path, const SettingInfo& setting) {
  OpenResult result;
  TextFileCheck check = CheckAndReadTextFile(path);
  if (check.result != TextFileCheck::kOk) {
    TextRejection& rejection = result.rejection.emplace();
    switch (check.result) {
      case TextFileCheck::kWrongCode:
        rejection.kind = TextRejection::Kind::kWrongCode;
        break;
      case TextFileCheck::kTooLarge:
        rejection.kind = check.limit.kind == TextLimitBreach::Kind::kTooManyLines
                             ? TextRejection::Kind::kTooManyLines
                             : TextRejection::Kind::kLineTooLong;
        rejection.limit = check.limit;
        break;
      default:
        rejection.kind = TextRejection::Kind::kUnreadable;
        break;
    }
    rejection.code = check.code;
    rejection.message = std::move(check.message);
    rejection.status = std::move(check.status);
    return result;
  }
  SetNewTextLines(*mDoc, std::move(check.lines), setting, result.maxRight, result.longestLine);
  kelmoa::MarkKnownWords(*mDoc, mDic.Words(), mDic.Meanings());
  mHasText = true;
  for (SessionObserver* observer : mObservers)
    observer->TextChanged();
  return result;
}

int ReadingSession::Relayout(const SettingInfo& setting) {
  TextDocument& doc = *mDoc;
  int maxRight = 0;
  int longestLine = 0;
  ComputeCharPositions(doc.mChr, setting, doc.LineCount(), doc.mChrX, maxRight, longestLine);
  GetWordListOfText(doc.mTxt, doc.mChrX, doc.words);
  for (SessionObserver* observer : mObservers)
    observer->TextChanged();
  return maxRight;
}

int ReadingSession::WordAtCharacter(int line, int column) const {
  const WordTable& t = mDoc->words;
  const auto at = static_cast<size_t>(line);
  if (!mHasText || line < 1 || at >= t.mLineFirstWord.size() || t.mLineFirstWord[at] == 0)
    return 0;
  for (int k = t.mLineFirstWord[at]; k <= t.mLineLastWord[at]; ++k) {
    const auto ki = static_cast<size_t>(k);
    if (t.mWordCol[ki] <= column && column < t.mWordCol[ki] + t.mWordLen[ki])
      return k;
  }
  return 0;
}

std::vector<std::u16string> ReadingSession::PopupLines(int k) const {
  const WordTable& t = mDoc->words;
  if (k < 1 || k > t.Count())
    return {};
  return ComposePopupLines(t.Word(k), t.DicHits(k), mDic.Words(), mDic.Meanings());
}

DicChange ReadingSession::AddMeaning(const std::u16string& word, const std::u16string& meaning) {
  DicChange change = DictionaryFiles(mBase, *mFs).AddEntry(mDic, word, meaning, LocalNow());
  AfterChange(change);
  return change;
}

DicChange ReadingSession::DeleteMeaning(int idx, const std::u16string& entry) {
  DicChange change = DictionaryFiles(mBase, *mFs).DeleteEntry(mDic, idx, entry, LocalNow());
  AfterChange(change);
  return change;
}

void ReadingSession::AfterChange(const DicChange& change) {
  // A reload replaced the whole dictionary, whatever became of the change.
  if (change.ok() || change.reloaded)
    MarkKnownWords();
}

void ReadingSession::AddObserver(SessionObserver& observer) {
  if (std::find(mObservers.begin(), mObservers.end(), &observer) == mObservers.end())
    mObservers.push_back(&observer);
}

void ReadingSession::RemoveObserver(SessionObserver& observer) {
  std::erase(mObservers, &observer);
}

}  // namespace kelmoa
