// What the word list tells the reader, in the windows and in kelmoa-tool.
#pragma once

#include <string>
#include <string_view>

#include "core/base/codepage.h"
#include "core/base/status.h"
#include "core/wordlist/word_list.h"

namespace kelmoa {

inline std::u16string MsgWordAdded(std::u16string_view word, int count) {
  return u"単語帳に加えました：" + std::u16string(word) + u"（" +
         Utf8ToUtf16(std::to_string(count)) + u"回目）";
}

inline std::u16string MsgWordNotInDictionary(std::u16string_view word) {
  return u"「" + std::u16string(word) + u"」は辞書にないため，単語帳に加えませんでした。";
}

inline std::u16string MsgWordNotAdded(std::u16string_view word) {
  return u"「" + std::u16string(word) + u"」を単語帳に加えられませんでした。";
}

// The database had moved or vanished, and a change went to the list now at path instead.
inline std::u16string MsgWordListRestarted(std::u16string_view path, const WordListRestart& r) {
  std::u16string msg =
      u"単語帳のデータベース「" + std::u16string(path) +
      (r.newList ? u"」が移動または削除されていたため，新しい単語帳を始めました。"
                 : u"」がほかのファイルに置き換えられていたため，そちらを開きました。");
  if (r.oldDeleted)
    msg += u"\r\n元の単語帳は削除されています。";
  else if (!r.oldPath.empty())
    msg += u"\r\n元の単語帳は「" + Utf8ToUtf16(r.oldPath) + u"」にあります。";
  else
    msg += u"\r\n元の単語帳の場所はわかりません。";
  return msg;
}

// The whole message of a failure the word list, the reading positions or an export found
// (Finding::kWordList..., kPositionsUnusable, kExportExists); empty for any other status.
std::u16string MsgWordListFailure(const Status& status);

inline constexpr char16_t kMsgDeleteAllWords[] =
    u"単語帳の単語をすべて削除します。元には戻せません。よろしいですか？";

}  // namespace kelmoa
