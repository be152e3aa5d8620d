// The real-time test window: the frequency and ear in its title, the live graph of the presented
// levels of the current slot, the light of the response button and the one button that ends the
// trial run or stops the test. The procedure draws the trace into a persistent image while a run
// pumps events; a repaint of the window draws axes and trace anew from the trace history.
#pragma once

#include <QImage>
#include <QPainter>
#include <QWidget>
#include <memory>
#include <string>

#include "core/canvas.h"
#include "hearingtest/views.h"
#include "platform/qt/qpainter_canvas.h"
#include "model/state.h"

class QLabel;
class QPushButton;
class QKeyEvent;

namespace sonavel {

// The graph's canvas: every operation draws into the widget's image and asks for its repaint.
// The painter stays open between operations, so that a whole repaint costs one begin; handing
// out the image ends it.
class PersistentImageCanvas : public QPainterCanvas {
 public:
  PersistentImageCanvas(QWidget& widget, int32_t width, int32_t height, Colour background);
  ~PersistentImageCanvas() override;

  void FillAll() override;
  void LineTo(int32_t x, int32_t y) override;
  void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
  void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
  void TextOut(int32_t x, int32_t y, const std::string& text) override;

  // Ends the drawing so far and hands out the image as it stands.
  const QImage& Image();

 private:
  struct Surface {
    QImage image;
    QPainter painter;
    Surface(int32_t width, int32_t height, const QColor& background);
  };
  PersistentImageCanvas(QWidget& widget, std::unique_ptr<Surface> surface, int32_t width, int32_t height,
                        Colour background);
  void Begin();

  QWidget& widget_;
  std::unique_ptr<Surface> surface_;
};

class TfrmTest : public QWidget, public TestWindowView {
  Q_OBJECT
 public:
  explicit TfrmTest(QWidget* parent = nullptr);
  ~TfrmTest() override;

  // The state whose trace, flags and response button the window works on (the session's).
  void Attach(AppState& state);
  // The main window, whose key events reach the response button as the test window's do.
  void AlsoListenTo(QWidget* window) { otherWindow_ = window; }

  // TestWindowView.
  void Show() override;
  void Hide() override;
  bool Visible() const override { return isVisible(); }
  void SetTitle(const std::string& title) override;
  void SetNextCaption(const std::string& caption) override;
  void SetLightVisible(bool visible) override;
  Canvas& Graph() override { return *graphCanvas_; }
  void Repaint() override;

  // The handlers, named as the system names them.
  void FormCreate();
  void GraphPaint();
  void NextClick();
  void FormKeyDown(int key, bool ctrlHeld);
  void FormKeyUp(int key);

  // The graph as it stands (for tests and the benchmark).
  const QImage& GraphImage() { return graphCanvas_->Image(); }
  bool LightOn() const;

  QWidget* GraphBox;
  QWidget* Shape1;
  QWidget* light;
  QLabel* Label1;
  QPushButton* Next;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  AppState* state_ = nullptr;
  QWidget* otherWindow_ = nullptr;
  std::unique_ptr<PersistentImageCanvas> graphCanvas_;
  bool centred_ = false;
};

}  // namespace sonavel
