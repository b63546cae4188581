// The dictionary editor window: lists, adds and deletes entries, written through at once.
#include "gui/dictionary_editor.h"

#include <QCloseEvent>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <initializer_list>
#include <new>
#include <utility>

#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "core/base/paths.h"
#include "core/base/status.h"
#include "core/base/str_list.h"
#include "core/dictionary/dictionary.h"
#include "core/dictionary/dictionary_messages.h"
#include "core/dictionary/lookup.h"
#include "core/text/editor_messages.h"
#include "core/text/reading_session.h"
#include "gui/message_dialog.h"
#include "gui/window_helpers.h"

namespace kelmoa {
namespace {

// The lists and the text boxes use the pane's font at its smallest size.
constexpr double kBoxFontPointSize = 9.75;

// Shows the wait pointer over a window for as long as it lives.
class WaitCursor {
 public:
  explicit WaitCursor(QWidget& window) : mWindow(window) { mWindow.setCursor(Qt::WaitCursor); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
  ~WaitCursor() { mWindow.unsetCursor(); }

 private:
  QWidget& mWindow;
};

}  // namespace

DictionaryEditor::DictionaryEditor(ReadingSession& session, MessageDialog& messages,
                                   PlainMessageFn showPlainMessage, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint),
      mSession(session),
      mMessages(messages),
      mShowPlainMessage(std::move(showPlainMessage)) {
  BuildControls();
  FillFixedFields();
}

// The window's design: every control at its place, in the keyboard focus order.
void DictionaryEditor::BuildControls() {
  setWindowTitle(QStringLiteral("辞書編集"));
  setFont(QFont(kUiFontName, static_cast<int>(kUiFontPointSize)));
  setFixedSize(566, 345);
  const QFont boxFont = PaneFont(kBoxFontPointSize);

  mDictionaryFileField = new QLineEdit(this);
  mDictionaryFileField->setGeometry(84, 4, 125, 21);
  mDictionaryFileField->setReadOnly(true);
  mDictionaryFileLabel = MakeLabel(this, QStringLiteral("辞書ファイル"), QRect(8, 8, 73, 13));
  mEntryListLabel =
      MakeLabel(this, QStringLiteral("登録済み単語・意味の一覧"), QRect(8, 32, 157, 13));
  mEntryList = new QListWidget(this);
  mEntryList->setGeometry(4, 48, 493, 95);
  mCloseButton = MakeButton(this, QStringLiteral("閉じる"), QRect(508, 0, 57, 29));
  mDeleteButton = MakeButton(this, QStringLiteral("削除"), QRect(500, 60, 57, 29));
  mDeleteButton->setToolTip(QStringLiteral("選択した単語を辞書ファイルから削除します"));
  mWordLabel = MakeLabel(this, QStringLiteral("単語 (入力必須)"), QRect(8, 156, 85, 13));
  mMeaningLabel = MakeLabel(this, QStringLiteral("意味 (入力必須)"), QRect(176, 156, 105, 13));
  mWordField = new QLineEdit(this);
  mWordField->setGeometry(8, 172, 161, 21);
  mMeaningField = new QLineEdit(this);
  mMeaningField->setGeometry(172, 172, 325, 21);
  mAddButton = MakeButton(this, QStringLiteral("登録"), QRect(500, 168, 57, 29));
  mLowerButton = MakeButton(this, QStringLiteral("小文字に"), QRect(12, 196, 57, 21));
  mDeleteLastCharButton = MakeButton(this, QStringLiteral("末尾文字削除"), QRect(72, 196, 89, 21));
  mWordClassLabel = MakeLabel(this, QStringLiteral("品詞"), QRect(176, 200, 37, 13));
  mHowToUseButton = MakeButton(this, QStringLiteral("使い方"), QRect(500, 204, 57, 21));
  mWordClassList = new QListWidget(this);
  mWordClassList->setGeometry(172, 216, 61, 121);
  mNoteButton = MakeButton(this, QStringLiteral("参考"), QRect(500, 228, 57, 21));

  for (QWidget* box : std::initializer_list<QWidget*>{mDictionaryFileField, mEntryList, mWordField,
                                                      mMeaningField, mWordClassList}) {
    box->setFont(boxFont);
  }
  for (QListWidget* list : {mEntryList, mWordClassList})
    list->setSelectionMode(QAbstractItemView::SingleSelection);

  QWidget* previous = nullptr;
  for (QWidget* w : std::initializer_list<QWidget*>{
           mEntryList, mDeleteButton, mWordField, mMeaningField, mAddButton, mWordClassList,
           mHowToUseButton, mDictionaryFileField, mNoteButton, mCloseButton, mLowerButton,
           mDeleteLastCharButton}) {
    if (previous != nullptr)
      setTabOrder(previous, w);
    previous = w;
  }

  connect(mWordField, &QLineEdit::textChanged, this, &DictionaryEditor::ListTypedWord);
  // A tag is applied by a click, or by Enter on the current tag; applying the same tag twice
  // changes nothing, so a platform that reports both for one click does no harm.
  connect(mWordClassList, &QListWidget::itemClicked, this, &DictionaryEditor::PutTagInMeaning);
  connect(mWordClassList, &QListWidget::itemActivated, this, &DictionaryEditor::PutTagInMeaning);
  connect(mAddButton, &QPushButton::clicked, this, &DictionaryEditor::AddEntry);
  connect(mDeleteButton, &QPushButton::clicked, this, &DictionaryEditor::DeleteSelectedEntry);
  connect(mLowerButton, &QPushButton::clicked, this, &DictionaryEditor::LowerWord);
  connect(mDeleteLastCharButton, &QPushButton::clicked, this,
          &DictionaryEditor::DeleteLastCharacter);
  connect(mHowToUseButton, &QPushButton::clicked, this, &DictionaryEditor::ShowHowToUse);
  connect(mNoteButton, &QPushButton::clicked, this, &DictionaryEditor::ShowNote);
  connect(mCloseButton, &QPushButton::clicked, this, &DictionaryEditor::HideEditor);
}

void DictionaryEditor::FillFixedFields() {
  mDictionaryFileField->setText(QString::fromLatin1(kDicFileName));
  SetWordClassList(*mWordClassList);
}

void DictionaryEditor::SetWordClassList(QListWidget& list) {
  list.clear();
  for (const char16_t* tag : kWordClassTags)
    list.addItem(Q(tag));
}

void DictionaryEditor::StandBesideParent() {
  if (const QWidget* beside = parentWidget(); beside != nullptr) {
    const QRect frame = beside->frameGeometry();
    move(frame.x() + frame.width(), y());
  }
}

void DictionaryEditor::ListTypedWord() {
  std::u16string form;
  StrList meanings;
  LookUpMeanings(mSession.Dic(), mWordField->text().toLower().toStdU16String(), mCurDicIdx, form,
                 meanings);
  mEntryList->clear();
  if (mCurDicIdx <= 0)
    return;
  for (int i = 1; i <= UpperBound(meanings); ++i)
    mEntryList->addItem(Q(form + u" " + meanings[static_cast<size_t>(i)]));
}

void DictionaryEditor::PutTagInMeaning() {
  const QListWidgetItem* item = mWordClassList->currentItem();
  if (item == nullptr)
    return;
  const QString tag = item->text();
  if (mMeaningField->text().isEmpty())
    mMeaningField->setText(tag);
  const QString t = mMeaningField->text();
  // A one-character tag at the head is replaced; anything else gets the tag in front.
  if (t.size() >= 3 && t[0] == u'【' && t[2] == u'】') {
    mMeaningField->setText(tag + t.mid(3));
  } else {
    mMeaningField->setText(tag + t);
  }
}

QString DictionaryEditor::CheckInput() {
  const QString word = mWordField->text();
  if (word.size() < kMinWordLength || word.size() > kMaxWordLength) {
    mWordField->setFocus();
    return Q(MsgWordLength());
  }
  if (!IsEnglishWord(word.toStdU16String())) {
    mWordField->setFocus();
    return Q(kMsgWordLetters);
  }
  const std::u16string meaning = mMeaningField->text().toStdU16String();
  const long long bytes = GetSjisByteLen(meaning);
  if (bytes < kMinMeaningBytes || bytes > kMaxMeaningBytes) {
    mMeaningField->setFocus();
    return Q(MsgMeaningBytes());
  }
  if (!IsStorableEntry(word.toStdU16String(), meaning)) {
    mMeaningField->setFocus();
    return Q(kMsgMeaningUnstorable);
  }
  // The dictionary file is Shift_JIS: what it cannot hold would come back as "?".
  if (const size_t at = FindNonSjis(meaning); at != std::u16string::npos) {
    mMeaningField->setFocus();
    const bool pair = QChar::isHighSurrogate(meaning[at]) && at + 1 < meaning.size();
    return Q(MsgNonSjisCharacter(std::u16string_view(meaning).substr(at, pair ? 2 : 1), false));
  }
  return {};
}

void DictionaryEditor::AddEntry() {
  const QString msg = CheckInput();
  if (!msg.isEmpty()) {
    mShowPlainMessage(msg, this);
    return;
  }
  try {
    DicChange change;
    {
      const WaitCursor wait(*this);
      // The word is stored as typed; the list below looks it up lowered.
      // The session marks the words again and its views redraw on its notice.
      change = mSession.AddMeaning(mWordField->text().toStdU16String(),
                                   mMeaningField->text().toStdU16String());
    }
    if (!ShowChange(change, true)) {
      mMeaningField->setFocus();  // the typed meaning stays for another try
      return;
    }
    mMeaningField->clear();
    ListTypedWord();
    mWordClassList->setCurrentRow(-1);
    mWordClassList->clearSelection();
    if (mEntryList->count() > 0)
      mEntryList->setCurrentRow(0);
    mDictionaryFileField->setFocus();
    mEntryList->setFocus();
  } catch (const std::bad_alloc&) {
    ShowWriteFailure(Q(kMsgOutOfMemory));
  }
}

void DictionaryEditor::DeleteSelectedEntry() {
  const QList<QListWidgetItem*> selected = mEntryList->selectedItems();
  if (selected.isEmpty()) {
    ShowMessage(Q(kMsgSelectEntry), MessageDialog::Buttons::kOK,
                QString::fromLatin1(kNotifySoundFileName));
    return;
  }
  const QString line = selected.first()->text();
  const int row = mEntryList->row(selected.first());
  const MessageDialog::Answer answer = ShowMessage(Q(MsgConfirmDelete(line.toStdU16String())),
                                                   MessageDialog::Buttons::kOKCancel, {});
  repaint();
  if (answer == MessageDialog::Answer::kCancel)
    return;
  try {
    DicChange change;
    {
      const WaitCursor wait(*this);
      change = mSession.DeleteMeaning(mCurDicIdx, line.toStdU16String());
    }
    if (!ShowChange(change, false)) {
      // The line is still there: keep it selected for another try.
      if (row < mEntryList->count() && mEntryList->item(row)->text() == line)
        mEntryList->setCurrentRow(row);
      return;
    }
    mMeaningField->clear();
    ListTypedWord();
    mHowToUseButton->setFocus();
    mWordClassList->setCurrentRow(-1);
    mWordClassList->clearSelection();
  } catch (const std::bad_alloc&) {
    ShowWriteFailure(Q(kMsgOutOfMemory));
  }
}

bool DictionaryEditor::ShowChange(const DicChange& change, bool adding) {
  // The words of the text were marked again, and the page drawn again, by the session's
  // notice, after a change and after a reload that replaced the whole dictionary.
  switch (change.outcome) {
    case DicChange::Outcome::kWritten:
    case DicChange::Outcome::kUnchanged:
      if (change.reloaded) {
        ListTypedWord();
        mShowPlainMessage(Q(MsgDicReloaded(change)), this);
      }
      return true;
    case DicChange::Outcome::kRefused:
      ShowWriteFailure(Q(MsgChangeRefused(change)));
      return false;
    case DicChange::Outcome::kFailed:
      break;
  }
  ShowWriteFailure(Q(adding ? MsgAddFailed(change.status) : MsgDelFailed(change.status)));
  return false;
}

void DictionaryEditor::ShowWriteFailure(const QString& msg) {
  unsetCursor();
  ShowMessage(msg, MessageDialog::Buttons::kOK, QString::fromLatin1(kNotifySoundFileName));
  // The dictionary was taken back to what it was (or is the file's, after a reload); list that.
  ListTypedWord();
}

void DictionaryEditor::LowerWord() {
  mWordField->setText(mWordField->text().toLower());
}

void DictionaryEditor::DeleteLastCharacter() {
  QString word = mWordField->text();
  if (word.isEmpty())
    return;
  // A character outside the basic plane goes whole, not half of it.
  const bool pair = word.size() >= 2 && word.back().isLowSurrogate() &&
                    word.at(word.size() - 2).isHighSurrogate();
  word.chop(pair ? 2 : 1);
  mWordField->setText(word);
}

void DictionaryEditor::ShowHowToUse() {
  ShowMessage(Q(HowToUseText()), MessageDialog::Buttons::kOK, {});
}

void DictionaryEditor::ShowNote() {
  ShowMessage(Q(NoteText()), MessageDialog::Buttons::kOK, {});
}

void DictionaryEditor::HideEditor() {
  hide();
}

void DictionaryEditor::SetWord(const QString& word) {
  mWordField->setText(word);
}

QString DictionaryEditor::Word() const {
  return mWordField->text();
}

MessageDialog::Answer DictionaryEditor::ShowMessage(const QString& msg,
                                                    MessageDialog::Buttons buttons,
                                                    const QString& wav) {
  return mMessages.Ask(this, msg, buttons, wav);
}

bool DictionaryEditor::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate)
    StandBesideParent();
  return QWidget::event(event);
}

void DictionaryEditor::closeEvent(QCloseEvent* event) {
  HideEditor();
  event->accept();
}

}  // namespace kelmoa
