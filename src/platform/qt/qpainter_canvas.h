// The canvas on a QPainter: the charts on screen, on paper and in images. Lines follow the
// classic raster rule (the end pixel is not drawn), rectangles and ellipses cover the pixels of
// their box up to but not including the right and bottom edges, and system colours are taken from
// the palette.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <memory>

#include "core/canvas.h"

namespace sonavel {

// 0x00BBGGRR, or 0xFF000000 + a system colour index resolved from the palette
// (0xFF00000F = button face).
QColor ResolveColour(Colour colour, const QPalette& palette);
// 0x00BBGGRR of a colour the user picked.
Colour ColourOfQColor(const QColor& c);

class QPainterCanvas : public Canvas {
 public:
  // Draws on `painter` in an area of width x height at the painter's origin.
  QPainterCanvas(QPainter& painter, int32_t width, int32_t height, Colour background, const QPalette& palette,
                 const QFont& font);

  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  void FillAll() override;
  void MoveTo(int32_t x, int32_t y) override { pos_ = {x, y}; }
  void LineTo(int32_t x, int32_t y) override;
  CanvasPoint PenPos() const override { return pos_; }
  void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
  void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
  void TextOut(int32_t x, int32_t y, const std::string& text) override;
  void SetPenColour(Colour colour) override { pen_ = colour; }
  Colour PenColour() const override { return pen_; }
  void SetBrush(BrushStyle style, Colour colour) override {
    brushStyle_ = style;
    brush_ = colour;
  }
  Colour BackgroundColour() const override { return background_; }

  // The colour texts are written in.
  void SetFontColour(Colour colour) { fontColour_ = colour; }

 protected:
  // The painter's settings the drawing relies on; again after the painter has begun anew.
  void PreparePainter();

 private:
  QColor Resolve(Colour c) const { return ResolveColour(c, palette_); }
  QBrush CurrentBrush() const;

  QPainter& painter_;
  int32_t width_, height_;
  Colour background_;
  QPalette palette_;
  QFont font_;
  CanvasPoint pos_{};
  Colour pen_ = ColourBlack;
  BrushStyle brushStyle_ = BrushStyle::Solid;
  Colour brush_;
  Colour fontColour_ = SystemColourFlag | 8;  // window text
};

// A canvas that draws into an image of its own.
class ImageCanvas : public QPainterCanvas {
 public:
  ImageCanvas(int32_t width, int32_t height, Colour background, const QPalette& palette, const QFont& font);
  ~ImageCanvas() override;
  // Ends the drawing and hands out the image.
  QImage TakeImage();

 private:
  struct Surface {
    QImage image;
    QPainter painter;
    explicit Surface(int32_t width, int32_t height);
  };
  ImageCanvas(std::unique_ptr<Surface> surface, int32_t width, int32_t height, Colour background,
              const QPalette& palette, const QFont& font);
  std::unique_ptr<Surface> surface_;
};

// The font the charts are drawn in.
QFont ChartFont();

// Text needs a GUI application for its fonts. Where the program has none (the CLI, the tests),
// this makes one on the offscreen platform, which needs no display, and keeps Qt's notes about
// the environment (no runtime folder, no display) off the output.
void EnsureOffscreenGuiApplication();

}  // namespace sonavel
