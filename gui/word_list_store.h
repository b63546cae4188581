// The word list of the installed folder as the windows share it: opened once, changed through
// one place, and announcing what changed.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/status.h"
#include "core/wordlist/word_capture.h"
#include "core/wordlist/word_list.h"

namespace kelmoa {

// The word list of an installed folder for the main window and 単語帳: opened at its first
// use and kept for the run. A change that found the database moved or gone (it then went to a
// new list at its place) is told once through tell, and the list is announced as replaced.
class WordListStore : public QObject {
  Q_OBJECT

 public:
  // Says a message to the user (the main window's message dialog).
  using TellFn = std::function<void(const std::u16string& message)>;

  WordListStore(std::string baseFolder, TellFn tell, QObject* parent = nullptr);
  ~WordListStore() override;

  // What WordList does, on the list opened at the first call; a list that cannot be opened
  // gives the status why.
  Status Add(const WordCapture& capture, int& count);
  Status Remove(std::u16string_view word);
  Status RemoveAll();
  Status Entries(std::vector<WordEntry>& entries, ContextsRead read);
  Status Contexts(std::u16string_view word, std::vector<WordContext>& contexts);

 signals:
  // The word of capture went into the list, which now counts it count times (not said when
  // the list was replaced meanwhile).
  void wordAdded(const WordCapture& capture, int count);
  // The list was found moved or gone and a new one took its place: what was read is stale.
  void listReplaced();

 private:
  WordList* List(Status& status);
  // After each change: tells that it found the database moved or gone, and says whether.
  bool TellRestart();

  std::string mBaseFolder;
  TellFn mTell;
  std::unique_ptr<WordList> mList;  // opened at its first use
};

}  // namespace kelmoa
