#include "app/round_light.h"

#include <QPainter>
#include <algorithm>

namespace sonavel {

RoundLight::RoundLight(QWidget* parent, Shape shape, QColor fill) : QWidget(parent), shape_(shape), fill_(fill) {}

void RoundLight::SetFill(const QColor& fill) {
  if (fill_ == fill) return;
  fill_ = fill;
  update();
}

void RoundLight::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(fill_);
  if (shape_ == Shape::FillsItsBox) {
    p.drawEllipse(QRectF(0.5, 0.5, width() - 1.0, height() - 1.0));
  } else {
    const int d = std::min(width(), height()) - 2;
    p.drawEllipse(QRectF((width() - d) / 2.0, (height() - d) / 2.0, d, d));
  }
}

}  // namespace sonavel
