#include "document/open_text.h"

#include "common/char_code.h"
#include "common/codepage.h"
#include "common/helpers.h"
#include "common/side_by_side.h"
#include "document/text_reader.h"

namespace kelmoa {

// clang-format off
std::u16string MsgNotShiftJis(std::u16string_view fileName, std::u16string_view codeName) {
  return u"このテキストファイルの文字コードはShift_JISではありません。\r\n"
         u"    ファイル名＝" + std::u16string(fileName) + u"\r\n" +
         u"    文字コード＝" + std::u16string(codeName) + u"\r\n\r\n" +
         u"このファイルをテキストエディタで開いて，ANSIまたはShift_JISで保存してから，\r\n"
         u"再度このファイルを指定してください。\r\n\r\n" + kAskOpenInEditor;
}
// clang-format on

std::u16string WithQuestion(std::u16string_view message) {
  return std::u16string(message) + u"\r\n\r\n" + kAskOpenInEditor;
}

TextFileCheck CheckAndReadTextFile(const std::string& path) {
  TextFileCheck check;
  std::string code;
  // The file is read as Shift_JIS while its character code is worked out beside it; what was
  // read is dropped when the code turns out to be another. Reading stops at the limits of a
  // text file, so a file of another code costs no more than one of Shift_JIS.
  std::u16string msg;
  Status readStatus;
  RunSideBySide(
      true, [&] { check.status = GetFileCharCode(path, code); },
      [&] { msg = ReadFileToAryAndChkMsg(path, check.lines, readStatus); });
  if (!check.status.ok()) {
    check.result = TextFileCheck::kUnreadable;
    check.lines = NewStrList();
    return check;
  }
  if (code != "ASCII" && code != "SJIS") {
    check.result = TextFileCheck::kWrongCode;
    check.message = MsgNotShiftJis(Utf8ToUtf16(GetFileNameOfPath(path)), Utf8ToUtf16(code));
    check.lines = NewStrList();
    return check;
  }
  check.status = readStatus;
  if (!check.status.ok()) {
    check.result = TextFileCheck::kUnreadable;
  } else if (!msg.empty()) {
    check.result = TextFileCheck::kTooLarge;
    check.message = msg;
  }
  return check;
}

}  // namespace kelmoa
