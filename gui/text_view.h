// The text pane: a page of the open text, its scroll bar, and the meaning popup over it.
#pragma once

#include <QFont>
#include <QPointF>
#include <QString>
#include <QWidget>
#include <memory>
#include <string>
#include <string_view>

#include "core/settings/settings.h"
#include "core/text/reading_session.h"

class QFrame;
class QLabel;
class QScrollBar;
class QTimer;

namespace kelmoa {

class PageFont;
class PictureBox;

// How a word came to the word list: a click, or a popup that stayed under a still pointer.
enum class AddedBy { kClick, kHover };

// The text pane of the main window: a page of the session's open text with its line numbers
// and known words in blue, drawn from the line the scroll bar shows; the meaning popup of the
// word under the pointer; scrolling by bar, wheel and keys; a file dropped onto it. What a
// button does on a word is the window's: the view says which word and how (the signals). It
// redraws itself when the session's dictionary changes. Before a text is open it shows the
// lines written into it (Print).
class TextView : public QWidget, private SessionObserver {
  Q_OBJECT

 public:
  // setting: the settings the page is drawn with, kept by the caller for the view's life.
  TextView(ReadingSession& session, const SettingInfo& setting, QWidget* parent);
  ~TextView() override;

  // Gives the pane and the popup setting's font size and measures it into setting: the
  // character widths, the character height and the lines that fit the pane. False when the
  // font does not come in that size.
  bool TakeFontSize(SettingInfo& setting);
  // Draws the page in the pane font at pointSize, the measures staying as taken: the start's
  // way out when the font did not come in the size set.
  void DrawInFontSize(double pointSize);

  // Gives the view this size now, the pane and the scroll bar laid out in it (also while the
  // view is hidden, when Qt would lay it out only at its showing).
  void Resize(int width, int height);
  // Fits the scroll bar to the open text and the pane to its longest line, which ends at
  // maxRight (the text is never wrapped), and returns the view's new width: the pane's, and
  // the scroll bar's while it shows.
  int FitToText(int maxRight);

  // The line at the top of the page.
  int FirstLine() const;
  // Puts line (clamped to the text) at the top of the page and draws it.
  void ScrollTo(int line);
  // Draws the page from the scroll bar's line; the popup on it goes.
  void DrawPage();

  // Writes text into the pane at the print position; endLine moves it to the next line.
  void Print(std::u16string_view text, bool endLine);
  // Shows the wait pointer over the pane while busy is set.
  void SetBusy(bool busy);

  // The pointer at p of the pane: shows, moves or hides the meaning popup.
  void HoverAt(QPointF p);
  // Takes the popup down.
  void HideMeaningPopup();
  // Brings line onto the page, a third of the way down unless it is in sight, and shows the
  // popup of its word (FindWordOnLine) when it has one.
  void ShowWordOnLine(int line, std::u16string_view word);
  // Word k went to the word list: its popup, when it shows, flashes, and text is said in the
  // status line.
  void ShowWordAdded(int k, const QString& text);
  // A short line over the bottom of the pane, gone after two seconds; it takes no focus.
  void ShowStatusLine(const QString& text);

  // One wheel turn of delta (1/8 degree; one notch is 120): 5 lines, 10 with Ctrl, up when
  // delta is positive, only while the scroll bar shows.
  void WheelRoll(int delta, Qt::KeyboardModifiers modifiers);
  // The widget that takes the keyboard focus whenever the page is drawn, so that the scroll
  // bar never keeps it.
  void SetFocusHolder(QWidget* holder) { mFocusHolder = holder; }

  // What the view shows: the pane, the popup over it and the status line's text (empty while
  // it is hidden).
  PictureBox& Pane() { return *mPane; }
  const PictureBox& Popup() const { return *mPopup; }
  QString StatusLine() const;

 signals:
  // A middle click, a Ctrl + left click or a popup that stayed (setting HoverAddsWord) on
  // word k: it is to join the word list.
  void addWordAsked(int k, AddedBy how);
  // A left click on a word, as the text writes it.
  void wordClicked(const QString& word);
  // A right click on a word, as the text writes it.
  void wordRightClicked(const QString& word);
  // A local file was dropped onto the pane.
  void fileDropped(const std::string& path);

 protected:
  void wheelEvent(QWheelEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The popup's flash, the status line and their timers, and the scrolling keys.
  void BuildParts();
  void LayOut();
  // The session's dictionary changed and the words are marked again: the popup on screen goes,
  // so that the next pointer move builds it from the changed dictionary, and the page is drawn
  // again.
  void DictionaryChanged() override;
  // The text was opened or laid out anew: the popup stood over the old words.
  void TextChanged() override;
  void PressAt(QPointF p, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  // The word under p of the pane, or 0.
  int WordAtPoint(QPointF p) const;
  void ShowPopupOfWord(int k);
  // The popup has stayed under a still pointer long enough: its word joins the word list.
  void AddHoveredWord();
  // What the scrolling keys do: Up/Down a line, PageUp/PageDown a page less one line (so one
  // line stays in sight), Ctrl+Home/Ctrl+End to either end; only while the scroll bar shows.
  enum class ScrollKey { kLineUp, kLineDown, kPageUp, kPageDown, kTop, kBottom };
  void ScrollByKey(ScrollKey key);
  void PassFocus();

  ReadingSession& mSession;
  const SettingInfo& mSetting;
  QWidget* mFocusHolder = nullptr;

  PictureBox* mPane = nullptr;
  QScrollBar* mScrollBar = nullptr;
  PictureBox* mPopup = nullptr;
  QFrame* mPopupFlash = nullptr;  // a frame over the popup, flashed when its word is added
  QTimer* mPopupFlashTimer = nullptr;
  QLabel* mStatusLine = nullptr;  // the word list's confirmations over the pane
  QTimer* mStatusLineTimer = nullptr;
  QTimer* mHoverAddTimer = nullptr;  // runs while a popup waits to be added by hovering

  QFont mPaneFont;
  std::unique_ptr<PageFont> mPageFont;
  std::u16string mPrevHoverWord;
  int mPopupWord = 0;        // the word whose popup shows; 0 when none does
  bool mPopupAdded = false;  // the shown popup's word went to the word list
  int mWheelRemainder = 0;   // part of a notch from a high-resolution wheel

  double mPrintX = 0;
  int mPrintY = 0;
};

}  // namespace kelmoa
