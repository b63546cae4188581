// The main window: the command row, the text pane with the meaning popup, the scroll bar.
#pragma once

#include <QFont>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "core/base/startup.h"
#include "core/dictionary/dictionary.h"
#include "core/settings/settings.h"
#include "core/text/layout.h"
#include "core/text/prepare_text.h"
#include "core/text/reading_session.h"
#include "gui/speech.h"

class QCheckBox;
class QFrame;
class QLabel;
class QProgressDialog;
class QPushButton;
class QScrollBar;
class QTimer;
class QUrl;

namespace kelmoa {

class PageFont;
class ReadingPositions;
class PictureBox;
class DictionaryEditor;
class TextChooser;
class SettingsDialog;
class MessageDialog;
class HelpPageOpener;
class WordList;
class WordListWindow;
struct WordEntry;

// The main window: the command row along the top, the text pane with its line numbers and
// known words in blue, the scroll bar, and the meaning popup over the pane. It holds the
// reading session (the loaded text and the dictionary) and the settings for the whole run, and
// redraws the page when the session's dictionary changes.
class MainWindow : public QWidget, private SessionObserver {
  Q_OBJECT

 public:
  // Screen height and whether the pane took the chosen font size, filled when the window is
  // created.
  struct WindowMetrics {
    int ScreenHeightPx = 0;
    bool FontSizeOk = true;
  };

  // paths: the program and base folders. commandLine: the program's arguments joined by single
  // spaces, taken whole as the path of a text to open at the first activation.
  MainWindow(ProgramPaths paths, std::string commandLine, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The first activation: checks and loads the dictionary while writing its progress into the
  // pane, then opens the text named on the command line or writes the greeting. Does its work
  // once per run; every later call returns at once.
  void ActivateFirstTime();

  // Opens mTextFilePath and shows its first page. A rejected or unreadable file is reported in
  // the message dialog; the text shown before stays, and mTextFilePath names it again. True
  // when the file was opened.
  bool OpenTextFile();

  // Redraws the page from the scroll bar's value; the one way every part redraws the page.
  void DrawPage();
  void PassScrollBarFocus();

  // The pointer at (x, y) of the text pane: shows, moves or hides the meaning popup.
  void HoverAt(double x, double y);
  // Opens a file dropped onto the pane.
  void OpenDroppedFile(const std::string& path);
  // A button pressed at (x, y) of the pane: the middle one, or the left one with Ctrl, adds the
  // word there to the word list; the left one alone speaks it while the speak box is checked;
  // the right one puts it into the shown dictionary editor and on the clipboard.
  void PressAt(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, double x, double y);

  // How a word came to the word list: a click, or a popup that stayed under a still pointer.
  enum class AddedBy { kClick, kHover };
  // Adds word k of the text to the word list with what its popup shows and where it stands,
  // and says so in the status line over the pane, which takes no focus. A word without a popup
  // is not added; a list that cannot be used is reported in the message dialog after a click,
  // and only in the status line after a hover.
  void AddWordToList(int k, AddedBy how);
  // The word list of the installed folder, opened at its first use and kept for the run; null,
  // with status telling why, when it cannot be used.
  WordList* WordListStore(Status& status);
  // Tells, in the message dialog, that the last change of the word list found its database
  // moved or gone and went to a new list; nothing when it did not.
  void TellWordListRestart();
  // Shows the word-list window (button 単語帳, F2).
  void ShowWordList();
  WordListWindow& WordListWindowRef();
  // Shows an entry's word where it was last met: opens its text file unless it is the text
  // shown, scrolls its line onto the page and shows its popup. False when the file could not
  // be opened (the message dialog has said why).
  bool ShowWordInText(const WordEntry& entry);

  // One wheel turn of delta (1/8 degree; one notch is 120): 5 lines, 10 with Ctrl, up when
  // delta is positive, only while the scroll bar shows.
  void WheelRoll(int delta, Qt::KeyboardModifiers modifiers);

  // What the scrolling keys do: Up/Down a line, PageUp/PageDown a page less one line (so one
  // line stays in sight), Ctrl+Home/Ctrl+End to either end; only while the scroll bar shows.
  enum class ScrollKey { kLineUp, kLineDown, kPageUp, kPageDown, kTop, kBottom };
  void ScrollByKey(ScrollKey key);

  void ChooseAndOpenText();
  void ReopenText();
  void EditTextInEditor();
  void ShowDictionaryEditor();
  void EditSettings();
  void ShowHelp();
  void StorePlaceAndEnd();
  void EndOnClose();
  // F1 opens the help page, F2 the word list, F3 the text read last; every other key is
  // ignored here.
  void HandleKey(int keyCode);
  // Opens the text left last (in this window or another on the same folder, in this run or
  // an earlier one) other than the one shown, at the line where it was left (F3).
  void OpenTextReadLast();

  // The loaded text with its layout and word information, and the current settings with the
  // font metrics (read-only; benchmarks and tools look at them).
  const TextDocument& Document() const { return mSession.Document(); }
  // The text and the dictionary; the dictionary editor changes the dictionary through it.
  ReadingSession& Session() { return mSession; }
  const SettingInfo& Setting() const { return mSetting; }

  // The settings window's editor field as it stands, also after a cancelled showing: the
  // editor that the edit command starts.
  std::string TextEditorField() const;

  // The shared message dialog.
  MessageDialog& MsgDialog() { return *mMsg; }
  // Stands in for the plain message box in tests.
  void SetPlainMessageResponder(std::function<void(const QString&)> responder) {
    mPlainMessageResponder = std::move(responder);
  }
  // Called with the progress dialog of a preparation as it begins, in tests.
  void SetPrepareDialogHook(std::function<void(QProgressDialog&)> hook) {
    mPrepareDialogHook = std::move(hook);
  }
  // Stands in for the desktop's opening of the help page in tests.
  void SetHelpOpener(std::function<void(const QUrl&)> opener) { mHelpOpener = std::move(opener); }
  // The plain message box: text, an OK button and the program's title, over parent (this
  // window when null).
  void ShowPlainMessage(const QString& text, QWidget* parent = nullptr);
  // A window place that could not be stored in the settings file (a file that cannot be read,
  // is write-protected or is no plain file stays as it is): said once a run, with the reason.
  void TellSettingsNotStored(const Status& status);

  // ---- for the dictionary editor ----
  // The dictionary editor, created at its first use and then only shown and hidden.
  DictionaryEditor& DictionaryEditorWindow();

 signals:
  // The program is to end (end button, closing the window, a dictionary that cannot be used).
  void programEnded();

 protected:
  bool event(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class MainWindowTest;
  friend class MainWindowCommandsTest;
  friend class DictionaryEditorTest;
  friend class WordListWindowTest;

  // The session's dictionary changed and the words are marked again: the popup on screen is
  // taken down, so that the next pointer move builds it from the changed dictionary, and the
  // page is drawn again.
  void DictionaryChanged() override;

  void BuildControls();
  // The word list's parts of the window: the popup's flash, the status line, the timers.
  void BuildWordListControls();
  void PrepareWindow();
  void SetInitialLayout();
  void GetFontMetrics();
  void FitWindowToText(int maxRight);
  // Keeps the caption with its buttons on the screen when the window system has put the
  // window's inside, not its frame, at the place the program chose for the frame: the stored
  // left edge at the screen's top (and so 終了 can store the place again).
  void KeepCaptionOnScreen();
  // The settings window and the chooser, hidden until shown, and the F1 key.
  void CreateCommandWindows();
  // After a confirmed settings change: the new font is measured and a loaded text is laid out,
  // fitted and drawn again. The words' dictionary results stay as they are.
  void ApplySettingChange();
  void HideMeaningPopup();
  // Shows the popup of word k under it, on the page as it is drawn.
  void ShowPopupOfWord(int k);
  // A short line over the bottom of the pane, gone after two seconds.
  void ShowStatusLine(const QString& text);
  // The popup has stayed under a still pointer long enough: its word joins the word list.
  void AddHoveredWord();
  // Writes text into the pane at the print position; endLine moves it to the next line.
  void PanePrint(std::u16string_view text, bool endLine);
  int ShowMessage(const std::u16string& msg, int btn, bool offerConvert = false);
  // Prepares a refused text into a copy in txt_shift_jis that Kelmoa reads, and opens the
  // copy (its first part, when it had to be split). The refused file is only read. A text read
  // as UTF-8 with bad bytes is said so first.
  void OpenPreparedCopy(const std::string& refusedPath);
  // The chooser's note on a file that would be refused again: where its copy is, when one was
  // made in this run, else that it needs one. Empty for a file that opens.
  QString ChooserNote(const std::string& path) const;
  // Runs the preparation on a thread of its own while the window goes on being drawn, behind a
  // progress dialog whose cancel stops it and removes every part written (status kCancelled).
  PreparedCopy PrepareBehindDialog(const std::string& refusedPath, Status& status);
  void EndProgram();
  // Where texts were left, opened at their first use and kept for the run; null when they
  // cannot be kept (the text then opens at its top).
  ReadingPositions* PositionStore();
  // Stores where the shown text is left: its first line on the page now. Only when a text is
  // left or the program ends, never on a scroll.
  void StoreReadingPosition();
  // The first line to show of the text just opened from mTextFilePath: where it was left,
  // unless its file changed size since.
  int StartLineOfOpenedText();
  QString BaseCaption() const;
  std::string IniPath() const;

  ProgramPaths mPaths;
  std::string mCommandLine;

  QPushButton* mOpenTextButton;
  QLabel* mOpenTextLabel;
  QPushButton* mEditTextButton;
  QPushButton* mReopenButton;
  QPushButton* mDictionaryEditorButton;
  QCheckBox* mSpeakBox;
  QPushButton* mSettingsButton;
  QPushButton* mHelpButton;
  QPushButton* mWordListButton;
  QPushButton* mEndButton;
  PictureBox* mTextPane;
  QScrollBar* mScrollBar;
  PictureBox* mPopupBox;
  PictureBox* mFocusSink;
  MessageDialog* mMsg;

  std::string mTextFilePath;
  std::string mLastTextFilePath;
  bool mActivated = false;
  bool mProgramEnded = false;
  bool mIniFailureTold = false;  // the user has heard that the settings file is not written
  ReadingSession mSession;
  SettingInfo mSetting;
  SettingInfo mSettingDef;
  SettingInfo mSettingMax;
  WindowMetrics mWindowMetrics;

  QFont mPaneFont;
  std::unique_ptr<PageFont> mPageFont;
  std::u16string mPrevHoverWord;
  int mPopupWord = 0;        // the word whose popup shows; 0 when none does
  bool mPopupAdded = false;  // the shown popup's word went to the word list
  QTimer* mHoverAddTimer;    // runs while a popup waits to be added by hovering
  QFrame* mPopupFlash;       // a frame over the popup, flashed when its word is added
  QTimer* mPopupFlashTimer;
  QLabel* mStatusLine;  // the word list's confirmations over the pane
  QTimer* mStatusLineTimer;
  int mWheelRemainder = 0;  // part of a notch from a high-resolution wheel

  double mPrintX = 0;
  int mPrintY = 0;
  bool mPrintLineOpen = false;
  QStringList mPaneLines;  // what PanePrint wrote, one entry per pane line

  std::function<void(const QString&)> mPlainMessageResponder;
  std::function<void(QProgressDialog&)> mPrepareDialogHook;
  SettingsDialog* mSettingsDialog = nullptr;  // a child window for the whole run
  TextChooser* mTextChooser = nullptr;        // likewise
  std::function<void(const QUrl&)> mHelpOpener;
  HelpPageOpener* mHelpPage = nullptr;  // a child for the whole run

  DictionaryEditor* mDictionaryEditor =
      nullptr;  // a child window, created by DictionaryEditorWindow()
  WordSpeaker mSpeaker;
  std::unique_ptr<TextPreparer> mTextPreparer;         // made at its first use
  std::map<std::string, std::string> mPreparedCopies;  // refused text -> its copy, this run
  std::unique_ptr<WordList> mWordList;                 // opened at its first use
  std::unique_ptr<ReadingPositions> mPositions;        // opened at its first use
  bool mPositionsTried = false;                        // their opening was tried (once a run)
  long long mOpenedSize = 0;                  // the shown text's file size when it was read
  WordListWindow* mWordListWindow = nullptr;  // a child window, made at its first showing
};

}  // namespace kelmoa
