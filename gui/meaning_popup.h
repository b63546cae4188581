// The meaning popup on screen: sizes, fills and places the box over the text pane.
#pragma once

#include <QFont>
#include <string>
#include <vector>

#include "core/text/popup_text.h"

namespace kelmoa {

class PictureBox;

// Sizes, fills, places and shows the popup box (a child of the text pane) with lines, under or
// above the word's line: lineTop is the top of that line in the pane, leftX the word's left edge.
// The lines are written in font, black on the popup's background, with a one-pixel black frame
// along the box's inner edge. Returns the layout.
PopupLayout ShowMeaningPopup(PictureBox& popup, std::vector<std::u16string> lines, int lineTop,
                             int leftX, int pitch, const QFont& font);

}  // namespace kelmoa
