// Mouse buttons over the text pane: the left one speaks a word, the right one hands it to the
// dictionary editor.

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QScrollBar>

#include "gui/frm_text.h"
#include "gui/frm_edit_dic.h"
#include "core/text/meaning_popup.h"

namespace kelmoa {

void frmText::picText_MouseDown(Qt::MouseButton button, double x, double y) {
  if (!gFlgTextFileRead)
    return;
  const bool speak = button == Qt::LeftButton && mChkSpeak->isChecked();
  // The editor feeds on right clicks only while it is on screen.
  const bool toEditor =
      button == Qt::RightButton && mFrmEditDic != nullptr && mFrmEditDic->isVisible();
  if (!speak && !toEditor)
    return;
  const WordTable& t = mDoc->words;
  const int k = GetWordIdxAtPoint(x, y, mVScroll->value(), mSetting.CharHeight + mSetting.LineSpace,
                                  t.mLineFirstWord, t.mLineLastWord, t.mWordX1, t.mWordX2);
  if (k < 1)
    return;
  // The word as written in the text, capitals kept.
  const QString word = QStringView(t.Word(k)).toString();
  if (speak) {
    (void)mSpeaker.SpeakWord(word);  // a failure to speak stays silent
    return;
  }
  mFrmEditDic->SetWord(word);
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->clear();
  clipboard->setText(word);
}

}  // namespace kelmoa
