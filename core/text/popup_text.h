// The popup text: the word under the pointer, its meanings as popup lines, the box's layout.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/str_list.h"
#include "core/text/layout.h"

namespace kelmoa {

// The text line under y of the pane when firstLine is at the top, or 0 above the first line:
// the first line plus the row, the row being (y - the top margin) to the nearest whole pixel
// divided by the pitch, so a point in the gap below a line belongs to that line.
int LineAtY(double y, int firstLine, int pitch);

// The word of line `line` (lineFirstWord..lineLastWord) that x falls strictly inside, or 0: a
// point exactly on a word's left or right edge is outside it. lineFirstWord and lineLastWord
// hold entries 0..n for the n text lines. Inline: it runs on every pointer move.
inline int WordOnLineAt(int line, double x, const std::vector<int>& lineFirstWord,
                        const std::vector<int>& lineLastWord, const std::vector<int16_t>& wordX1,
                        const std::vector<int16_t>& wordX2) {
  const auto at = static_cast<size_t>(line);
  if (line < 1 || at >= lineFirstWord.size() || at >= lineLastWord.size())
    return 0;
  const int first = lineFirstWord[at];
  const int last = lineLastWord[at];
  for (int i = std::max(first, 1); i <= last; ++i) {
    const auto k = static_cast<size_t>(i);
    if (k >= wordX1.size() || k >= wordX2.size())
      break;
    if (wordX1[k] < x && x < wordX2[k])
      return i;
  }
  return 0;
}

// What the popup of a text word shows: the dictionary entries it draws on and its lines.
struct Popup {
  std::vector<int> hits;                  // the entries shown, in the order shown
  std::vector<std::u16string> headWords;  // their head words, each once
  std::vector<std::u16string> lines;      // one popup line each
  bool empty() const { return lines.empty(); }
};

// The popup of text word w whose lookup found the entries hits (best first). The word's own
// entry gives its meanings alone; an entry found through a base form or a prefix gives its head
// word on a line above its meanings. An entry a rule reached is left out when its word class
// cannot be what the rule takes off (-ing, -ed and -d reach verbs; -s and -es nouns and verbs;
// -er and -est adjectives and adverbs; -ly adjectives), unless its meanings carry no class at
// all, and when the word's own entry already names it as the form's base (minutes:
// 【minuteの複数】). A word known only without its negative prefix (unsmiling) shows the
// prefix's sense on the line above the base. Indexes outside the dictionary are skipped.
Popup BuildPopup(std::u16string_view w, const std::vector<int>& hits, const StrList& dicWord,
                 const StrList& dicMeaning);

// Where the popup goes and what it shows, all in pixels of the text pane.
struct PopupLayout {
  std::vector<std::u16string> lines;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  // Where line i (0-based) is written inside the popup: x = kTextLeft, y = i * pitch + 3.
  static constexpr int kTextLeft = 4;
  static constexpr int kTextTop = 3;
};

// Lays out the popup of lines for a word whose line has its top at
// lineTop and whose left edge is leftX. The popup stands 17 pixels below the line's top, or
// above the line when it would cross the pane's bottom; it is as wide as its widest line plus
// 4 pixels on the left and 20 on the right, and shifts left when it would cross the pane's
// right edge, keeping 2 pixels inside. textWidth gives the drawn width of a line.
PopupLayout LayoutMeaningPopup(std::vector<std::u16string> lines, int lineTop, int leftX, int pitch,
                               int paneWidth, int paneHeight,
                               const std::function<double(std::u16string_view)>& textWidth);

}  // namespace kelmoa
