// The meaning popup on screen: sizes, fills and places the box over the text pane.
#include "gui/meaning_popup.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>

#include "gui/picture_box.h"

namespace kelmoa {

PopupLayout ShowMeaningPopup(PictureBox& popup, std::vector<std::u16string> lines, int lineTop,
                             int leftX, int pitch, const QFont& font) {
  const QWidget& pane = *popup.parentWidget();
  const QFontMetricsF metrics(font);
  const PopupLayout layout = LayoutMeaningPopup(
      std::move(lines), lineTop, leftX, pitch, pane.width(), pane.height(),
      [&metrics](std::u16string_view line) {
        return metrics.horizontalAdvance(QString::fromStdU16String(std::u16string(line)));
      });

  popup.setGeometry(layout.left, layout.top, layout.width, layout.height);
  popup.Clear();
  QImage& image = popup.Image();
  QPainter painter(&image);
  painter.setFont(font);
  painter.setPen(Qt::black);
  const int ascent = QFontMetrics(font).ascent();  // whole pixels keep the glyphs crisp
  for (size_t i = 0; i < layout.lines.size(); ++i) {
    const double y = static_cast<double>(i) * pitch + PopupLayout::kTextTop + ascent;
    painter.drawText(QPointF(PopupLayout::kTextLeft, y),
                     QString::fromStdU16String(layout.lines[i]));
  }
  painter.drawRect(0, 0, layout.width - 1, layout.height - 1);
  painter.end();
  popup.show();
  popup.raise();
  popup.update();
  return layout;
}

}  // namespace kelmoa
