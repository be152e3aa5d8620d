#include "app/splash.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>

#include "app/pictures.h"

namespace sonavel {

TSplash::TSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("frmSplash"));
  picture_ = SplashPicture();
  setFixedSize(picture_.size());
  // White is the see-through colour: the window takes the shape of the picture.
  const QImage mask = picture_.convertToFormat(QImage::Format_RGB32)
                          .createMaskFromColor(qRgb(255, 255, 255), Qt::MaskOutColor);
  setMask(QBitmap::fromImage(mask));

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
