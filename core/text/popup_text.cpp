// The popup text: the word under the pointer, its meanings as popup lines, the box's layout.
#include "core/text/popup_text.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/base/codepage.h"
#include "core/base/helpers.h"

namespace kelmoa {

int LineAtY(double y, int firstLine, int pitch) {
  constexpr int top = PageGeometry::kTopMarginPx;
  if (y < top || pitch <= 0)
    return 0;
  const long long line = firstLine + RoundHalfEven(y - top) / pitch;
  // Far below the text, or before line 1: no line.
  return line < 1 || line > std::numeric_limits<int>::max() ? 0 : static_cast<int>(line);
}

int GetWordIdxAtPoint(double x, double y, int firstLine, int pitch,
                      const std::vector<int>& lineFirstWord, const std::vector<int>& lineLastWord,
                      const std::vector<int16_t>& wordX1, const std::vector<int16_t>& wordX2) {
  return WordOnLineAt(LineAtY(y, firstLine, pitch), x, lineFirstWord, lineLastWord, wordX1, wordX2);
}

std::vector<std::u16string> ComposePopupLines(std::u16string_view w, const std::vector<int>& hits,
                                              const StrList& dicWord, const StrList& dicMeaning) {
  const std::u16string lowered = LowerAscii(w);
  const int count = std::min(UpperBound(dicWord), UpperBound(dicMeaning));
  std::vector<std::u16string> lines;
  for (const int i : hits) {
    if (i < 1 || i > count)
      continue;
    const std::u16string& d = dicWord[static_cast<size_t>(i)];
    // Found through an inflection, a suffix or the prefix search: the head word stands on a
    // line of its own above its meanings.
    if (LowerAscii(d) != lowered)
      lines.push_back(d);
    // The meanings of an entry are stored joined by TAB, one popup line each.
    ForEachPiece(dicMeaning[static_cast<size_t>(i)], u'\t',
                 [&](std::u16string_view meaning) { lines.emplace_back(meaning); });
  }
  return lines;
}

std::u16string ComposePopupText(std::u16string_view w, std::u16string_view idxList,
                                const StrList& dicWord, const StrList& dicMeaning) {
  std::u16string text;
  for (const std::u16string& line : ComposePopupLines(w, ParseHits(idxList), dicWord, dicMeaning)) {
    if (!text.empty())
      text += u'\t';
    text += line;
  }
  return text;
}

PopupLayout LayoutMeaningPopup(std::u16string_view text, int lineTop, int leftX, int pitch,
                               int paneWidth, int paneHeight,
                               const std::function<double(std::u16string_view)>& textWidth) {
  std::vector<std::u16string> lines;
  for (const std::u16string_view line : SplitAt(text, u'\t'))
    lines.emplace_back(line);
  return LayoutMeaningPopup(std::move(lines), lineTop, leftX, pitch, paneWidth, paneHeight,
                            textWidth);
}

PopupLayout LayoutMeaningPopup(std::vector<std::u16string> lines, int lineTop, int leftX, int pitch,
                               int paneWidth, int paneHeight,
                               const std::function<double(std::u16string_view)>& textWidth) {
  PopupLayout popup;
  popup.lines = std::move(lines);
  if (popup.lines.empty())
    popup.lines.emplace_back();  // the box has one line at least, empty as it may be
  const int n = static_cast<int>(popup.lines.size());

  popup.height = n * pitch + 5;
  popup.top = lineTop + 17;
  if (popup.top + popup.height > paneHeight) {
    // Above the line instead: the popup's bottom edge 12 pixels above the line's top.
    popup.top = lineTop - n * pitch - 17;
  }

  double maxX = 0;
  for (const std::u16string& line : popup.lines) {
    maxX = std::max(maxX, PopupLayout::kTextLeft + textWidth(line));
  }
  popup.width = static_cast<int>(RoundHalfEven(maxX)) + 20;

  popup.left = leftX;
  if (popup.width + popup.left + 2 > paneWidth)
    popup.left = paneWidth - popup.width - 2;
  return popup;
}

}  // namespace kelmoa
