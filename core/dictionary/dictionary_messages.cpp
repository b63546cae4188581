// Messages telling the user what became of a dictionary change.
#include "core/dictionary/dictionary_messages.h"

#include <cstdio>

#include "core/base/codepage.h"

namespace kelmoa {
namespace {

// "U+1F600" for the character (one code unit, or a surrogate pair).
std::u16string CodePointName(std::u16string_view ch) {
  char32_t cp = ch.empty() ? 0 : ch[0];
  if (ch.size() == 2)
    cp = 0x10000 + ((static_cast<char32_t>(ch[0]) - 0xD800) << 10) + (ch[1] - 0xDC00);
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(cp));
  return Utf8ToUtf16(name);
}

// The name iconv knows a detected character code by, empty when there is nothing to convert
// from (bytes that are broken in a Shift_JIS file).
const char* IconvName(CharCode code) {
  switch (code) {
    case CharCode::kUtf8:
    case CharCode::kUtf8Bom:
      return "UTF-8";
    case CharCode::kEuc:
      return "EUC-JP";
    case CharCode::kJis:
      return "ISO-2022-JP";
    case CharCode::kUtf16Le:
    case CharCode::kUtf16Be:
      return "UTF-16";
    case CharCode::kUtf7:
      return "UTF-7";
    default:
      return "";
  }
}

std::u16string ForeignFileMessage(const DicChange& change) {
  const std::u16string path = Utf8ToUtf16(change.path);
  const CharCode code = change.foreign.code;
  std::u16string msg =
      u"辞書ファイルがShift_JISとして正しく読めないため，辞書を変更できません。\r\n"
      u"    ファイル名＝" +
      path + u"\r\n    文字コード＝" + Utf8ToUtf16(GetCharCodeName(code)) + u"\r\n    " +
      Utf8ToUtf16(std::to_string(change.foreign.line)) +
      u"行目に，Shift_JISでない文字があります。\r\n\r\n";
  const std::string from = IconvName(code);
  if (from.empty()) {
    msg +=
        u"辞書ファイルをテキストエディタで開いて，この行を直してから，\r\n"
        u"再度登録/削除してください。";
  } else {
    const std::u16string name = Utf8ToUtf16(NameOf(change.path));
    msg +=
        u"辞書ファイルのあるフォルダで，次のようにShift_JIS(CP932)に変換してから，\r\n"
        u"再度登録/削除してください。\r\n    iconv -f " +
        Utf8ToUtf16(from) + u" -t CP932 " + name + u" > " + name + u".sjis && mv " + name +
        u".sjis " + name;
  }
  return msg;
}

}  // namespace

std::u16string MsgNonSjisCharacter(std::u16string_view character, bool inWord) {
  return std::u16string(inWord ? u"単語" : u"意味") +
         u"に，辞書ファイル(Shift_JIS)に書けない文字があります。\r\n    文字＝「" +
         std::u16string(character) + u"」(" + CodePointName(character) +
         u")\r\n\r\nこの文字を除くか別の文字に替えてから，再度登録してください。";
}

std::u16string MsgChangeRefused(const DicChange& change) {
  using Refusal = DicChange::Refusal;
  if (change.outcome != DicChange::Outcome::kRefused)
    return {};
  switch (change.refusal) {
    case Refusal::kNone:
      return {};
    case Refusal::kNotAnEntry:
      return u"単語は2文字以上にし，意味には空白以外の文字を入れ，"
             u"どちらにもタブや改行は入れないでください。";
    case Refusal::kNoSuchEntry:
      return u"辞書にその番号の単語はありません。\r\n    番号＝" +
             Utf8ToUtf16(std::to_string(change.index));
    case Refusal::kNonSjisCharacter:
      return MsgNonSjisCharacter(change.character, change.inWord);
    case Refusal::kForeignFile:
      return ForeignFileMessage(change);
    case Refusal::kWriteProtected:
      return u"辞書ファイルは書き込みが禁止されているため，辞書を変更できません。\r\n"
             u"    ファイル名＝" +
             Utf8ToUtf16(change.path) +
             u"\r\n\r\n変更するには，辞書ファイルへの書き込みを許可してから"
             u"(例：chmod u+w ファイル名)，\r\n再度登録/削除してください。";
    case Refusal::kFolderNotWritable:
      return u"辞書フォルダに書き込めないため，辞書を変更できません。\r\n"
             u"    フォルダ＝" +
             Utf8ToUtf16(DirOf(change.path)) +
             u"\r\n\r\n変更するには，このフォルダへの書き込みを許可してから"
             u"(例：chmod u+w フォルダ名)，\r\n再度登録/削除してください。";
    case Refusal::kBusy:
      return u"ほかのプログラムが辞書ファイルを変更中のため，辞書を変更できませんでした。\r\n"
             u"    ファイル名＝" +
             Utf8ToUtf16(change.path) + u"\r\n\r\nしばらくしてから，再度登録/削除してください。";
  }
  return {};
}

std::u16string MsgDicReloaded(const DicChange& change) {
  if (!change.reloaded)
    return {};
  switch (change.outcome) {
    case DicChange::Outcome::kWritten:
      return u"辞書ファイルがほかのプログラムで変更されていたため，"
             u"読み込み直してから変更しました。";
    case DicChange::Outcome::kUnchanged:
      return u"辞書ファイルがほかのプログラムで変更されていたため読み込み直しました。"
             u"削除する意味はすでにありません。";
    case DicChange::Outcome::kRefused:
    case DicChange::Outcome::kFailed:
      break;
  }
  return u"辞書ファイルがほかのプログラムで変更されていたため，読み込み直しました。";
}

}  // namespace kelmoa
