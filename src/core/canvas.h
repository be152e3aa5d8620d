// The drawing surface of the charts: exactly the operations their drawing rules use. A QPainter
// canvas draws on screen, on paper and into images; a recording canvas lets tests assert the
// exact coordinates.
#pragma once

#include <cstdint>
#include <string>

#include "core/colour.h"

namespace sonavel {

struct CanvasPoint {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const CanvasPoint&, const CanvasPoint&) = default;
};

enum class BrushStyle {
  Solid,
  ForwardDiagonal,  // lines running down from left to right, the gaps transparent
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;

  // Fills the whole area with the area's own background colour.
  virtual void FillAll() = 0;
  virtual void MoveTo(int32_t x, int32_t y) = 0;
  // A one-pixel line in the pen colour from the current point up to, not including, (x, y),
  // which becomes the current point.
  virtual void LineTo(int32_t x, int32_t y) = 0;
  virtual CanvasPoint PenPos() const = 0;
  // Outline in the pen colour, interior with the brush, covering x1 <= x < x2, y1 <= y < y2.
  virtual void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
  // The ellipse inscribed in the same box.
  virtual void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
  // The text with its top-left corner at (x, y), in the area's font, on the brush colour.
  virtual void TextOut(int32_t x, int32_t y, const std::string& text) = 0;

  virtual void SetPenColour(Colour colour) = 0;
  virtual Colour PenColour() const = 0;
  virtual void SetBrush(BrushStyle style, Colour colour) = 0;
  virtual Colour BackgroundColour() const = 0;
};

}  // namespace sonavel
