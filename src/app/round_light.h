// The round light the windows show (the response button's in the settings and the test window,
// the tone's in the calibration windows): a filled circle or ellipse with a black rim, drawn in
// one place.
#pragma once

#include <QColor>
#include <QWidget>

namespace sonavel {

class RoundLight : public QWidget {
 public:
  enum class Shape {
    FillsItsBox,  // an ellipse as large as the widget
    Centred,      // a circle of the widget's smaller side, in its middle
  };
  RoundLight(QWidget* parent, Shape shape, QColor fill);
  void SetFill(const QColor& fill);
  const QColor& Fill() const { return fill_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Shape shape_;
  QColor fill_;
};

}  // namespace sonavel
