// What the window tests share: texts in an installed folder, where a word stands in the text
// pane, real mouse events, and how the pane and a window look.
#pragma once

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPointF>
#include <QPushButton>
#include <QWidget>
#include <string>
#include <vector>

#include "core/base/codepage.h"
#include "core/base/fixtures_test.h"
#include "core/settings/settings.h"
#include "core/text/layout.h"

namespace kelmoa::testing {

// Lines "prefix 1" .. "prefix n".
inline std::vector<std::string> NumberedLines(int n, const std::string& prefix) {
  std::vector<std::string> lines;
  for (int i = 1; i <= n; ++i)
    lines.push_back(prefix + " " + std::to_string(i));
  return lines;
}

// A text in the folder's txt_shift_jis, its lines in Shift_JIS with CR LF; returns its path.
inline std::string WriteSampleText(const TempDir& dir, const std::string& name,
                                   const std::vector<std::string>& lines) {
  const std::string path = dir / ("txt_shift_jis/" + name);
  WriteBytes(path, SjisLines(lines));
  return path;
}

// The middle of the n-th occurrence (from 1) of word in a laid-out text, in pane coordinates,
// with line firstLine at the top of the page; (-1, -1) when the text has no such occurrence.
inline QPointF WordMiddle(const TextDocument& doc, const SettingInfo& setting, int firstLine,
                          const std::string& word, int n = 1) {
  const WordTable& t = doc.words;
  const PageGeometry geometry = PageGeometry::Of(setting);
  for (int k = 1; k <= t.Count(); ++k) {
    const auto ki = static_cast<size_t>(k);
    if (t.Word(k) == U16(word) && --n == 0)
      return QPointF((t.mWordX1[ki] + t.mWordX2[ki]) / 2.0,
                     geometry.LineTop(t.mWordLine[ki], firstLine) + 7);
  }
  return {-1, -1};
}

// A mouse event of type at p of target, as the window system sends it.
inline void SendMouse(QWidget& target, QEvent::Type type, QPointF p,
                      Qt::MouseButton button = Qt::NoButton, Qt::KeyboardModifiers modifiers = {}) {
  QMouseEvent event(type, p, target.mapToGlobal(p), button,
                    type == QEvent::MouseMove ? Qt::NoButton : button, modifiers);
  QApplication::sendEvent(&target, &event);
}

// How many pixels of r in image pred holds for.
inline int CountPixels(const QImage& image, const QRect& r, bool (*pred)(QRgb)) {
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y) {
    for (int x = r.left(); x <= r.right(); ++x)
      n += pred(image.pixel(x, y)) ? 1 : 0;
  }
  return n;
}
inline bool IsBlue(QRgb c) {
  return qBlue(c) > 160 && qRed(c) < 120 && qGreen(c) < 120;
}
inline bool IsDark(QRgb c) {
  return qRed(c) < 110 && qGreen(c) < 110 && qBlue(c) < 110;
}

// Whether the character cell around p of the page is drawn in blue (a known word).
inline bool DrawnBlue(const QImage& page, QPointF p) {
  const QRect cell(static_cast<int>(p.x()) - 6, static_cast<int>(p.y()) - 7, 12, 14);
  return CountPixels(page, cell, IsBlue) > 8;
}

// The button of a window with the given caption; null when there is none.
inline QPushButton* Button(const QWidget& window, const QString& caption) {
  for (QPushButton* button : window.findChildren<QPushButton*>()) {
    if (button->text() == caption)
      return button;
  }
  return nullptr;
}

}  // namespace kelmoa::testing
