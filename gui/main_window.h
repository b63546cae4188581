// The main window: the command row over the text view, its dialogs, and the wiring of both.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "core/base/startup.h"
#include "core/settings/settings.h"
#include "core/text/layout.h"
#include "core/text/reading_session.h"
#include "gui/message_dialog.h"
#include "gui/speech.h"
#include "gui/text_copies.h"
#include "gui/text_places.h"
#include "gui/text_view.h"
#include "gui/word_list_window.h"

class QCheckBox;
class QLabel;
class QProgressDialog;
class QPushButton;
class QUrl;

namespace kelmoa {

class DictionaryEditor;
class HelpPageOpener;
class PictureBox;
class SettingsDialog;
class TextChooser;
class WordListStore;

// The main window: the command row along the top (ファイル, 編集, 再読, 辞書編集, 単語を発音,
// 設定, ﾍﾙﾌﾟ, 単語帳, 終了) over the text view. It holds the reading session (the loaded text and
// the dictionary), the settings and the word list for the whole run, opens texts, and makes
// and places the other windows: the chooser, the settings window, the dictionary editor and
// 単語帳. Keys F1 (help), F2 (単語帳) and F3 (the text read last) work wherever the focus is.
class MainWindow : public QWidget, private WordInText {
  Q_OBJECT

 public:
  // paths: the program and base folders. commandLine: the program's arguments joined by single
  // spaces, taken whole as the path of a text to open at the first activation.
  MainWindow(ProgramPaths paths, std::string commandLine, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The first activation: checks and loads the dictionary while writing its progress into the
  // pane, then opens the text named on the command line or writes the greeting. Does its work
  // once per run; every later call returns at once.
  void ActivateFirstTime();

  // Opens the text at path and shows it where it was left. A rejected or unreadable file is
  // reported in the message dialog (a text that can be prepared is offered "変換して開く"), and
  // the text shown before stays. True when the file was opened.
  bool OpenTextFile(const std::string& path);

  // The reading session, the text view over it and the settings it is drawn with (the
  // benchmarks look at them).
  ReadingSession& Session() { return mSession; }
  const TextDocument& Document() const { return mSession.Document(); }
  const SettingInfo& Setting() const { return mSetting; }
  TextView& View() { return *mTextView; }

  // The shared message dialog.
  MessageDialog& MsgDialog() { return *mMsg; }
  // Stands in for the plain message box in tests.
  void SetPlainMessageResponder(std::function<void(const QString&)> responder) {
    mPlainMessageResponder = std::move(responder);
  }
  // Called with the progress dialog of a preparation as it begins, in tests.
  void SetPrepareDialogHook(TextCopies::DialogHook hook) {
    mTextCopies.SetDialogHook(std::move(hook));
  }
  // Stands in for the desktop's opening of the help page in tests.
  void SetHelpOpener(std::function<void(const QUrl&)> opener) { mHelpOpener = std::move(opener); }

 signals:
  // The program is to end (end button, closing the window, a dictionary that cannot be used).
  void programEnded();

 protected:
  bool event(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // ---- main_window.cpp: building, placing, the first activation, messages, the end ----
  void BuildControls();
  void PrepareWindow();
  // The settings window, the chooser, the help page, and the keys F1 to F3.
  void CreateCommandWindows();
  void SetInitialLayout();
  // The window grows to the text's longest line, which ends at maxRight.
  void FitWindowToText(int maxRight);
  // Keeps the caption with its buttons on the screen when the window system has put the
  // window's inside, not its frame, at the place the program chose for the frame: the stored
  // left edge at the screen's top (and so 終了 can store the place again).
  void KeepCaptionOnScreen();
  MessageDialog::Answer ShowMessage(const std::u16string& msg, MessageDialog::Buttons buttons,
                                    bool offerConvert = false);
  // The plain message box: text, an OK button and the program's title, over parent (this
  // window when null).
  void ShowPlainMessage(const QString& text, QWidget* parent = nullptr);
  // A window place that could not be stored in the settings file (a file that cannot be read,
  // is write-protected or is no plain file stays as it is): said once a run, with the reason.
  void TellSettingsNotStored(const Status& status);
  void StorePlaceAndEnd();
  void EndProgram();
  QString BaseCaption() const;
  std::string IniPath() const;

  // ---- main_window_open.cpp: opening texts, refused ones, where they were left ----
  // A text refused for its code or its size: the message, "O K" opens it in the editor,
  // "変換して開く" a prepared copy.
  void TellRefusal(const std::string& path, const OpenResult& rejection);
  // Prepares a refused text into a copy in txt_shift_jis that Kelmoa reads, and opens the
  // copy (its first part, when it had to be split). The refused file is only read. A text read
  // as UTF-8 with bad bytes is said so first.
  void OpenPreparedCopy(const std::string& refusedPath);
  // Opens the text left last (in this window or another on the same folder, in this run or
  // an earlier one) other than the one shown, at the line where it was left (F3).
  void OpenTextReadLast();
  bool ShowWordInText(const WordEntry& entry) override;

  // ---- main_window_commands.cpp: what the buttons, the keys and the clicks on words do ----
  void ChooseAndOpenText();
  void EditTextInEditor(const std::string& path);
  void EditSettings();
  // After a confirmed settings change: the new font is measured and a loaded text is laid out,
  // fitted and drawn again. The words' dictionary results stay as they are.
  void ApplySettingChange();
  void ShowHelp();
  // The editor stands against the window's right edge, an eighth of its height down; a
  // second click while it is open brings it back there and forward.
  void ShowDictionaryEditor();
  // Shows 単語帳 (button 単語帳, F2), made at its first showing.
  void ShowWordList();
  // Adds word k of the text to the word list with what its popup shows and where it stands,
  // and says so in the status line. A word without a popup is not added; a list that cannot
  // be used is reported in the message dialog after a click, and only in the status line
  // after a hover.
  void AddWordToList(int k, AddedBy how);
  // A left click speaks the word while 単語を発音 is checked; a right click puts it into the
  // shown dictionary editor and on the clipboard.
  void SpeakWord(const QString& word);
  void LookUpWord(const QString& word);

  ProgramPaths mPaths;
  std::string mCommandLine;

  QPushButton* mOpenTextButton = nullptr;
  QLabel* mOpenTextLabel = nullptr;
  QPushButton* mEditTextButton = nullptr;
  QPushButton* mReopenButton = nullptr;
  QPushButton* mDictionaryEditorButton = nullptr;
  QCheckBox* mSpeakBox = nullptr;
  QPushButton* mSettingsButton = nullptr;
  QPushButton* mHelpButton = nullptr;
  QPushButton* mWordListButton = nullptr;
  QPushButton* mEndButton = nullptr;
  PictureBox* mFocusSink =
      nullptr;  // takes the keyboard focus, so that the scroll bar never keeps it
  MessageDialog* mMsg = nullptr;

  std::string mTextPath;  // the file of the text shown; empty before the first
  bool mActivated = false;
  bool mProgramEnded = false;
  bool mIniFailureTold = false;  // the user has heard that the settings file is not written
  ReadingSession mSession;
  SettingInfo mSetting;
  SettingInfo mSettingDef;
  SettingInfo mSettingMax;
  int mScreenHeightPx = 0;
  bool mFontSizeOk = true;  // the pane took the font size set

  std::function<void(const QString&)> mPlainMessageResponder;
  std::function<void(const QUrl&)> mHelpOpener;
  SettingsDialog* mSettingsDialog = nullptr;      // a child window for the whole run
  TextChooser* mTextChooser = nullptr;            // likewise
  HelpPageOpener* mHelpPage = nullptr;            // a child for the whole run
  DictionaryEditor* mDictionaryEditor = nullptr;  // a child window, made at its first showing
  WordListWindow* mWordListWindow = nullptr;      // likewise
  WordSpeaker mSpeaker;
  TextCopies mTextCopies;
  std::unique_ptr<WordListStore> mWordList;
  TextPlaces mTextPlaces;
  // The view observes the session: declared after it, it goes first.
  std::unique_ptr<TextView> mTextView;
};

}  // namespace kelmoa
