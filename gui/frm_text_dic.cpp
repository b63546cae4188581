// The main window's side of the dictionary editor: opening it, the lookup it lists, the
// write-through of its changes, and the word information that follows a change.

#include <QRect>

#include "gui/frm_text.h"
#include "core/base/helpers.h"
#include "gui/picture_box.h"
#include "core/dictionary/lookup.h"
#include "core/text/word_info.h"
#include "gui/frm_edit_dic.h"

namespace kelmoa {

frmEditDic& frmText::EditDic() {
  if (mFrmEditDic == nullptr)
    mFrmEditDic = new frmEditDic(*this);
  return *mFrmEditDic;
}

// The editor stands against the main window's right edge, an eighth of its height down; a
// second click while it is open brings it back there and forward.
void frmText::cmdEditDic_Click() {
  frmEditDic& editor = EditDic();
  const QRect frame = frameGeometry();
  editor.move(frame.x() + frame.width(),
              frame.y() + static_cast<int>(RoundHalfEven(frame.height() / 8.0)));
  editor.show();
  editor.raise();
  editor.activateWindow();
}

void frmText::GetWordMeaningP(std::u16string_view pWord, int& oIdx, std::u16string& oWord,
                              StrList& oMeaning) const {
  kelmoa::GetWordMeaningP(mDic, pWord, oIdx, oWord, oMeaning);
}

DicChange frmText::AddEntryAndWriteDic(const std::u16string& pWord,
                                       const std::u16string& pMeaning) {
  DictionaryFiles files(mPaths.baseFolder, *mFileOps);
  return files.AddEntry(mDic, pWord, pMeaning, LocalNow());
}

DicChange frmText::DelEntryAndWriteDic(int pIdx, const std::u16string& pEntry) {
  DictionaryFiles files(mPaths.baseFolder, *mFileOps);
  return files.DeleteEntry(mDic, pIdx, pEntry, LocalNow());
}

void frmText::gGetWordInfoInTextP() {
  kelmoa::gGetWordInfoInTextP(*mDoc, mDic.Words());
  HideMeaningPopup();
}

}  // namespace kelmoa
