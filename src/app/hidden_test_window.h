// The test window's part for the session until the real-time test window exists: it keeps
// what the procedure tells it and draws the trace on nothing.
#pragma once

#include <string>

#include "hearingtest/test_views.h"
#include "platform/sim/sim_views.h"

namespace sonavel {

class HiddenTestWindow : public TestWindowView {
 public:
  void Show() override { visible_ = true; }
  void Hide() override { visible_ = false; }
  bool Visible() const override { return visible_; }
  void SetTitle(const std::string& title) override { Title = title; }
  void SetNextCaption(const std::string& caption) override { NextCaption = caption; }
  void SetLightVisible(bool visible) override { LightOn = visible; }
  Canvas& Graph() override { return graph_; }
  void Repaint() override {}

  std::string Title;
  std::string NextCaption;
  bool LightOn = false;

 private:
  bool visible_ = false;
  NullCanvas graph_{431, 320, ColourButtonFace};
};

}  // namespace sonavel
