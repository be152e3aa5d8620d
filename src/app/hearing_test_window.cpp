#include "app/hearing_test_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "app/desktop_font.h"
#include "app/round_light.h"
#include "app/window_keys.h"
#include "app/widget_helpers.h"
#include "hearingtest/response_button.h"
#include "hearingtest/graph.h"
#include "hearingtest/procedure.h"
#include "platform/qt/qpainter_canvas.h"

namespace sonavel {

namespace {

constexpr int ClientWidth = 457;
constexpr int ClientHeight = 379;
constexpr int GraphWidth = 431;
constexpr int GraphHeight = 320;

// The paint box of the graph: it shows the persistent image.
class GraphWidget : public QWidget {
 public:
  GraphWidget(TfrmTest& owner, QWidget* parent) : QWidget(parent), owner_(owner) {
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.drawImage(0, 0, owner_.GraphImage());
  }

 private:
  TfrmTest& owner_;
};

}  // namespace

// ---------------------------------------------------------------------------------------------

PersistentImageCanvas::Surface::Surface(int32_t width, int32_t height, const QColor& background)
    : image(width, height, QImage::Format_RGB32) {
  image.fill(background);
  painter.begin(&image);
}

PersistentImageCanvas::PersistentImageCanvas(QWidget& widget, int32_t width, int32_t height,
                                             Colour background)
    : PersistentImageCanvas(
          widget, std::make_unique<Surface>(width, height, ResolveColour(background, widget.palette())),
          width, height, background) {}

PersistentImageCanvas::PersistentImageCanvas(QWidget& widget, std::unique_ptr<Surface> surface, int32_t width,
                                             int32_t height, Colour background)
    : QPainterCanvas(surface->painter, width, height, background, widget.palette(), ChartFont()),
      widget_(widget),
      surface_(std::move(surface)) {}

PersistentImageCanvas::~PersistentImageCanvas() {
  if (surface_->painter.isActive()) surface_->painter.end();
}

void PersistentImageCanvas::Begin() {
  if (!surface_->painter.isActive()) {
    surface_->painter.begin(&surface_->image);
    PreparePainter();
  }
  widget_.update();
}

const QImage& PersistentImageCanvas::Image() {
  if (surface_->painter.isActive()) surface_->painter.end();
  return surface_->image;
}

void PersistentImageCanvas::FillAll() {
  Begin();
  QPainterCanvas::FillAll();
}

void PersistentImageCanvas::LineTo(int32_t x, int32_t y) {
  Begin();
  QPainterCanvas::LineTo(x, y);
}

void PersistentImageCanvas::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  Begin();
  QPainterCanvas::Rectangle(x1, y1, x2, y2);
}

void PersistentImageCanvas::Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  Begin();
  QPainterCanvas::Ellipse(x1, y1, x2, y2);
}

void PersistentImageCanvas::TextOut(int32_t x, int32_t y, const std::string& text) {
  Begin();
  QPainterCanvas::TextOut(x, y, text);
}

// ---------------------------------------------------------------------------------------------

TfrmTest::TfrmTest(QWidget* parent) : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("frmTest"));
  setWindowTitle(QStringLiteral("Real Time Audiogram"));
  setFont(DesktopFont(14));
  setFixedSize(ClientWidth, ClientHeight);

  GraphBox = new GraphWidget(*this, this);
  GraphBox->setObjectName(QStringLiteral("Graph"));
  GraphBox->setGeometry(10, 10, GraphWidth, GraphHeight);
  graphCanvas_ =
      std::make_unique<PersistentImageCanvas>(*GraphBox, GraphWidth, GraphHeight, ColourButtonFace);

  // The black socket of the light, and the red light on top of it.
  Shape1 = new RoundLight(this, RoundLight::Shape::FillsItsBox, Qt::black);
  Shape1->setAttribute(Qt::WA_TransparentForMouseEvents);
  Shape1->setObjectName(QStringLiteral("Shape1"));
  Shape1->setGeometry(19, 340, 26, 24);
  light = new RoundLight(this, RoundLight::Shape::FillsItsBox, Qt::red);
  light->setAttribute(Qt::WA_TransparentForMouseEvents);
  light->setObjectName(QStringLiteral("light"));
  light->setGeometry(19, 340, 26, 24);
  light->hide();

  Label1 = new QLabel(this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->move(50, 345);

  Next = new QPushButton(this);
  Next->setObjectName(QStringLiteral("Next"));
  Next->setGeometry(335, 340, 92, 30);
  Next->setAutoDefault(false);
  // Escape works the button, as Return on it does.
  new WindowKeys(*this, nullptr, [this] { Next->click(); });
  connect(Next, &QPushButton::clicked, this, &TfrmTest::NextClick);

  FormCreate();
  // Key events of the test window and of the main window work the response button, whichever
  // of their widgets has the focus.
  qApp->installEventFilter(this);
}

TfrmTest::~TfrmTest() { qApp->removeEventFilter(this); }

void TfrmTest::Attach(AppState& state) {
  state_ = &state;
  GraphPaint();
}

void TfrmTest::FormCreate() {
  Label1->setText(QStringLiteral("Status Reaktionstaster"));
  Label1->adjustSize();
  Next->setText(QStringLiteral("Weiter ->"));
}

void TfrmTest::Show() {
  if (!centred_) {
    CentreOnScreen(*this);
    centred_ = true;
  }
  if (!isVisible()) {
    show();
    // A window shown again after its close repaints from the trace history.
    GraphPaint();
  }
  // On top of a window that covered it meanwhile (the offscreen platform of the tests has no
  // stacking and says so at every call).
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) raise();
}

void TfrmTest::Hide() { hide(); }

void TfrmTest::SetTitle(const std::string& title) { setWindowTitle(QString::fromStdString(title)); }

void TfrmTest::SetNextCaption(const std::string& caption) { Next->setText(QString::fromStdString(caption)); }

void TfrmTest::SetLightVisible(bool visible) { light->setVisible(visible); }

bool TfrmTest::LightOn() const { return !light->isHidden(); }

void TfrmTest::Repaint() {
  GraphPaint();
  update();
}

void TfrmTest::GraphPaint() {
  if (state_ == nullptr) {
    PaintAxes(*graphCanvas_, SettingsRecord{}.GraphColours);
    return;
  }
  sonavel::GraphPaint(*graphCanvas_, *state_);
}

void TfrmTest::NextClick() {
  if (state_) RequestAbort(*state_);
}

void TfrmTest::FormKeyDown(int key, bool ctrlHeld) {
  if (state_) sonavel::FormKeyDown(state_->Run.ButtonPressed, key, ctrlHeld);
}

void TfrmTest::FormKeyUp(int key) {
  if (state_) sonavel::FormKeyUp(state_->Run.ButtonPressed, key);
}

void TfrmTest::closeEvent(QCloseEvent* event) {
  // FormClose: the window hides, and the run hears the request at the end of the presentation.
  if (state_) RequestAbort(*state_);
  event->accept();
}

bool TfrmTest::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && watched->isWidgetType()) {
    const QWidget* window = static_cast<QWidget*>(watched)->window();
    if (window == this || (otherWindow_ != nullptr && window == otherWindow_)) {
      auto* key = static_cast<QKeyEvent*>(event);
      if (type == QEvent::KeyPress) {
        // The CTRL key's own press may not carry its modifier yet.
        FormKeyDown(key->key(),
                    key->modifiers().testFlag(Qt::ControlModifier) || key->key() == Qt::Key_Control);
      } else if (!key->isAutoRepeat()) {
        // The release half of an auto-repeat pair is no release: the key is still held.
        FormKeyUp(key->key());
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace sonavel
