// The meaning popup on screen: sizes, fills and places the box over the text pane.
#include "gui/meaning_popup.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <memory>

#include "gui/picture_box.h"

namespace kelmoa {

namespace {

// A popup line shaped once, for both its width and its drawing: shaping is most of what a
// popup costs.
class ShapedLine {
 public:
  ShapedLine(std::u16string_view text, const QFont& font)
      : mLayout(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())), font) {
    mLayout.setCacheEnabled(true);
    mLayout.beginLayout();
    mLine = mLayout.createLine();
    mLayout.endLayout();
  }

  bool Holds(std::u16string_view text) const {
    return QStringView(text.data(), static_cast<qsizetype>(text.size())) == mLayout.text();
  }
  double Width() const { return mLine.isValid() ? mLine.horizontalAdvance() : 0.0; }
  // Draws the line at x, with its baseline at baseline.
  void Draw(QPainter& painter, double x, double baseline) const {
    if (mLine.isValid())
      mLayout.draw(&painter, QPointF(x, baseline - mLine.ascent()));
  }

 private:
  QTextLayout mLayout;
  QTextLine mLine;
};

}  // namespace

PopupLayout ShowMeaningPopup(PictureBox& popup, std::vector<std::u16string> lines, int lineTop,
                             int leftX, int pitch, const QFont& font) {
  const QWidget& pane = *popup.parentWidget();
  std::vector<std::unique_ptr<ShapedLine>> shaped;
  shaped.reserve(lines.size());
  for (const std::u16string& line : lines)
    shaped.push_back(std::make_unique<ShapedLine>(line, font));
  const PopupLayout layout = LayoutMeaningPopup(
      std::move(lines), lineTop, leftX, pitch, pane.width(), pane.height(),
      [&shaped, &font](std::u16string_view line) {
        const auto it = std::find_if(shaped.begin(), shaped.end(),
                                     [line](const auto& s) { return s->Holds(line); });
        return it != shaped.end() ? (*it)->Width() : ShapedLine(line, font).Width();
      });

  popup.setGeometry(layout.left, layout.top, layout.width, layout.height);
  popup.Clear();
  QImage& image = popup.Image();
  QPainter painter(&image);
  painter.setFont(font);
  painter.setPen(Qt::black);
  const int ascent = QFontMetrics(font).ascent();  // whole pixels keep the glyphs crisp
  for (size_t i = 0; i < layout.lines.size(); ++i) {
    const double baseline = static_cast<double>(i) * pitch + PopupLayout::kTextTop + ascent;
    if (i < shaped.size() && shaped[i]->Holds(layout.lines[i]))
      shaped[i]->Draw(painter, PopupLayout::kTextLeft, baseline);
    else
      ShapedLine(layout.lines[i], font).Draw(painter, PopupLayout::kTextLeft, baseline);
  }
  painter.drawRect(0, 0, layout.width - 1, layout.height - 1);
  painter.end();
  popup.show();
  popup.raise();
  popup.update();
  return layout;
}

}  // namespace kelmoa
