// Texts of the reading window: its progress lines, its greeting and its messages.
#include "core/text/messages.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/base/char_code.h"
#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "core/base/paths.h"
#include "core/dictionary/dictionary.h"
#include "core/wordlist/word_list_messages.h"

namespace kelmoa {
namespace {

std::u16string Num(long long n) {
  return Utf8ToUtf16(std::to_string(n));
}

}  // namespace

std::array<std::u16string, 12> GreetingLines() {
  return {
      u"",
      u"　「ファイル」ボタンをクリックして，",
      u"　 " + Utf8ToUtf16(kTextFolder) + u"フォルダからテキストファイルを選ぶか，",
      u"",
      u"　ファイルマネージャで任意のフォルダから，",
      u"　テキストファイルをここにドラッグ＆ドロップしてください。",
      u"",
      u"　テキストファイルは次の条件を満たすことが必要です。",
      u"　　文字コード　：Shift_JIS か ANSI",
      u"　　１行の文字数：" + Num(kMaxLineBytes) + u"バイト以下",
      u"",
      u"　テキストファイルがここに表示されて，ケルモアを利用できます。",
  };
}

// clang-format off
std::u16string MsgNotShiftJis(std::u16string_view fileName, std::u16string_view codeName) {
  return u"このテキストファイルの文字コードはShift_JISではありません。\r\n"
         u"    ファイル名＝" + std::u16string(fileName) + u"\r\n" +
         u"    文字コード＝" + std::u16string(codeName) + u"\r\n\r\n" +
         u"このファイルをテキストエディタで開いて，ANSIまたはShift_JISで保存してから，\r\n"
         u"再度このファイルを指定してください。\r\n\r\n" + kAskOpenInEditor;
}
// clang-format on

std::u16string MsgTextLimit(const TextLimitBreach& breach) {
  switch (breach.kind) {
    case TextLimitBreach::Kind::kLineTooLong:
      return breach.atLeast ? MsgLineTooLongAtLeast(breach.line, breach.bytes)
                            : MsgLineTooLong(breach.line, breach.bytes);
    case TextLimitBreach::Kind::kTooManyLines:
      return MsgTooManyLines();
    case TextLimitBreach::Kind::kNone:
      break;
  }
  return {};
}

std::u16string MsgLineTooLong(long long lineNo, long long byteLen) {
  return u"1行のバイト数が" + Num(kMaxLineBytes) + u"を超えている行があります。\r\n" + u"  " +
         Num(lineNo) + u"行目：" + Num(byteLen) + u"バイト\r\n\r\n" +
         u"エディタで開いて，改行を加えてすべての行を" + Num(kMaxLineBytes) +
         u"バイト以下にしてから，\r\n" + u"再度このテキストファイルを指定してください。";
}

std::u16string MsgLineTooLongAtLeast(long long lineNo, long long byteLen) {
  std::u16string msg = MsgLineTooLong(lineNo, byteLen);
  const std::u16string unit = u"バイト\r\n\r\n";
  msg.insert(msg.find(unit) + 3, u"以上");
  return msg;
}

std::u16string MsgTooManyLines() {
  return u"読込むテキストファイルの行数は" + Num(kMaxLines) + u"行までです。";
}

std::u16string MsgTextRefusal(const OpenResult& result, const std::string& path) {
  if (result.outcome == OpenResult::Outcome::kWrongCode)
    return MsgNotShiftJis(Utf8ToUtf16(GetFileNameOfPath(path)),
                          Utf8ToUtf16(GetCharCodeName(result.code)));
  return result.TooLarge() ? MsgTextLimit(result.limit) : std::u16string();
}

std::u16string WithQuestion(std::u16string_view message) {
  return std::u16string(message) + u"\r\n\r\n" + kAskOpenInEditor;
}

namespace {

// What this program found, in the user's words; empty when it found nothing (the system's
// words then say why).
std::u16string FindingInWords(const Status& status) {
  constexpr long long kMiB = 1024LL * 1024;
  switch (status.finding()) {
    case Finding::kNone:
      return {};
    case Finding::kNotPlainFile:
      return u"通常のファイルではありません";
    case Finding::kWriteProtected:
      return u"書き込みが禁止されています";
    case Finding::kUnreadable:
      return u"読み取れません（" + Utf8ToUtf16(status.reason()) + u"）";
    case Finding::kDicTooLarge:
      return u"辞書ファイルが大きすぎます（" + Num((status.figure() + kMiB - 1) / kMiB) +
             u" MiB，上限は" + Num(kMaxDicFileBytes / kMiB) + u" MiB）";
    case Finding::kTooLargeToPrepare:
      return u"ファイルが大きすぎます（" + Num(status.figure()) + u"バイト。変換できるのは" +
             Num(kMaxPrepareFileBytes >> 20) + u"MiBまでです）";
    case Finding::kNoMemoryToLoad:
      return u"メモリが足りないため読み込めません";
    case Finding::kNoMemoryToChange:
      return u"メモリが足りないため変更できません";
    default:
      return MsgWordListFailure(status);
  }
}

// Whether the finding is a whole message, which names its file itself.
bool IsWholeMessage(const Status& status) {
  return !MsgWordListFailure(status).empty();
}

}  // namespace

std::u16string StatusInWords(const Status& status) {
  if (IsWholeMessage(status))
    return MsgWordListFailure(status);
  const std::u16string reason = SystemReason(status);
  return status.context().empty() ? reason : Utf8ToUtf16(status.context()) + u": " + reason;
}

std::u16string SystemReason(const Status& status) {
  std::u16string found = FindingInWords(status);
  return found.empty() ? Utf8ToUtf16(status.reason()) : found;
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

std::u16string ReasonInWords(const Status& status) {
  if (std::u16string found = FindingInWords(status); !found.empty())
    return found;
  switch (status.code()) {
    case StatusCode::kOk:
      return {};
    case StatusCode::kNotFound:
      return u"ファイルまたはフォルダが見つかりません";
    case StatusCode::kPermissionDenied:
      return u"許可がありません";
    case StatusCode::kAlreadyExists:
      return u"同じ名前のファイルがすでにあります";
    case StatusCode::kCorrupt:
      return u"ファイルが壊れています";
    case StatusCode::kInvalidArgument:
      return u"通常のファイルではありません";
    case StatusCode::kTooLarge:
      return u"ファイルが大きすぎます";
    case StatusCode::kOutOfMemory:
      return u"メモリが足りません";
    case StatusCode::kBusy:
      return u"ほかのプログラムが使用中です";
    case StatusCode::kNoSpace:
      return u"ディスクに空きがありません";
    case StatusCode::kUnsupported:
      return u"このシステムではできません";
    case StatusCode::kCancelled:
      return u"中止しました";
    case StatusCode::kIoError:
      break;
  }
  return u"読み書きに失敗しました";
}

std::u16string MsgTooManyPreparedParts(std::u16string_view path) {
  return u"このテキストファイルは，変換すると" + Num(kMaxLines) + u"行ずつ" +
         Num(static_cast<long long>(kMaxPreparedParts)) +
         u"個を超えるファイルに分かれるため，変換できません。\r\n    ファイル名＝" +
         std::u16string(path) +
         u"\r\n\nエディタでいくつかのファイルに分けてから，\r\n"
         u"再度このテキストファイルを指定してください。";
}

std::u16string MsgDamagedUtf8(std::u16string_view path, const Utf8Damage& damage) {
  std::u16string lines;
  for (const long long line : damage.lines)
    lines += (lines.empty() ? u"" : u"，") + Num(line);
  if (damage.lineCount > static_cast<long long>(damage.lines.size()))
    lines += u" ほか" + Num(damage.lineCount - static_cast<long long>(damage.lines.size())) + u"行";
  return u"このテキストファイルをUTF-8として読みましたが，UTF-8として読めないバイトが" +
         Num(damage.badBytes) + u"バイトあり，「?」に置き換えました。\r\n    ファイル名＝" +
         std::u16string(path) + u"\r\n    行＝" + lines;
}

}  // namespace kelmoa
