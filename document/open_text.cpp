#include "document/open_text.h"

#include "common/char_code.h"
#include "common/codepage.h"
#include "common/helpers.h"
#include "document/text_reader.h"

namespace kelmoa {

std::u16string MsgNotShiftJis(std::u16string_view fileName, std::u16string_view codeName) {
  return u"このテキストファイルの文字コードはShift_JISではありません。\r\n"
         u"    ファイル名＝" + std::u16string(fileName) + u"\r\n" +
         u"    文字コード＝" + std::u16string(codeName) + u"\r\n\r\n" +
         u"このファイルをテキストエディタで開いて，ANSIまたはShift_JISで保存してから，\r\n"
         u"再度このファイルを指定してください。\r\n\r\n" + kAskOpenInEditor;
}

std::u16string WithQuestion(std::u16string_view message) {
  return std::u16string(message) + u"\r\n\r\n" + kAskOpenInEditor;
}

TextFileCheck CheckAndReadTextFile(const std::string& path) {
  TextFileCheck check;
  std::string code;
  check.status = GetFileCharCode(path, code);
  if (!check.status.ok()) {
    check.result = TextFileCheck::kUnreadable;
    return check;
  }
  if (code != "ASCII" && code != "SJIS") {
    check.result = TextFileCheck::kWrongCode;
    check.message = MsgNotShiftJis(Utf8ToUtf16(GetFileNameOfPath(path)), Utf8ToUtf16(code));
    return check;
  }
  const std::u16string msg = ReadFileToAryAndChkMsg(path, check.lines, check.status);
  if (!check.status.ok()) {
    check.result = TextFileCheck::kUnreadable;
  } else if (!msg.empty()) {
    check.result = TextFileCheck::kTooLarge;
    check.message = msg;
  }
  return check;
}

}  // namespace kelmoa
