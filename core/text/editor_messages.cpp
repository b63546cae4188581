// Texts of the dictionary editor: tags, checks of what is typed, questions, failure reports, help.
#include "core/text/editor_messages.h"

#include <initializer_list>

#include "core/base/codepage.h"
#include "core/text/messages.h"

namespace kelmoa {
namespace {

std::u16string Num(int n) {
  return Utf8ToUtf16(std::to_string(n));
}

std::u16string JoinLines(std::initializer_list<const char16_t*> lines) {
  std::u16string text;
  for (const char16_t* line : lines) {
    text += line;
    text += u"\r\n";
  }
  return text;
}

std::u16string MsgChangeFailed(std::u16string_view lead, const Status& status) {
  return std::u16string(lead) +
         u"\r\n辞書ファイルまたはバックアップを書き込めなかったため，辞書は変更前のままです。"
         u"\r\n    理由＝" +
         StatusInWords(status);
}

}  // namespace

std::u16string MsgWordLength() {
  return u"単語は" + Num(kMinWordLength) + u"～" + Num(kMaxWordLength) +
         u"文字で入力してください。";
}

std::u16string MsgMeaningBytes() {
  return u"意味は" + Num(kMinMeaningBytes) + u"～" + Num(kMaxMeaningBytes) +
         u"バイトで入力してください。";
}

std::u16string MsgConfirmDelete(std::u16string_view line) {
  return u"この単語・意味を削除してよろしいですか？\r\n    " + std::u16string(line);
}

std::u16string MsgAddFailed(const Status& status) {
  return MsgChangeFailed(u"単語・意味を辞書に登録できませんでした。", status);
}

std::u16string MsgDelFailed(const Status& status) {
  return MsgChangeFailed(u"単語・意味を辞書から削除できませんでした。", status);
}

std::u16string HowToUseText() {
  return JoinLines({
      u"■登録/削除する単語を指定するには",
      u"",
      u"　最初に，単語テキストボックスに，登録/削除する単語を手入力します。",
      u"",
      u"　テキストファイル表示画面に英文テキストが表示されている場合は，",
      u"　その英文中の単語を右クリックしても単語を入力できます。",
      u"",
      u"　(通常の左クリックでは入力できません。右クリックで入力できます。)",
      u"",
      u"　(単語は動詞なら原形，名詞なら単数形に手で修正してください。)",
      u"",
      u"　入力した単語が辞書に登録済みなら，上の一覧に単語と意味が表示されます。",
      u"",
      u"■単語を削除するには",
      u"",
      u"　一覧の項目を一つ選択して「削除」ボタンをクリックします。",
      u"",
      u"■単語を登録するには",
      u"",
      u"　意味テキストボックスに意味を手入力します。",
      u"",
      u"　品詞一覧から品詞をクリックすると，意味テキストボックスの先頭に品詞が",
      u"　追加/更新されます。",
      u"",
      u"　「登録」ボタンをクリックします。",
  });
}

std::u16string NoteText() {
  return JoinLines({
      u"■辞書のバックアップファイルについて",
      u"",
      u"　単語を登録/削除を行う毎に，辞書ファイルのバックアップが，dic_backupフォルダに",
      u"　作成されます。",
      u"",
      u"　バックアップファイルのファイル名は，辞書ファイルのファイル名に，",
      u"　_yyyy_mmdd_hhnn_s (_年_月日_時分_秒)が追加されたファイル名になります。",
      u"",
      u"　このバックアップファイルは，例えば100回単語を登録/削除すると100ファイル作成されます。",
      u"　dic_backupフォルダにはファイルがどんどん増えます。",
      u"",
      u"　不要なバックアップファイルは随時削除してください。",
      u"",
      u"■熟語を登録するには",
      u"",
      u"　単語テキストボックスにはスペースを入力できません。",
      u"　よって，熟語は辞書に登録できません。",
      u"",
      u"　熟語は，次のように登録する方法があります。",
      u"　　単語：その熟語を代表する単語を登録",
      u"　　意味：その熟語とその意味を登録",
      u"",
      u"　(例)human beings を登録",
      u"　　　単語：human",
      u"　　　意味：human beings 人類",
      u"",
      u"　(例)look forward to を登録",
      u"　　　単語：forward",
      u"　　　意味：look forward to ～(名詞・動名詞) ～を首を長くして待ち望む",
  });
}

}  // namespace kelmoa
