// Fits the scroll bar and the text pane's width to the loaded text.
#pragma once

class QScrollBar;

namespace kelmoa {

// The designed client width of the main window: the text pane is never narrower.
inline constexpr int kPicTextMinWidthPx = 561;

// Fits the scroll bar to n lines. When the whole text fits the page, the bar is hidden and
// goes back to 1 (its maximum stays as it was). Otherwise it is shown with maximum
// n - linesPerPage + 1, so that the last position shows the last line at the bottom of the
// page; a value above the new maximum moves down to it. Every change of the value is
// signalled, which redraws the page.
void SetVScrollRange(int n, int linesPerPage, QScrollBar& vscroll);

// The text pane's width for a text whose longest line ends at maxRight: three half widths of
// room after it, at least minWidth.
int PicTextWidthPx(int maxRight, int halfWidth, int minWidth);

}  // namespace kelmoa
