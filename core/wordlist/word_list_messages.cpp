// What the word list tells the reader, in the windows and in kelmoa-tool.
#include "core/wordlist/word_list_messages.h"

#include "core/base/paths.h"

namespace kelmoa {
namespace {

std::u16string Quoted(const std::string& path) {
  return u"「" + Utf8ToUtf16(path) + u"」";
}

}  // namespace

std::u16string MsgWordListFailure(const Status& status) {
  const std::string& path = status.context();
  const std::u16string reason = Utf8ToUtf16(status.reason());
  const std::u16string database = u"単語帳のデータベース" + Quoted(path);
  switch (status.finding()) {
    case Finding::kPositionsUnusable:
      return u"読んでいた位置を読み書きできませんでした（" + reason + u"）。";
    case Finding::kExportExists:
      return u"ファイル" + Quoted(path) + u"はすでにあるため，書き出しませんでした。";
    case Finding::kWordListNoBaseFolder:
      return u"フォルダ" + Quoted(path) + u"がないため，単語帳を開けません。";
    case Finding::kWordListFolderNotMade:
      return u"単語帳のフォルダ" + Quoted(path) + u"を作れませんでした（" + reason + u"）。";
    case Finding::kWordListFolderIsFile:
      return Quoted(path) + u"がフォルダではないため，単語帳を開けません。";
    case Finding::kWordListFolderNotWritable:
      return u"単語帳のフォルダ" + Quoted(path) + u"に書き込めないため，単語帳を変更できません。";
    case Finding::kWordListNotPlainFile:
      return database +
             u"は通常のファイルではないため，使えません。ファイルはそのままにしてあります。";
    case Finding::kWordListWriteProtected:
      return database +
             u"は書き込みが禁止されているため，単語帳を変更できません。"
             u"変更するには，書き込みを許可してください（例：chmod u+w ファイル名）。";
    case Finding::kWordListDamaged:
      return database +
             u"は壊れているか，データベースではないため，使えません。"
             u"ファイルはそのままにしてあります。別の場所へ移すと，"
             u"次に単語を加えたときに新しい単語帳が作られます。";
    case Finding::kWordListBusy:
      return database +
             u"は，ほかのプログラムが書き込み続けているため，使えませんでした。"
             u"しばらくしてから，もう一度してください。";
    case Finding::kWordListStaleSharedMemory:
      return database + u"の作業ファイル" + Quoted(SharedMemoryPathOf(path)) +
             u"に書き込めないため，単語帳を変更できません。"
             u"Kelmoaとkelmoa-toolをすべて終了してから，このファイルを削除して"
             u"ください（単語帳の単語は失われません）。";
    case Finding::kWordListUnopenable:
      return database + u"を開けないか，書き込めません（" + reason + u"）。";
    case Finding::kWordListUnusable:
      return database + u"を読み書きできませんでした（" + reason + u"）。";
    case Finding::kWordListForeign:
      return u"ファイル" + Quoted(path) +
             u"は単語帳ではないデータベースのため，使えません。ファイルはそのままにしてあります。";
    case Finding::kWordListNewer:
      return database + u"は新しい版のKelmoaで作られた（版" +
             Utf8ToUtf16(std::to_string(status.figure())) +
             u"）ため，使えません。ファイルはそのままにしてあります。";
    default:
      return {};
  }
}

}  // namespace kelmoa
