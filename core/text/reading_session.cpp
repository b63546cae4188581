// The reading session: the dictionary and the open text, and what a reader does with them.
#include "core/text/reading_session.h"

#include <algorithm>
#include <utility>

#include "core/base/helpers.h"
#include "core/base/paths.h"
#include "core/text/open_text.h"
#include "core/text/popup_text.h"
#include "core/text/word_info.h"

namespace kelmoa {

ReadingSession::ReadingSession(std::string baseFolder, FileOps& fs)
    : mBase(std::move(baseFolder)), mFs(&fs), mDoc(std::make_unique<TextDocument>()) {}

Status ReadingSession::LoadDictionary(const std::string& path) {
  const std::string dicPath = path.empty() ? DicPath(mBase) : path;
  // The phrases are a help beside the dictionary: without them the words still show. They
  // are read first, so that the dictionary's larger reading reuses the memory theirs leaves.
  (void)mPhrases.Load(PhraseDicPathBeside(dicPath), *mFs);
  const Status loaded = mDic.LoadDicFile(dicPath, *mFs);
  MarkKnownWords();
  return loaded;
}

void ReadingSession::MarkKnownWords() {
  mPhrases.TakeRegisteredPhrases(mDic);
  if (mHasText) {
    kelmoa::MarkKnownWords(*mDoc, mDic.Words(), mDic.Meanings());
    mPhraseFinder.Reset(mDoc->words.Count());
  }
  for (SessionObserver* observer : mObservers)
    observer->DictionaryChanged();
}

OpenResult ReadingSession::Open(const std::string& path, const SettingInfo& setting) {
  StrList lines;
  OpenResult result = CheckAndReadTextFile(path, lines);
  if (!result.ok())
    return result;
  SetNewTextLines(*mDoc, std::move(lines), setting, result.maxRight, result.longestLine);
  kelmoa::MarkKnownWords(*mDoc, mDic.Words(), mDic.Meanings());
  mPhraseFinder.Reset(mDoc->words.Count());
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
  mPhraseFinder.Reset(doc.words.Count());
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

const PhraseSpan* ReadingSession::PhraseAt(int k) const {
  return mHasText ? mPhraseFinder.PhraseAt(mDoc->words, k, mPhrases, mDic) : nullptr;
}

std::vector<PhraseSpan> ReadingSession::AllPhrases() const {
  return mHasText ? mPhraseFinder.AllPhrases(mDoc->words, mPhrases, mDic)
                  : std::vector<PhraseSpan>();
}

std::vector<std::u16string> ReadingSession::PopupLines(int k) const {
  const WordTable& t = mDoc->words;
  if (k < 1 || k > t.Count())
    return {};
  std::vector<std::u16string> lines;
  if (const PhraseSpan* span = PhraseAt(k)) {
    const Phrase& phrase = mPhrases[span->phrase];
    // The phrase's first senses only: the word's own meanings stay in sight below them, for
    // the words that stand together without making the phrase.
    lines.emplace_back(phrase.Text());
    std::vector<std::u16string> meanings = phrase.Lines();
    meanings.resize(std::min(meanings.size(), kPhraseLinesInPopup));
    lines.insert(lines.end(), std::make_move_iterator(meanings.begin()),
                 std::make_move_iterator(meanings.end()));
  }
  Popup own = WordPopup(k);
  lines.insert(lines.end(), std::make_move_iterator(own.lines.begin()),
               std::make_move_iterator(own.lines.end()));
  return lines;
}

Popup ReadingSession::WordPopup(int k) const {
  const WordTable& t = mDoc->words;
  return BuildPopup(t.Word(k), t.DicHits(k), mDic.Words(), mDic.Meanings());
}

bool ReadingSession::Capture(int k, const std::string& file, std::time_t now,
                             WordCapture& capture) const {
  const WordTable& t = mDoc->words;
  if (k < 1 || k > t.Count())
    return false;
  const PhraseSpan* span = PhraseAt(k);
  if (span == nullptr)
    return CaptureWord(t, k, WordPopup(k), file, now, capture);
  const Phrase& phrase = mPhrases[span->phrase];
  const auto first = static_cast<size_t>(span->firstWord);
  const auto last = static_cast<size_t>(span->lastWord);
  // The context marks the phrase where it stands on one line, else its first word.
  const int length = t.mWordLine[first] == t.mWordLine[last]
                         ? t.mWordCol[last] + t.mWordLen[last] - t.mWordCol[first]
                         : t.mWordLen[first];
  WordCapture c;
  c.word = phrase.Text();
  c.headWords = {c.word};
  c.meanings = phrase.Lines();
  c.context = ContextOfWord(*t.mLines, t.mWordLine[first], t.mWordCol[first], length);
  c.context.file = file;
  c.context.added = IsoUtc(now);
  capture = std::move(c);
  return true;
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
