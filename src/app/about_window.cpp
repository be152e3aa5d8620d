#include "app/about_window.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "app/pictures.h"
#include "app/version.h"
#include "app/window_keys.h"

namespace sonavel {

TfrmAbout::TfrmAbout(QWidget* parent) : QWidget(parent, Qt::Dialog) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(QStringLiteral("Über dieses Programm"));
  setFixedSize(400, 230);

  auto* picture = new QLabel(this);
  picture->setObjectName(QStringLiteral("imgAbout"));
  picture->setGeometry(16, 20, 160, 160);
  picture->setPixmap(QPixmap::fromImage(AboutPicture(160)));

  QFont big = font();
  big.setPixelSize(26);
  big.setBold(true);
  auto* title = new QLabel(QStringLiteral("Hörtest"), this);
  title->setObjectName(QStringLiteral("lblTitle"));
  title->setFont(big);
  title->setGeometry(196, 40, 190, 40);

  auto* version = new QLabel(QStringLiteral("Version ") + QString::fromUtf8(ProductVersion), this);
  version->setObjectName(QStringLiteral("lblVersion"));
  version->setGeometry(196, 88, 190, 24);

  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setObjectName(QStringLiteral("btnOK"));
  ok_->setGeometry(196, 186, 88, 30);
  ok_->setDefault(true);
  help_ = new QPushButton(QStringLiteral("Hilfe"), this);
  help_->setObjectName(QStringLiteral("btnHelp"));
  help_->setGeometry(296, 186, 88, 30);

  connect(ok_, &QPushButton::clicked, this, &QWidget::close);
  connect(help_, &QPushButton::clicked, this, [this] { emit HelpRequested(23); });
  new WindowKeys(*this, ok_, [this] { close(); });
  HelpKey(*this, [this] { emit HelpRequested(23); });
}

void TfrmAbout::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  ok_->setFocus();
}

void TfrmAbout::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  emit Closed();
}

}  // namespace sonavel
