// A widget that keeps what is drawn into it in an image.
#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QWidget>

namespace kelmoa {

// A picture box with a persistent image: everything is drawn into the image, and the widget
// paints the image, so covering windows and popups never erase what was drawn. The image
// follows the widget's size (also while the widget is hidden): what was drawn stays at its
// place, and new area takes the background colour.
class PictureBox : public QWidget {
  Q_OBJECT

 public:
  explicit PictureBox(QWidget* parent, QColor background = Qt::white);

  // The image, at the widget's current size.
  QImage& Image();
  const QImage& Image() const;
  QColor Background() const { return mBackground; }
  // Fills the whole image with the background colour.
  void Clear();

 signals:
  void mouseMoved(QPointF pos);
  // A mouse button went down at pos, with the keyboard modifiers held.
  void mousePressed(QPointF pos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void FitImage() const;

  QColor mBackground;
  mutable QImage mImage;
};

}  // namespace kelmoa
