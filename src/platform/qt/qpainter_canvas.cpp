#include "platform/qt/qpainter_canvas.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPolygon>
#include <QString>
#include <cstdio>
#include <cstdlib>

namespace sonavel {

Colour ColourOfQColor(const QColor& c) {
  return static_cast<Colour>(c.red()) | static_cast<Colour>(c.green()) << 8 | static_cast<Colour>(c.blue()) << 16;
}

QColor ResolveColour(Colour colour, const QPalette& palette) {
  if ((colour & 0xFF000000u) == SystemColourFlag) {
    QPalette::ColorRole role = QPalette::Window;
    switch (colour & 0xFFu) {
      case 1:
        role = QPalette::Window;
        break;  // desktop
      case 2:
      case 13:
        role = QPalette::Highlight;
        break;  // active caption, highlight
      case 4:
        role = QPalette::Window;
        break;  // menu
      case 5:
        role = QPalette::Base;
        break;  // window
      case 6:
      case 21:
        role = QPalette::Shadow;
        break;  // frame, dark shadow
      case 7:
        role = QPalette::WindowText;
        break;  // menu text
      case 8:
        role = QPalette::Text;
        break;  // window text
      case 9:
      case 14:
        role = QPalette::HighlightedText;
        break;
      case 15:
        role = QPalette::Button;
        break;  // button face
      case 16:
        role = QPalette::Dark;
        break;  // button shadow
      case 17:
        return palette.color(QPalette::Disabled, QPalette::Text);
      case 18:
        role = QPalette::ButtonText;
        break;
      case 20:
        role = QPalette::Light;
        break;  // button highlight
      case 22:
        role = QPalette::Midlight;
        break;
      case 23:
        role = QPalette::ToolTipText;
        break;
      case 24:
        role = QPalette::ToolTipBase;
        break;
      default:
        role = QPalette::Window;
        break;
    }
    return palette.color(QPalette::Active, role);
  }
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

void EnsureOffscreenGuiApplication() {
  if (QGuiApplication::instance() != nullptr) return;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) std::fputs(qPrintable(message + "\n"), stderr);
  });
  static int argc = 1;
  static char name[] = "sonavel";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
}

QFont ChartFont() {
  QFont font(QStringLiteral("Sans Serif"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  return font;
}

QPainterCanvas::QPainterCanvas(QPainter& painter, int32_t width, int32_t height, Colour background,
                               const QPalette& palette, const QFont& font)
    : painter_(painter),
      width_(width),
      height_(height),
      background_(background),
      palette_(palette),
      font_(font),
      brush_(background) {
  PreparePainter();
}

void QPainterCanvas::PreparePainter() {
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
  painter_.setBackgroundMode(Qt::TransparentMode);
  // A paint box never draws outside itself.
  painter_.setClipRect(0, 0, width_, height_);
}

QBrush QPainterCanvas::CurrentBrush() const {
  return QBrush(Resolve(brush_), brushStyle_ == BrushStyle::Solid ? Qt::SolidPattern : Qt::FDiagPattern);
}

void QPainterCanvas::FillAll() { painter_.fillRect(0, 0, width_, height_, Resolve(background_)); }

void QPainterCanvas::LineTo(int32_t x, int32_t y) {
  painter_.setPen(QPen(Resolve(pen_), 0));
  constexpr int32_t Near = 20000;
  auto near = [](int32_t v) { return v > -Near && v < Near; };
  if (!(near(pos_.x) && near(pos_.y) && near(x) && near(y))) {
    // A far-off point (a level from a damaged file): let the painter clip it; whether its end
    // pixel is drawn does not matter there.
    painter_.drawLine(pos_.x, pos_.y, x, y);
    pos_ = {x, y};
    return;
  }
  // Bresenham from the current point, stopping before the end point.
  int32_t x0 = pos_.x, y0 = pos_.y;
  const int32_t dx = std::abs(x - x0), sx = x0 < x ? 1 : -1;
  const int32_t dy = -std::abs(y - y0), sy = y0 < y ? 1 : -1;
  int32_t err = dx + dy;
  QPolygon points;
  while (x0 != x || y0 != y) {
    if (x0 >= 0 && y0 >= 0 && x0 < width_ && y0 < height_) points << QPoint(x0, y0);
    const int32_t e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
  if (!points.isEmpty()) painter_.drawPoints(points);
  pos_ = {x, y};
}

void QPainterCanvas::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (x2 <= x1 || y2 <= y1) return;
  painter_.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), CurrentBrush());
  painter_.setPen(QPen(Resolve(pen_), 0));
  painter_.setBrush(Qt::NoBrush);
  painter_.drawRect(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
}

void QPainterCanvas::Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (x2 <= x1 || y2 <= y1) return;
  painter_.setPen(QPen(Resolve(pen_), 0));
  painter_.setBrush(CurrentBrush());
  painter_.drawEllipse(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
  painter_.setBrush(Qt::NoBrush);
}

void QPainterCanvas::TextOut(int32_t x, int32_t y, const std::string& text) {
  const QString s = QString::fromStdString(text);
  painter_.setFont(font_);
  const QFontMetrics metrics(font_);
  const QRect box(x, y, metrics.horizontalAdvance(s), metrics.height());
  if (brushStyle_ == BrushStyle::Solid) painter_.fillRect(box, Resolve(brush_));
  painter_.setPen(Resolve(fontColour_));
  painter_.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, s);
}

ImageCanvas::Surface::Surface(int32_t width, int32_t height)
    : image(width > 0 ? width : 1, height > 0 ? height : 1, QImage::Format_RGB32), painter(&image) {}

ImageCanvas::ImageCanvas(int32_t width, int32_t height, Colour background, const QPalette& palette,
                         const QFont& font)
    : ImageCanvas(std::make_unique<Surface>(width, height), width, height, background, palette, font) {}

ImageCanvas::ImageCanvas(std::unique_ptr<Surface> surface, int32_t width, int32_t height, Colour background,
                         const QPalette& palette, const QFont& font)
    : QPainterCanvas(surface->painter, width, height, background, palette, font),
      surface_(std::move(surface)) {}

ImageCanvas::~ImageCanvas() = default;

QImage ImageCanvas::TakeImage() {
  if (surface_->painter.isActive()) surface_->painter.end();
  return surface_->image;
}

}  // namespace sonavel
