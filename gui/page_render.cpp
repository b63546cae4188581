// Draws a page of the text into the pane, character by character at its grid position.
#include "gui/page_render.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <algorithm>

#include "core/base/helpers.h"

namespace kelmoa {
namespace {

constexpr quint32 kUnknown = 0xFFFFFFFFu;

// Characters that draw nothing: controls and the space.
bool DrawsNothing(char16_t ch) {
  return ch <= u' ' || ch == u'\x7F';
}

// Glyphs of one colour with their baseline positions.
struct GlyphBatch {
  QList<quint32> glyphs;
  QList<QPointF> positions;
  void Add(quint32 glyph, QPointF pos) {
    glyphs.push_back(glyph);
    positions.push_back(pos);
  }
  void Draw(QPainter& painter, const QRawFont& raw, QRgb rgb) const {
    if (glyphs.isEmpty())
      return;
    QGlyphRun run;
    run.setRawFont(raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    painter.setPen(QColor(rgb));
    painter.drawGlyphRun(QPointF(0, 0), run);
  }
};

}  // namespace

PageFont::PageFont(const QFont& font)
    : mFont(font),
      mRaw(QRawFont::fromFont(font)),
      mAscent(QFontMetrics(font).ascent()),
      mGlyphs(0x10000, kUnknown) {}

quint32 PageFont::Glyph(char16_t ch) {
  quint32& g = mGlyphs[ch];
  if (g == kUnknown) {
    const QChar qch(ch);
    int count = 1;
    quint32 index = 0;
    if (!mRaw.isValid() || !mRaw.glyphIndexesForChars(&qch, 1, &index, &count) || count != 1) {
      index = 0;
    }
    g = index;
  }
  return g;
}

void DrawTextPage(QImage& page, PageFont& font, const TextDocument& doc, const SettingInfo& setting,
                  int n, int firstLine) {
  page.fill(kRgbWhite);
  const PageGeometry geometry = PageGeometry::Of(setting);
  const int last = geometry.LastLine(firstLine, n);
  if (firstLine < 1 || firstLine > last)
    return;

  // Each character goes exactly to its grid position: the glyphs are placed one by one, never
  // advanced by the font, and drawn as one batch per colour.
  GlyphBatch black, blue;
  struct Missing {
    QPointF pos;
    char16_t ch;
    bool blue;
  };
  std::vector<Missing> missing;
  for (int i = firstLine; i <= last; ++i) {
    const int top = geometry.LineTop(i, firstLine);
    const double baseline = top + font.Ascent();
    const int len = GetLineLen(doc.mChr, i);
    for (int c = 1; c <= len; ++c) {
      const char16_t ch = doc.mChr(i, c);
      if (DrawsNothing(ch))
        continue;
      const QPointF pos(doc.mChrX(i, c), baseline);
      const bool isBlue = doc.mChrColor(i, c) == kColorBlue;
      if (const quint32 g = font.Glyph(ch); g != 0) {
        (isBlue ? blue : black).Add(g, pos);
      } else {
        missing.push_back({pos, ch, isBlue});
      }
    }
  }
  QPainter painter(&page);
  black.Draw(painter, font.Raw(), kRgbBlack);
  blue.Draw(painter, font.Raw(), kRgbBlue);
  // A character the pane font lacks is drawn by the font's fallback, at its place all the same.
  painter.setFont(font.Font());
  for (const Missing& m : missing) {
    painter.setPen(QColor(m.blue ? kRgbBlue : kRgbBlack));
    painter.drawText(m.pos, QString(QChar(m.ch)));
  }
}

int LineNumberColumnWidth(int halfWidth) {
  return static_cast<int>(RoundHalfEven(halfWidth * 4.5 + 4));
}

void DrawLineNumbers(QImage& page, PageFont& font, int n, int firstLine,
                     const SettingInfo& setting) {
  const PageGeometry geometry = PageGeometry::Of(setting);
  const int pitch = geometry.pitch;
  const int w = LineNumberColumnWidth(setting.HalfWidth);
  const int count = std::max(0, n < setting.LinesPerPage ? n : setting.LinesPerPage);
  const int bottom = geometry.LineTop(count + 1, 1);

  QPainter painter(&page);
  painter.setFont(font.Font());
  for (int k = 1; k <= count; ++k) {
    const int top = geometry.LineTop(k, 1);
    // The box covers x = 2 .. w - 1 and the line's top to the next line's top, both ends
    // included.
    painter.fillRect(QRect(2, top, w - 2, pitch + 1), QColor(kRgbWhite));
    painter.setPen(QColor(kRgbGrey));
    const QString number = QString::number(firstLine + k - 1).rightJustified(4, u' ');
    painter.drawText(QPointF(4, top + font.Ascent()), number);
  }
  // The separator runs from y = 5 to the last line's bottom, that end excluded; with no line
  // at all it is the single point (w, 5).
  painter.setPen(QColor(kRgbGrey));
  constexpr int pageTop = PageGeometry::kTopMarginPx;
  painter.drawLine(QPoint(w, pageTop), QPoint(w, std::max(pageTop, bottom - 1)));
}

}  // namespace kelmoa
