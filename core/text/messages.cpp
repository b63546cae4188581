// Texts of the reading window: its progress lines, its greeting and its messages.
#include "core/text/messages.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/base/codepage.h"

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

std::u16string SystemReason(const Status& status) {
  return Utf8ToUtf16(status.reason());
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

std::u16string TextFileProblem(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    switch (errno) {
      case ENOENT:
      case ENOTDIR:
        return u"ファイルが見つかりません";
      case EACCES:
        return u"ファイルのあるフォルダを開く許可がありません";
      case ENAMETOOLONG:
        return u"パスが長すぎます";
      case ELOOP:
        return u"シンボリックリンクが循環しています";
      default:
        return u"ファイルの情報を読めません";
    }
  }
  if (S_ISDIR(st.st_mode))
    return u"フォルダです";
  if (S_ISFIFO(st.st_mode))
    return u"通常のファイルではありません（名前付きパイプ）";
  if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
    return u"通常のファイルではありません（デバイス）";
  if (S_ISSOCK(st.st_mode))
    return u"通常のファイルではありません（ソケット）";
  if (!S_ISREG(st.st_mode))
    return u"通常のファイルではありません";
  if (::access(path.c_str(), R_OK) != 0)
    return errno == EACCES ? u"読み取りの許可がありません" : u"ファイルを読めません";
  return {};
}

std::u16string MsgHelpNotOpened(std::u16string_view page, std::u16string_view reason) {
  return u"ヘルプページを開けませんでした。\r\n    ファイル名＝" + std::u16string(page) +
         u"\r\n    理由＝" + std::u16string(reason);
}

std::u16string MsgEditorNotStarted(std::u16string_view editor, std::u16string_view reason) {
  return u"テキストエディタを起動できませんでした。\r\n    エディタ＝" + std::u16string(editor) +
         u"\r\n    理由＝" + std::u16string(reason);
}

std::u16string MsgEditorFailed(std::u16string_view editor, std::u16string_view reason) {
  return u"テキストエディタでテキストファイルを開けませんでした。\r\n    エディタ＝" +
         std::u16string(editor) + u"\r\n    理由＝" + std::u16string(reason);
}

std::u16string MsgSpeechNotStarted(std::u16string_view program, std::u16string_view reason) {
  return u"単語を発音できません：" + std::u16string(program) + u" を起動できません（" +
         std::u16string(reason) + u"）。パッケージ " + kSpeechPackage + u" を入れてください。";
}

std::u16string MsgSpeechFailed(std::u16string_view program, std::u16string_view detail) {
  return u"単語を発音できません：" + std::u16string(program) + u" が失敗しました（" +
         std::u16string(detail) + u"）。音の出る機器とパッケージ " + kSpeechPackage +
         u" を確かめてください。";
}

std::u16string MsgTextNotPrepared(std::u16string_view path, std::u16string_view reason) {
  return u"変換したテキストファイルを保存できませんでした。\r\n    ファイル名＝" +
         std::u16string(path) + u"\r\n    理由＝" + std::u16string(reason);
}

}  // namespace kelmoa
