// A widget that keeps what is drawn into it in an image.
#include "gui/picture_box.h"

#include <QMouseEvent>
#include <QPainter>

namespace kelmoa {

PictureBox::PictureBox(QWidget* parent, QColor background)
    : QWidget(parent), mBackground(background) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  mImage = QImage(1, 1, QImage::Format_RGB32);
  mImage.fill(mBackground);
}

QImage& PictureBox::Image() {
  FitImage();
  return mImage;
}

const QImage& PictureBox::Image() const {
  FitImage();
  return mImage;
}

void PictureBox::Clear() {
  // At a new size the image is made anew in the background colour, without first keeping
  // what the old one held: a popup changes its size with every word.
  if (mImage.size() != size() && width() > 0 && height() > 0)
    mImage = QImage(size(), QImage::Format_RGB32);
  mImage.fill(mBackground);
}

void PictureBox::paintEvent(QPaintEvent* event) {
  FitImage();
  QPainter painter(this);
  const QRect r = event->rect();
  painter.drawImage(r, mImage, r);
}

void PictureBox::FitImage() const {
  if (mImage.size() == size() || width() <= 0 || height() <= 0)
    return;
  QImage fitted(size(), QImage::Format_RGB32);
  fitted.fill(mBackground);
  QPainter painter(&fitted);
  painter.drawImage(0, 0, mImage);
  painter.end();
  mImage = std::move(fitted);
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
  emit mouseMoved(event->position());
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
  emit mousePressed(event->position(), event->button(), event->modifiers());
  event->accept();
}

}  // namespace kelmoa
