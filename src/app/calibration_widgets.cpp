#include "app/calibration_widgets.h"

#include <QPainter>
#include <QPainterPath>

namespace sonavel {

namespace {
const QColor LampRed(230, 0, 0);
const QColor LampGreen(0, 200, 0);
}  // namespace

Lamp::Lamp(QWidget* parent) : RoundLight(parent, Shape::Centred, LampRed) { setObjectName(QStringLiteral("shpLED")); }

void Lamp::SetGreen(bool green) {
  green_ = green;
  SetFill(green ? LampGreen : LampRed);
}

VolumeColumn::VolumeColumn(QWidget* parent, const char* sliderName, const char* captionName,
                           const char* caption, const char* valueName, const char* hint, int x, int y,
                           int height)
    : hint_(QString::fromUtf8(hint)) {
  constexpr int ColumnWidth = 90;
  Slider = new QSlider(Qt::Vertical, parent);
  Slider->setObjectName(QString::fromLatin1(sliderName));
  Slider->setGeometry(x + (ColumnWidth - 40) / 2, y, 40, height);
  // Position 0 at the top; the value (maximum - position) grows as the thumb moves up.
  Slider->setInvertedAppearance(true);
  Slider->setInvertedControls(true);
  Slider->setTickPosition(QSlider::TicksBothSides);
  Slider->setToolTip(hint_);
  Caption = new QLabel(QString::fromUtf8(caption), parent);
  Caption->setObjectName(QString::fromLatin1(captionName));
  Caption->setAlignment(Qt::AlignHCenter);
  Caption->setGeometry(x, y + height + 4, ColumnWidth, 20);
  Value = new QLabel(parent);
  Value->setObjectName(QString::fromLatin1(valueName));
  Value->setAlignment(Qt::AlignHCenter);
  Value->setGeometry(x, y + height + 24, ColumnWidth, 20);
  QObject::connect(Slider, &QSlider::valueChanged, Slider, [this](int position) {
    if (!updating_ && Changed) Changed(Slider->maximum() - position);
  });
}

void VolumeColumn::Show(const SliderView& view) {
  updating_ = true;
  Slider->setRange(0, std::max(0, view.Maximum));
  Slider->setTickInterval(std::max(1, view.TickFrequency));
  Slider->setPageStep(std::max(1, view.TickFrequency));
  Slider->setValue(view.Position());
  updating_ = false;
  Value->setText(QString::fromStdString(view.Label));
  // Why the slider does nothing on this card, where the user looks for it.
  Slider->setToolTip(view.Notice.empty() ? hint_ : hint_ + "\n" + QString::fromStdString(view.Notice));
}

void VolumeColumn::SetVisible(bool visible) {
  Slider->setVisible(visible);
  Caption->setVisible(visible);
  Value->setVisible(visible);
}

VolumeSliders::VolumeSliders(QWidget* parent, int x, int y, int sliderHeight, int masterX)
    : sliderHeight_(sliderHeight) {
  Box = new QFrame(parent);
  Box->setObjectName(QStringLiteral("VolumeBox"));
  Box->setFrameShape(QFrame::StyledPanel);
  Box->setGeometry(x, y, 290, sliderHeight + 110);
  Wave = std::make_unique<VolumeColumn>(Box, "WaveOutSlider", "Label2", "Wave Out", "WaveLabel",
                                        "Soundcard Output Wave Volume", 2, 10, sliderHeight);
  Master = std::make_unique<VolumeColumn>(Box, "MasterSlider", "Label3", "Master Out", "MasterLabel",
                                          "Soundcard Output Master Volume", masterX, 10, sliderHeight);
  Notice = new QLabel(Box);
  Notice->setObjectName(QStringLiteral("lblNotice"));
  Notice->setWordWrap(true);
  Notice->setStyleSheet(QStringLiteral("QLabel { color: #a00000; }"));
  Notice->setGeometry(6, sliderHeight + 62, 278, 44);
  Notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void VolumeSliders::AddGain(QWidget* gainParent, int gainX, int gainY) {
  Gain = std::make_unique<VolumeColumn>(gainParent ? gainParent : Box, "GainSlider", "Label4", "Gain Factor",
                                        "GainLabel", "Output Gain", gainX, gainY, sliderHeight_);
}

QString SliderNotices(std::initializer_list<const SliderView*> sliders) {
  QStringList lines;
  for (const SliderView* s : sliders) {
    if (s->Visible && !s->Notice.empty() && !lines.contains(QString::fromStdString(s->Notice)))
      lines << QString::fromStdString(s->Notice);
  }
  return lines.join('\n');
}

QPixmap CalibrationIllustration() {
  QPixmap pixmap(161, 168);
  pixmap.fill(QColor(236, 241, 247));
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);

  // Headphones: the band, the two cups and the cushions.
  const QColor dark(45, 55, 72), cup(70, 90, 120), cushion(120, 140, 170);
  QPainterPath band;
  band.moveTo(32, 62);
  band.cubicTo(32, 8, 129, 8, 129, 62);
  p.setPen(QPen(dark, 7, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawPath(band);
  p.setPen(QPen(dark, 1.5));
  for (const int cx : {28, 133}) {
    p.setBrush(cup);
    p.drawRoundedRect(QRectF(cx - 13, 52, 26, 42), 9, 9);
    p.setBrush(cushion);
    p.drawRoundedRect(QRectF(cx + (cx < 80 ? 9 : -15), 57, 6, 32), 3, 3);
  }
  // Sound waves between the cups.
  p.setPen(QPen(QColor(40, 150, 70), 2.5, Qt::SolidLine, Qt::RoundCap));
  for (int r = 0; r < 3; ++r) {
    const QRectF arc(60 - r * 8, 56 - r * 6, 20 + r * 16, 28 + r * 12);
    p.drawArc(arc.translated(r * 0.0, 0), 300 * 16, 120 * 16);
  }

  // Three vertical sliders with their thumbs at different heights.
  const int top = 104, bottom = 160;
  const int thumbs[] = {118, 132, 145};
  for (int i = 0; i < 3; ++i) {
    const int x = 45 + i * 35;
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (int t = top; t <= bottom; t += 7) p.drawLine(x - 10, t, x - 6, t);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 90, 90));
    p.drawRoundedRect(QRectF(x - 2, top, 4, bottom - top), 2, 2);
    p.setPen(QPen(dark, 1));
    p.setBrush(QColor(210, 80, 50));
    p.drawRoundedRect(QRectF(x - 9, thumbs[i] - 4, 18, 8), 2, 2);
  }
  return pixmap;
}

}  // namespace sonavel
