#include "hearingtest/graph.h"

#include <algorithm>
#include <string>

#include "core/rounding.h"

namespace sonavel {

namespace {
int32_t ClampPx(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, -1'000'000, 1'000'000)); }
}  // namespace

int32_t TraceY(double currentLevel) { return ClampPx(RoundHalfEven((currentLevel + 70.0) * 3.0 + 40.0)); }

int32_t TraceX(int32_t presentation, int32_t tracePixelStep) {
  return ClampPx(25 + int64_t{presentation} * tracePixelStep);
}

Colour TraceColour(const GraphColourSet& colours, int32_t ear) {
  return colours[ear == 0 ? ColourReversalsLeft : ColourReversalsRight];
}

void PaintAxes(Canvas& graph, const GraphColourSet& colours) {
  const CanvasPoint savedPos = graph.PenPos();
  const Colour savedPen = graph.PenColour();
  graph.SetPenColour(ColourButtonFace);
  graph.SetBrush(BrushStyle::Solid, graph.BackgroundColour());
  graph.Rectangle(0, 0, 349, 299);
  graph.SetPenColour(colours[ColourAxesGrid]);
  for (int32_t i = 0; i <= 9; ++i) {
    graph.MoveTo(22, 10 + 30 * i);
    graph.LineTo(325, 10 + 30 * i);
    graph.TextOut(7, 4 + 30 * i, std::to_string(10 * i - 10));
  }
  graph.MoveTo(24, 10);
  graph.LineTo(24, 280);
  graph.LineTo(326, 280);
  graph.TextOut(26, 4, "dB");
  graph.SetPenColour(savedPen);
  graph.MoveTo(savedPos.x, savedPos.y);
}

void GraphPaint(Canvas& graph, const AppState& state) {
  PaintAxes(graph, state.Settings.GraphColours);
  graph.SetPenColour(TraceColour(state.Settings.GraphColours, state.Run.CurrentEar));
  // The history holds 201 points; a slot never draws beyond them.
  const int32_t count = std::clamp(state.Run.PresentationCount, 0, TraceHistorySize - 1);
  for (int32_t a = 1; a <= count; ++a) {
    graph.MoveTo(TraceX(a - 1, state.Run.TracePixelStep), state.Run.TraceHistory[a - 1]);
    graph.LineTo(TraceX(a, state.Run.TracePixelStep), state.Run.TraceHistory[a]);
  }
}

}  // namespace sonavel
