// The popup text: the word under the pointer, its meanings as popup lines, the box's layout.
#include "core/text/popup_text.h"

#include <algorithm>
#include <cmath>

#include "core/base/codepage.h"
#include "core/base/helpers.h"

namespace kelmoa {
namespace {

// A decimal entry index, or 0 when the text is none.
int ParseIndex(std::u16string_view s) {
  if (!IsAllDigits(s) || s.size() > 9)
    return 0;
  int value = 0;
  for (const char16_t ch : s)
    value = value * 10 + (ch - u'0');
  return value;
}

}  // namespace

int GetWordIdxAtPoint(double x, double y, int firstLine, int pitch,
                      const std::vector<int>& lineFirstWord, const std::vector<int>& lineLastWord,
                      const std::vector<int16_t>& wordX1, const std::vector<int16_t>& wordX2) {
  if (y < kPageTopPx || pitch <= 0)
    return 0;
  const long long row = RoundHalfEven(y - kPageTopPx) / pitch;
  const long long line = firstLine + row;
  const long long n = static_cast<long long>(lineFirstWord.size()) - 1;
  if (line < 1 || line > n || line >= static_cast<long long>(lineLastWord.size()))
    return 0;
  const int first = lineFirstWord[static_cast<size_t>(line)];
  const int last = lineLastWord[static_cast<size_t>(line)];
  for (int i = std::max(first, 1); i <= last; ++i) {
    const auto k = static_cast<size_t>(i);
    if (k >= wordX1.size() || k >= wordX2.size())
      break;
    if (wordX1[k] < x && x < wordX2[k])
      return i;
  }
  return 0;
}

std::u16string ComposePopupText(std::u16string_view w, std::u16string_view idxList,
                                const StrList& dicWord, const StrList& dicMeaning) {
  const std::u16string lowered = LowerAscii(w);
  const int count = std::min(UpperBound(dicWord), UpperBound(dicMeaning));
  std::u16string text;
  for (const std::u16string_view part : SplitAt(idxList, u',')) {
    const int i = ParseIndex(part);
    if (i < 1 || i > count)
      continue;
    const std::u16string& d = dicWord[static_cast<size_t>(i)];
    const std::u16string& m = dicMeaning[static_cast<size_t>(i)];
    if (!text.empty())
      text += u'\t';
    if (LowerAscii(d) == lowered) {
      text += m;
    } else {
      // Found through an inflection, a suffix or the prefix search: the head word stands on a
      // line of its own above its meanings.
      text += d + u'\t' + m;
    }
  }
  return text;
}

PopupLayout LayoutMeaningPopup(std::u16string_view text, int lineTop, int leftX, int pitch,
                               int paneWidth, int paneHeight,
                               const std::function<double(std::u16string_view)>& textWidth) {
  PopupLayout popup;
  for (const std::u16string_view line : SplitAt(text, u'\t'))
    popup.lines.emplace_back(line);
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
