// The reading session: the dictionary and the open text, and what a reader does with them.
#pragma once

#include <cstddef>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/char_code.h"
#include "core/base/file_ops.h"
#include "core/base/status.h"
#include "core/dictionary/dictionary.h"
#include "core/dictionary/phrases.h"
#include "core/settings/settings.h"
#include "core/text/layout.h"
#include "core/text/open_text.h"
#include "core/text/phrase_match.h"
#include "core/text/popup_text.h"
#include "core/text/text_reader.h"
#include "core/wordlist/word_capture.h"

namespace kelmoa {

// Views of a session (windows) hear of its changes through this, and redraw.
class SessionObserver {
 public:
  // A text was opened, or the open one laid out anew.
  virtual void TextChanged() {}
  // The dictionary changed (a meaning added or deleted, or the file loaded again), and the
  // known words of the open text were marked again.
  virtual void DictionaryChanged() {}

 protected:
  ~SessionObserver() = default;
};

// How many of a phrase's meanings its popup shows above the word's own.
inline constexpr size_t kPhraseLinesInPopup = 3;

// The dictionary of a base folder and the text open for reading. Opening a text, the hit
// test, the popup's lines and dictionary changes go through here, so that every window and
// kelmoa-tool run the same steps.
class ReadingSession {
 public:
  explicit ReadingSession(std::string baseFolder, FileOps& fs = DefaultFileOps());
  ReadingSession(const ReadingSession&) = delete;
  ReadingSession& operator=(const ReadingSession&) = delete;

  Dictionary& Dic() { return mDic; }
  const Dictionary& Dic() const { return mDic; }
  // The file system the dictionary is written through; tests put a failing one here.
  void SetFileOps(FileOps& fs) { mFs = &fs; }

  // Loads base/dic/Dic_EJ.txt, or path when given (as Dictionary::LoadDicFile does), and the
  // phrase dictionary beside it (none when it is missing).
  Status LoadDictionary(const std::string& path = {});

  const PhraseDictionary& Phrases() const { return mPhrases; }

  // Reads the text file at path under the limits and, when it passes, makes it the open text
  // laid out with setting's character widths, its known words marked. A rejected or
  // unreadable file leaves the open text as it was.
  OpenResult Open(const std::string& path, const SettingInfo& setting);

  // Works out again which words of the open text the dictionary knows, and tells the views.
  void MarkKnownWords();

  bool HasText() const { return mHasText; }
  const TextDocument& Document() const { return *mDoc; }

  // Lays the open text out again after a change of character widths; the words' dictionary
  // results stay. Returns the new right edge of the longest line.
  int Relayout(const SettingInfo& setting);

  // The word (index into the word table, 1-based) at x on text line `line`, or 0. A point
  // exactly on a word's edge is outside it.
  int WordAt(int line, double x) const {
    const WordTable& t = mDoc->words;
    return WordOnLineAt(line, x, t.mLineFirstWord, t.mLineLastWord, t.mWordX1, t.mWordX2);
  }

  // The word (1-based index into the word table) that covers character `column` (from 1) of text
  // line `line`, or 0.
  int WordAtCharacter(int line, int column) const;

  // The phrase that covers word k, or nullptr. The phrases of a line are found the first time
  // one of its words is asked about.
  const PhraseSpan* PhraseAt(int k) const;
  // Every phrase of the open text, in reading order.
  std::vector<PhraseSpan> AllPhrases() const;

  // The lines of word k's popup: first the phrase that covers it, if any, under a line with
  // the phrase as its dictionary writes it (its first kPhraseLinesInPopup meanings); then the
  // word's own (BuildPopup): its meanings; an
  // entry found through a base form or a prefix gives its head word on a line above its meanings.
  // Empty for a word the dictionary does not know.
  std::vector<std::u16string> PopupLines(int k) const;

  // What the word list takes of word k, met in the text file `file` at time now: the phrase
  // that covers it, with the phrase's meanings, or else the word with its popup's lines.
  // False, with nothing set, when word k has no popup.
  bool Capture(int k, const std::string& file, std::time_t now, WordCapture& capture) const;

  // The editor's changes, written through to the dictionary file (DictionaryFiles::AddEntry
  // and DeleteEntry). After a change, or a reload of a file another program changed, the known
  // words are marked again and the observers hear of it.
  DicChange AddMeaning(const std::u16string& word, const std::u16string& meaning);
  DicChange DeleteMeaning(int idx, const std::u16string& entry);

  void AddObserver(SessionObserver& observer);
  void RemoveObserver(SessionObserver& observer);

 private:
  // The popup of word k of the open text without its phrase: what its hits show.
  Popup WordPopup(int k) const;
  void AfterChange(const DicChange& change);

  std::string mBase;
  FileOps* mFs;
  Dictionary mDic;
  PhraseDictionary mPhrases;
  mutable PhraseFinder mPhraseFinder;  // what it found is remembered, asked from const code
  std::unique_ptr<TextDocument> mDoc;  // the grids are large: kept off the stack
  bool mHasText = false;
  std::vector<SessionObserver*> mObservers;
};

}  // namespace kelmoa
