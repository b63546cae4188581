// Texts of the dictionary editor: tags, checks of what is typed, questions, failure reports, help.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/base/status.h"

namespace kelmoa {

// Texts of the dictionary editor: tags, validation messages, questions, failure reports and
// the two help texts. Message lines are joined by CR LF.

// The part-of-speech tags of the tag list, in their order: "【", one ideograph, "】".
inline constexpr std::array<const char16_t*, 8> kWordClassTags = {
    u"【名】", u"【形】", u"【副】", u"【他】", u"【自】", u"【助】", u"【前】", u"【接】"};

// What the editor takes: a word of kMinWordLength to kMaxWordLength characters, a meaning of
// kMinMeaningBytes to kMaxMeaningBytes CP932 bytes.
inline constexpr int kMinWordLength = 2;
inline constexpr int kMaxWordLength = 30;
inline constexpr int kMinMeaningBytes = 1;
inline constexpr int kMaxMeaningBytes = 50;

// A word or a meaning outside those limits.
std::u16string MsgWordLength();
std::u16string MsgMeaningBytes();
inline constexpr char16_t kMsgWordLetters[] = u"単語には英字と単一引用符だけを入力してください。";
// A meaning of spaces only, or one holding a TAB or a line break, would not come back from the
// dictionary file as the one meaning it is.
inline constexpr char16_t kMsgMeaningUnstorable[] =
    u"意味には空白以外の文字を入れ，タブや改行は入れないでください。";

// A change that ran out of memory; the dictionary is as it was.
inline constexpr char16_t kMsgOutOfMemory[] =
    u"メモリが足りないため，辞書を変更できませんでした。辞書は変更前のままです。";

inline constexpr char16_t kMsgSelectEntry[] =
    u"辞書から削除する単語・意味を1項目選択してください。";

// The question before deleting line (head word, space, meaning).
std::u16string MsgConfirmDelete(std::u16string_view line);

// A change whose backup or write failed: the dictionary, in memory and on disk, is as before.
// status names the failed operation, its file and the system's reason.
std::u16string MsgAddFailed(const Status& status);
std::u16string MsgDelFailed(const Status& status);

// The usage help and the notes on backups and idioms, every line ended by CR LF.
std::u16string HowToUseText();
std::u16string NoteText();

}  // namespace kelmoa
