// What the word list tells the reader, in the windows and in kelmoa-tool.
#pragma once

#include <string>
#include <string_view>

#include "core/base/codepage.h"

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

inline constexpr char16_t kMsgDeleteAllWords[] =
    u"単語帳の単語をすべて削除します。元には戻せません。よろしいですか？";

}  // namespace kelmoa
