// Fits the scroll bar and the text pane's width to the loaded text.
#include "gui/scroll_fit.h"

#include <QScrollBar>
#include <algorithm>

namespace kelmoa {

void SetVScrollRange(int n, int linesPerPage, QScrollBar& vscroll) {
  if (linesPerPage >= n) {
    vscroll.hide();
    vscroll.setValue(1);
    return;
  }
  vscroll.show();
  // A page click moves a page less one line, so that one line stays in sight.
  vscroll.setPageStep(std::max(1, linesPerPage - 1));
  vscroll.setSingleStep(1);
  vscroll.setMaximum(n - linesPerPage + 1);
}

int PicTextWidthPx(int maxRight, int halfWidth, int minWidth) {
  return std::max(maxRight + 3 * halfWidth, minWidth);
}

}  // namespace kelmoa
