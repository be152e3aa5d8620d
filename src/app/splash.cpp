#include "app/splash.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QRegion>
#include <QScreen>

#include "app/pictures.h"

namespace sonavel {

QRegion RegionOutsideColour(const QImage& image, QRgb colour) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  QRegion region;
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    int x = 0;
    while (x < rgb.width()) {
      while (x < rgb.width() && (line[x] & 0xFFFFFF) == (colour & 0xFFFFFF)) ++x;
      const int start = x;
      while (x < rgb.width() && (line[x] & 0xFFFFFF) != (colour & 0xFFFFFF)) ++x;
      if (x > start) region += QRect(start, y, x - start, 1);
    }
  }
  return region;
}

TSplash::TSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("frmSplash"));
  picture_ = SplashPicture();
  setFixedSize(picture_.size());
  // White is the see-through colour: the window takes the shape of the picture.
  setMask(RegionOutsideColour(picture_, qRgb(255, 255, 255)));

  label_ = new QLabel(QStringLiteral("Hörtest"), this);
  label_->setObjectName(QStringLiteral("lblTitle"));
  label_->setGeometry(310, 42, 160, 31);
  label_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  QFont font(QStringLiteral("Sans Serif"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(24);
  font.setBold(true);
  label_->setFont(font);
  QPalette pal = label_->palette();
  pal.setColor(QPalette::WindowText, Qt::white);
  label_->setPalette(pal);
  label_->setAttribute(Qt::WA_TransparentForMouseEvents);

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.center() - rect().center());
  }
}

void TSplash::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, picture_);
}

void TSplash::mousePressEvent(QMouseEvent*) { dismissed_ = true; }

SplashTiming RunSplash(TSplash& splash, Host& host) {
  SplashTiming timing;
  splash.setWindowOpacity(16 / 255.0);
  splash.show();
  for (int step = 1; step <= 15; ++step) {
    splash.setWindowOpacity(16 * step / 255.0);
    host.Sleep(20);
    host.ProcessMessages();
  }
  splash.repaint();
  do {
    ++timing.Passes;
    host.Sleep(50);
    host.ProcessMessages();
  } while (!splash.Dismissed() && timing.Passes < 7);
  for (int step = 1; step <= 15; ++step) {
    splash.setWindowOpacity((256 - 16 * step) / 255.0);
    host.Sleep(20);
    host.ProcessMessages();
  }
  splash.hide();
  return timing;
}

}  // namespace sonavel
