// Tests of the popup text: hit testing, composing and layout.
#include "core/text/popup_text.h"

#include <gtest/gtest.h>

#include "core/base/codepage.h"

namespace kelmoa {
namespace {

// Three lines at pitch 17: line 1 holds words 1 (x 47..68) and 2 (x 75..96), line 2 none,
// line 3 word 3 (x 47..75).
int At(double x, double y, int firstLine = 1) {
  static const std::vector<int> first{0, 1, 0, 3}, last{0, 2, 0, 3};
  static const std::vector<int16_t> x1{0, 47, 75, 47}, x2{0, 68, 96, 75};
  return GetWordIdxAtPoint(x, y, firstLine, 17, first, last, x1, x2);
}

// The word under a point: edges excluded; none in the margins, the line-number column, a line
// without words, below the text. The gap below a line belongs to it: (y - 5) is rounded,
// halves to even, then divided.
TEST(HitTest, FindsTheWordOfTheLineUnderThePoint) {
  const struct {
    double x, y;
    int firstLine, word;
  } cases[] = {
      {50, 10, 1, 1},   {80, 10, 1, 2},   {50, 40, 1, 3},   {50, 10, 3, 3},  // scrolled by two
      {47, 10, 1, 0},   {68, 10, 1, 0},   {47.5, 10, 1, 1}, {67.5, 10, 1, 1}, {70, 10, 1, 0},
      {50, 4.9, 1, 0},  {20, 10, 1, 0},   {50, 25, 1, 0},   {50, 56, 1, 0},   {50, 10, 4, 0},
      {50, 21.5, 1, 1}, {50, 21.6, 1, 0}, {50, 39.0, 1, 3},
  };
  for (const auto& c : cases)
    EXPECT_EQ(At(c.x, c.y, c.firstLine), c.word) << c.x << "," << c.y << " from " << c.firstLine;
}

// Every character 6.5 pixels wide, as the pane font draws single-byte characters at 9.75 pt.
double Width(std::u16string_view s) {
  return 6.5 * static_cast<double>(s.size());
}

TEST(PopupLayout, BelowTheLineFromTheWordsLeftEdgeAsWideAsItsText) {
  const PopupLayout p = LayoutMeaningPopup(u"abcd\tab", 22, 75, 17, 561, 600, Width);
  ASSERT_EQ(p.lines.size(), 2u);
  EXPECT_EQ(p.top, 22 + 17);
  EXPECT_EQ(p.height, 2 * 17 + 5);
  EXPECT_EQ(p.left, 75);
  EXPECT_EQ(p.width, 4 + 26 + 20);
  EXPECT_EQ(LayoutMeaningPopup(u"abc", 5, 47, 17, 561, 600, Width).width, 24 + 20);  // 23.5
  EXPECT_EQ(LayoutMeaningPopup(u"a", 5, 47, 17, 561, 600, Width).width, 10 + 20);    // 10.5
}

TEST(PopupLayout, AboveTheLineNearTheBottomAndInsideTheRightEdge) {
  EXPECT_EQ(LayoutMeaningPopup(u"a\tb", 580, 47, 17, 561, 600, Width).top, 580 - 34 - 17);
  EXPECT_EQ(LayoutMeaningPopup(u"a\tb", 600 - 39 - 17, 47, 17, 561, 600, Width).top, 600 - 39);
  const PopupLayout p = LayoutMeaningPopup(u"abcdefghij", 5, 540, 17, 561, 600, Width);
  EXPECT_EQ(p.left, 561 - 89 - 2);
  EXPECT_EQ(LayoutMeaningPopup(u"abcdefghij", 5, 470, 17, 561, 600, Width).left, 470);
}

}  // namespace
}  // namespace kelmoa
