#include "app/pictures.h"

#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>

namespace sonavel {

QImage RenderSvgResource(const QString& resource, QSize size, bool whiteBackground) {
  if (!QFile::exists(resource)) return {};
  QSvgRenderer renderer(resource);
  if (!renderer.isValid()) return {};
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(whiteBackground ? Qt::white : Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  renderer.render(&p, QRectF(QPointF(0, 0), QSizeF(size)));
  return image;
}

namespace {

// Headphones over a sound wave, for builds without the artwork.
void DrawHeadphones(QPainter& p, const QRectF& box, const QColor& colour) {
  p.setRenderHint(QPainter::Antialiasing);
  QPen pen(colour, box.width() * 0.06, Qt::SolidLine, Qt::RoundCap);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  const QRectF arc(box.left() + box.width() * 0.15, box.top() + box.height() * 0.12, box.width() * 0.7,
                   box.height() * 0.8);
  p.drawArc(arc, 0, 180 * 16);
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  const double w = box.width() * 0.16, h = box.height() * 0.3;
  p.drawRoundedRect(QRectF(arc.left() - w / 2, arc.center().y() - h / 4, w, h), w / 3, w / 3);
  p.drawRoundedRect(QRectF(arc.right() - w / 2, arc.center().y() - h / 4, w, h), w / 3, w / 3);
}

}  // namespace

QImage SplashPicture() {
  QImage image = RenderSvgResource(QStringLiteral(":/pictures/splash.svg"), QSize(480, 291), true);
  if (!image.isNull()) return image;
  image = QImage(480, 291, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath shape;
  shape.addRoundedRect(QRectF(8, 8, 464, 275), 28, 28);
  QLinearGradient g(0, 0, 0, 291);
  g.setColorAt(0, QColor(0x1d, 0x4e, 0x89));
  g.setColorAt(1, QColor(0x0b, 0x2a, 0x4a));
  p.fillPath(shape, g);
  DrawHeadphones(p, QRectF(40, 60, 170, 170), QColor(0xf2, 0xf2, 0xf2).darker(102));
  QFont f(QStringLiteral("Sans Serif"));
  f.setPixelSize(44);
  f.setBold(true);
  p.setFont(f);
  p.setPen(QColor(0xf0, 0xf0, 0xf0));
  p.drawText(QRectF(220, 120, 240, 60), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Sonavel"));
  return image;
}

QImage AboutPicture(int side) {
  QImage image = RenderSvgResource(QStringLiteral(":/pictures/about.svg"), QSize(side, side), false);
  if (!image.isNull()) return image;
  image = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  DrawHeadphones(p, QRectF(0, 0, side, side), QColor(0x1d, 0x4e, 0x89));
  return image;
}

}  // namespace sonavel
