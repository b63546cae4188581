// The word list of the installed folder as the windows share it.
#include "gui/word_list_store.h"

#include <optional>
#include <utility>

#include "core/wordlist/word_list_messages.h"
#include "gui/window_helpers.h"

namespace kelmoa {

WordListStore::WordListStore(std::string baseFolder, TellFn tell, QObject* parent)
    : QObject(parent), mBaseFolder(std::move(baseFolder)), mTell(std::move(tell)) {}

WordListStore::~WordListStore() = default;

WordList* WordListStore::List(Status& status) {
  status = Status::Ok();
  if (mList == nullptr)
    status = WordList::Open(mBaseFolder, mList);
  return status.ok() ? mList.get() : nullptr;
}

bool WordListStore::TellRestart() {
  const std::optional<WordListRestart> restart =
      mList != nullptr ? mList->TakeRestart() : std::nullopt;
  if (!restart)
    return false;
  mTell(MsgWordListRestarted(UPath(mList->path()), *restart));
  emit listReplaced();
  return true;
}

Status WordListStore::Add(const WordCapture& capture, int& count) {
  Status status;
  if (WordList* list = List(status); list != nullptr)
    status = list->Add(capture, &count);
  const bool replaced = TellRestart();
  if (status.ok() && !replaced)
    emit wordAdded(capture, count);
  return status;
}

Status WordListStore::Remove(std::u16string_view word) {
  Status status;
  if (WordList* list = List(status); list != nullptr)
    status = list->Remove(word);
  TellRestart();
  return status;
}

Status WordListStore::RemoveAll() {
  Status status;
  if (WordList* list = List(status); list != nullptr)
    status = list->RemoveAll();
  TellRestart();
  return status;
}

Status WordListStore::Entries(std::vector<WordEntry>& entries, ContextsRead read) {
  Status status;
  if (WordList* list = List(status); list != nullptr)
    status = list->Entries(entries, read);
  return status;
}

Status WordListStore::Contexts(std::u16string_view word, std::vector<WordContext>& contexts) {
  Status status;
  if (WordList* list = List(status); list != nullptr)
    status = list->Contexts(word, contexts);
  return status;
}

}  // namespace kelmoa
