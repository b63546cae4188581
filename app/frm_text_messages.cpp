#include "app/frm_text_messages.h"

#include "common/codepage.h"

namespace kelmoa {

std::u16string SystemReason(const Status& status) {
  const std::string& m = status.message();
  const size_t colon = m.rfind(": ");
  return Utf8ToUtf16(colon == std::string::npos ? m : m.substr(colon + 2));
}

std::u16string MsgDicNotFound(std::u16string_view path) {
  return u"辞書ファイルが見つかりません。\r\n\r\n  " + std::u16string(path) +
         u"\r\n\r\nプログラムを終了します。";
}

std::u16string MsgDicNotShiftJis(std::u16string_view path, std::u16string_view codeName) {
  return u"辞書ファイルの文字コードがShift_JIS以外になっています。\r\n  " + std::u16string(path) +
         u"\r\n  文字コード＝" + std::u16string(codeName) +
         u"\r\n辞書ファイルを開き，文字コードをShift_JIS(ANSI)にして保存してください。";
}

std::u16string MsgDicUnreadable(std::u16string_view path, std::u16string_view reason) {
  return u"辞書ファイルを読み込めませんでした。\r\n\r\n  " + std::u16string(path) +
         u"\r\n  理由＝" + std::u16string(reason) + u"\r\n\r\nプログラムを終了します。";
}

std::u16string MsgTextFileUnreadable(std::u16string_view path, std::u16string_view reason) {
  return u"このテキストファイルを開けませんでした。\r\n    ファイル名＝" + std::u16string(path) +
         u"\r\n    理由＝" + std::u16string(reason);
}

std::u16string MsgEditorNotStarted(std::u16string_view editor, std::u16string_view reason) {
  return u"テキストエディタを起動できませんでした。\r\n    エディタ＝" + std::u16string(editor) +
         u"\r\n    理由＝" + std::u16string(reason);
}

std::u16string MsgTextNotPrepared(std::u16string_view path, std::u16string_view reason) {
  return u"変換したテキストファイルを保存できませんでした。\r\n    ファイル名＝" +
         std::u16string(path) + u"\r\n    理由＝" + std::u16string(reason);
}

}  // namespace kelmoa
