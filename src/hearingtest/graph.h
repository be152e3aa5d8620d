// The live graph of the real-time test window: the level grid and the trace of the presented
// levels of the current frequency slot.
#pragma once

#include <cstdint>

#include "core/canvas.h"
#include "model/state.h"

namespace sonavel {

// Pixel positions in the graph: a level of L dB HL at y = 3 L + 40, presentation c at
// x = 25 + c * TracePixelStep.
int32_t TraceY(double currentLevel);  // from the internal level (dB HL - 70)
int32_t TraceX(int32_t presentation, int32_t tracePixelStep);

// The trace colour of an ear.
Colour TraceColour(const GraphColourSet& colours, int32_t ear);

// Draws the empty graph; the pen's position and colour are as before afterwards.
void PaintAxes(Canvas& graph, const GraphColourSet& colours);

// The repaint: the empty graph and the trace of the current slot from TraceHistory.
void GraphPaint(Canvas& graph, const AppState& state);

}  // namespace sonavel
