// The windows a run drives, without a screen: a test window whose button and close box can be
// pressed by a simulated operator, and a main window that counts its repaints.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/canvas.h"
#include "hearingtest/procedure.h"
#include "hearingtest/views.h"
#include "model/state.h"

namespace sonavel {

// A canvas that keeps the pen and brush but draws nothing.
class NullCanvas : public Canvas {
 public:
  NullCanvas(int32_t width, int32_t height, Colour background)
      : width_(width), height_(height), background_(background) {}
  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  void FillAll() override {}
  void MoveTo(int32_t x, int32_t y) override { pos_ = {x, y}; }
  void LineTo(int32_t x, int32_t y) override { pos_ = {x, y}; }
  CanvasPoint PenPos() const override { return pos_; }
  void Rectangle(int32_t, int32_t, int32_t, int32_t) override {}
  void Ellipse(int32_t, int32_t, int32_t, int32_t) override {}
  void TextOut(int32_t, int32_t, const std::string&) override {}
  void SetPenColour(Colour colour) override { pen_ = colour; }
  Colour PenColour() const override { return pen_; }
  void SetBrush(BrushStyle, Colour) override {}
  Colour BackgroundColour() const override { return background_; }

 private:
  int32_t width_, height_;
  Colour background_;
  CanvasPoint pos_{};
  Colour pen_ = ColourBlack;
};

class SimTestWindow : public TestWindowView {
 public:
  // Draws the graph on `graph` when given (a recording canvas in tests), else on nothing.
  explicit SimTestWindow(AppState& state, Canvas* graph = nullptr)
      : state_(&state), graph_(graph ? graph : &none_) {}
  // A window for a state that is made after it (a session's): Bind before the first click.
  explicit SimTestWindow(Canvas* graph = nullptr) : graph_(graph ? graph : &none_) {}
  void Bind(AppState& state) { state_ = &state; }

  void Show() override { visible_ = true; }
  void Hide() override { visible_ = false; }
  bool Visible() const override { return visible_; }
  void SetTitle(const std::string& title) override { Titles.push_back(title); }
  void SetNextCaption(const std::string& caption) override { NextCaption = caption; }
  void SetLightVisible(bool visible) override { LightOn = visible; }
  Canvas& Graph() override { return *graph_; }
  void Repaint() override {}

  // The window's button, "Weiter ->" or "Abbrechen": it asks the run to stop.
  void NextClick() { RequestAbort(*state_); }
  // The window's close box: the same request, and the window hides.
  void FormClose() {
    RequestAbort(*state_);
    visible_ = false;
  }

  std::vector<std::string> Titles;
  std::string NextCaption = "Weiter ->";
  bool LightOn = false;

 private:
  AppState* state_ = nullptr;
  bool visible_ = false;
  NullCanvas none_{431, 320, ColourButtonFace};
  Canvas* graph_;
};

class SimMainWindow : public MainWindowView {
 public:
  void RepaintAudiogram() override { ++Repaints; }
  void SetEnabled(bool enabled) override { Enabled = enabled; }
  int32_t Repaints = 0;
  bool Enabled = true;
};

}  // namespace sonavel
