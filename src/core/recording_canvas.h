// A canvas that draws nothing and records every operation with the pen and brush it was made
// with, so that tests can check coordinates, colours and the order of the layers.
#pragma once

#include <string>
#include <vector>

#include "core/canvas.h"

namespace sonavel {

class RecordingCanvas : public Canvas {
 public:
  enum class Op { FillAll, MoveTo, LineTo, Rectangle, Ellipse, TextOut };
  struct Record {
    Op op = Op::FillAll;
    int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // LineTo: from (x1, y1) to (x2, y2)
    std::string text;
    Colour pen = 0;
    BrushStyle brushStyle = BrushStyle::Solid;
    Colour brush = 0;
  };

  RecordingCanvas(int32_t width, int32_t height, Colour background)
      : width_(width), height_(height), background_(background), brush_(background) {}

  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  void FillAll() override { Add(Make(Op::FillAll, 0, 0, width_, height_)); }
  void MoveTo(int32_t x, int32_t y) override {
    pos_ = {x, y};
    Add(Make(Op::MoveTo, x, y, x, y));
  }
  void LineTo(int32_t x, int32_t y) override {
    Add(Make(Op::LineTo, pos_.x, pos_.y, x, y));
    pos_ = {x, y};
  }
  CanvasPoint PenPos() const override { return pos_; }
  void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override {
    Add(Make(Op::Rectangle, x1, y1, x2, y2));
  }
  void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override {
    Add(Make(Op::Ellipse, x1, y1, x2, y2));
  }
  void TextOut(int32_t x, int32_t y, const std::string& text) override {
    Record r = Make(Op::TextOut, x, y, x, y);
    r.text = text;
    Add(r);
  }
  void SetPenColour(Colour colour) override { pen_ = colour; }
  Colour PenColour() const override { return pen_; }
  void SetBrush(BrushStyle style, Colour colour) override {
    brushStyle_ = style;
    brush_ = colour;
  }
  Colour BackgroundColour() const override { return background_; }

  std::vector<Record> Records;

  // The records of one kind, in order.
  std::vector<Record> Of(Op op) const {
    std::vector<Record> out;
    for (const Record& r : Records)
      if (r.op == op) out.push_back(r);
    return out;
  }
  // The lines drawn in one pen colour.
  std::vector<Record> LinesIn(Colour pen) const {
    std::vector<Record> out;
    for (const Record& r : Records)
      if (r.op == Op::LineTo && r.pen == pen) out.push_back(r);
    return out;
  }

 private:
  static Record Make(Op op, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    Record r;
    r.op = op;
    r.x1 = x1, r.y1 = y1, r.x2 = x2, r.y2 = y2;
    return r;
  }
  void Add(Record r) {
    r.pen = pen_;
    r.brushStyle = brushStyle_;
    r.brush = brush_;
    Records.push_back(std::move(r));
  }

  int32_t width_, height_;
  Colour background_;
  CanvasPoint pos_{};
  Colour pen_ = ColourBlack;
  BrushStyle brushStyle_ = BrushStyle::Solid;
  Colour brush_;
};

}  // namespace sonavel
