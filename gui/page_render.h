// Draws a page of the text into the pane, character by character at its grid position.
#pragma once

#include <QFont>
#include <QImage>
#include <QRawFont>
#include <vector>

#include "core/settings/settings.h"
#include "core/text/layout.h"

namespace kelmoa {

// The pane font made ready for drawing characters one by one at their grid positions: the
// glyph of every character is looked up once and kept.
class PageFont {
 public:
  explicit PageFont(const QFont& font);

  const QFont& Font() const { return mFont; }
  const QRawFont& Raw() const { return mRaw; }
  // Distance from a character cell's top to its baseline, whole pixels.
  int Ascent() const { return mAscent; }
  // The glyph of ch in the pane font; 0 when the font has none.
  quint32 Glyph(char16_t ch);

 private:
  QFont mFont;
  QRawFont mRaw;
  int mAscent;
  std::vector<quint32> mGlyphs;  // by character code; kUnknown until looked up
};

// The page's colours by console palette number.
inline constexpr QRgb kRgbBlack = qRgb(0, 0, 0);        // 0: characters
inline constexpr QRgb kRgbGrey = qRgb(128, 128, 128);   // 8: line numbers and separator
inline constexpr QRgb kRgbBlue = qRgb(0, 0, 255);       // 9: known words
inline constexpr QRgb kRgbWhite = qRgb(255, 255, 255);  // 15: background

// Clears page and draws lines firstLine .. firstLine + LinesPerPage - 1 (at most n) of the
// text, every character at its grid position, known words in blue and the rest in black.
// Line k of the page has its top at (k - 1) * pitch + 5. A line ends at its first empty cell.
void DrawTextPage(QImage& page, PageFont& font, const TextDocument& doc, const SettingInfo& setting,
                  int n, int firstLine);

// The width of the line-number column: HalfWidth * 4.5 + 4 to the nearest pixel, halves to
// even. The separator line stands at this x.
int LineNumberColumnWidth(int halfWidth);

// Draws the line numbers of the same page (without clearing) in grey, right-aligned in four
// characters from x = 4, each on a white box from x = 2 to the column width - 1, and the
// separator line at x = the column width from y = 5 down to the page's last line.
void DrawLineNumbers(QImage& page, PageFont& font, int n, int firstLine,
                     const SettingInfo& setting);

}  // namespace kelmoa
