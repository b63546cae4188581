// The main window's commands: the text-file chooser, the settings window with the re-layout
// that follows a change, the help page with its F1 key and the word list's F2.

#include <QCoreApplication>
#include <QFile>
#include <QKeySequence>
#include <QScrollBar>
#include <QShortcut>
#include <optional>
#include <utility>

#include "core/base/codepage.h"
#include "core/base/helpers.h"
#include "core/text/messages.h"
#include "core/text/open_text.h"
#include "gui/help_page.h"
#include "gui/main_window.h"
#include "gui/picture_box.h"
#include "gui/settings_dialog.h"
#include "gui/text_chooser.h"
#include "gui/window_helpers.h"

namespace kelmoa {
namespace {

// The chooser stands this far right of and below the main window's top-left corner.
constexpr QPoint kChooserOffset(40, 20);

QString QPath(const std::string& path) {
  return QFile::decodeName(path.c_str());
}

}  // namespace

void MainWindow::CreateCommandWindows() {
  const auto plain = [this](const QString& text, QWidget* parent) {
    ShowPlainMessage(text, parent);
  };
  mSettingsDialog = new SettingsDialog(QString::fromStdString(mPaths.programFolder), plain, this);
  mSettingsDialog->ShowLineSpaceRange(mSettingDef, mSettingMax);
  mSettingsDialog->FillFields(mSetting);
  mSettingsDialog->SetFontSizeEnabled(mWindowMetrics.FontSizeOk);

  mTextChooser = new TextChooser(
      mPaths.DataPath("txt_shift_jis"), plain,
      [this](const std::string& path) { return ChooserNote(path); }, this);

  // A help page that does not open is reported, so the user knows to look for a browser.
  mHelpPage = new HelpPageOpener(
      [this](HelpFailure failure, const QString& detail) {
        const std::u16string program = mHelpPage->Program().toStdU16String();
        std::u16string reason;
        switch (failure) {
          case HelpFailure::kPageMissing:
            reason = u"ヘルプページのファイルがありません";
            break;
          case HelpFailure::kNotStarted:
            reason = program + u" を起動できません（" + detail.toStdU16String() + u"）";
            break;
          case HelpFailure::kFailed:
            reason = u"ページを開くプログラム（ブラウザ）が設定されていないようです（" + program +
                     u" の終了コード " + detail.toStdU16String() + u"）";
            break;
        }
        ShowPlainMessage(
            Q(MsgHelpNotOpened(QPath(HelpPagePath(mPaths.baseFolder)).toStdU16String(), reason)));
      },
      this);

  // Key preview: F1 reaches the window whichever of its controls has the focus.
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
  f1->setContext(Qt::WindowShortcut);
  connect(f1, &QShortcut::activated, this, [this] { HandleKey(Qt::Key_F1); });
  auto* f2 = new QShortcut(QKeySequence(Qt::Key_F2), this);
  f2->setContext(Qt::WindowShortcut);
  connect(f2, &QShortcut::activated, this, [this] { HandleKey(Qt::Key_F2); });
  auto* f3 = new QShortcut(QKeySequence(Qt::Key_F3), this);
  f3->setContext(Qt::WindowShortcut);
  connect(f3, &QShortcut::activated, this, [this] { HandleKey(Qt::Key_F3); });

  // The scrolling keys likewise, whichever control has the focus.
  const std::pair<QKeySequence, ScrollKey> scrollKeys[] = {
      {QKeySequence(Qt::Key_Up), ScrollKey::kLineUp},
      {QKeySequence(Qt::Key_Down), ScrollKey::kLineDown},
      {QKeySequence(Qt::Key_PageUp), ScrollKey::kPageUp},
      {QKeySequence(Qt::Key_PageDown), ScrollKey::kPageDown},
      {QKeySequence(Qt::CTRL | Qt::Key_Home), ScrollKey::kTop},
      {QKeySequence(Qt::CTRL | Qt::Key_End), ScrollKey::kBottom},
  };
  for (const auto& key : scrollKeys) {
    auto* shortcut = new QShortcut(key.first, this);
    shortcut->setContext(Qt::WindowShortcut);
    const ScrollKey scroll = key.second;
    connect(shortcut, &QShortcut::activated, this, [this, scroll] { ScrollByKey(scroll); });
  }
}

QString MainWindow::ChooserNote(const std::string& path) const {
  if (!TextWouldBeRefused(path))
    return {};
  const auto copy = mPreparedCopies.find(path);
  if (copy != mPreparedCopies.end())
    return QStringLiteral("（変換済み：%1 を開いてください）")
        .arg(QPath(GetFileNameOfPath(copy->second)));
  return QStringLiteral("（このままでは開けません：「変換して開く」で読めるコピーを作れます）");
}

void MainWindow::ChooseAndOpenText() {
  mTextChooser->move(pos() + kChooserOffset);
  const std::optional<std::string> chosen = mTextChooser->Choose();
  if (!chosen)
    return;
  // The window repaints where the chooser stood before the file is read.
  QCoreApplication::processEvents();
  mTextFilePath = *chosen;
  OpenTextFile();
}

void MainWindow::EditSettings() {
  CenterFormOnParent(*mSettingsDialog, *this);
  // Edits left from a cancelled showing are dropped.
  const std::optional<SettingInfo> edited =
      mSettingsDialog->Edit(mSetting, mSettingDef.LineSpace, mSettingMax.LineSpace);
  if (!edited)
    return;

  mSetting = *edited;
  const Status written = WriteIniSettings(IniPath(), mSetting, frameGeometry().x());
  ApplySettingChange();
  // The settings hold for this run whether or not they could be stored; the user hears when
  // they will be gone at the next start.
  if (!written.ok()) {
    ShowPlainMessage(
        Q(MsgIniNotWritten(QPath(IniPath()).toStdU16String(), ReasonInWords(written))));
    mIniFailureTold = true;
  }
}

void MainWindow::TellSettingsNotStored(const Status& status) {
  if (status.ok() || mIniFailureTold)
    return;
  mIniFailureTold = true;
  ShowPlainMessage(
      Q(MsgSettingsNotStored(QPath(IniPath()).toStdU16String(), ReasonInWords(status))));
}

void MainWindow::ApplySettingChange() {
  GetFontMetrics();
  if (!mSession.HasText())
    return;  // the greeting or the empty pane stays as drawn
  // The popup stood at the old positions, in the old font.
  HideMeaningPopup();
  FitWindowToText(mSession.Relayout(mSetting));
  DrawPage();
}

void MainWindow::ShowHelp() {
  if (mHelpOpener) {
    mHelpOpener(HelpPageUrl(mPaths.baseFolder));
  } else {
    mHelpPage->Open(HelpPagePath(mPaths.baseFolder));
  }
}

void MainWindow::HandleKey(int keyCode) {
  if (keyCode == Qt::Key_F1)
    ShowHelp();
  else if (keyCode == Qt::Key_F2)
    ShowWordList();
  else if (keyCode == Qt::Key_F3)
    OpenTextReadLast();
}

std::string MainWindow::TextEditorField() const {
  return Utf16ToUtf8(mSettingsDialog->TextEditorText().toStdU16String());
}

}  // namespace kelmoa
