#include "hearingtest/graph.h"

#include <gtest/gtest.h>

#include "core/recording_canvas.h"

namespace sonavel {
namespace {

using Op = RecordingCanvas::Op;

TEST(TestGraph, LevelsAndPresentationsToPixels) {
  EXPECT_EQ(TraceY(-80), 10);    // -10 dB HL on the top line
  EXPECT_EQ(TraceY(10), 280);    // 80 dB HL on the time axis
  EXPECT_EQ(TraceY(-67), 49);    // 3 dB HL
  EXPECT_EQ(TraceY(-69.5), 42);  // 0.5 dB HL: 41.5 to even
  EXPECT_EQ(TraceY(-100), -50);  // below -10 dB HL: above the grid, not clipped
  EXPECT_EQ(TraceX(0, 20), 25);
  EXPECT_EQ(TraceX(15, 20), 325);
}

TEST(TestGraph, PaintAxesDrawsTheGridAndRestoresThePen) {
  AppState s;
  RecordingCanvas graph(431, 320, ColourButtonFace);
  graph.SetPenColour(0x00123456);
  graph.MoveTo(65, 49);
  graph.Records.clear();
  PaintAxes(graph, s.Settings.GraphColours);

  const auto rects = graph.Of(Op::Rectangle);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0].x2, 349);
  EXPECT_EQ(rects[0].y2, 299);
  EXPECT_EQ(rects[0].pen, ColourButtonFace);
  EXPECT_EQ(rects[0].brush, ColourButtonFace);

  const auto lines = graph.LinesIn(s.Settings.GraphColours[ColourAxesGrid]);
  ASSERT_EQ(lines.size(), 12u);  // ten grid lines, the level axis, the time axis
  EXPECT_EQ(lines[0].x1, 22);
  EXPECT_EQ(lines[0].x2, 325);
  EXPECT_EQ(lines[9].y1, 280);
  EXPECT_EQ(lines[10].x1, 24);
  EXPECT_EQ(lines[10].y1, 10);
  EXPECT_EQ(lines[10].y2, 280);
  EXPECT_EQ(lines[11].x2, 326);
  const auto texts = graph.Of(Op::TextOut);
  ASSERT_EQ(texts.size(), 11u);
  EXPECT_EQ(texts[0].text, "-10");
  EXPECT_EQ(texts[0].x1, 7);
  EXPECT_EQ(texts[0].y1, 4);
  EXPECT_EQ(texts[9].text, "80");
  EXPECT_EQ(texts[9].y1, 274);
  EXPECT_EQ(texts[10].text, "dB");
  EXPECT_EQ(texts[10].x1, 26);

  EXPECT_EQ(graph.PenColour(), 0x00123456u);
  EXPECT_EQ(graph.PenPos(), (CanvasPoint{65, 49}));
}

TEST(TestGraph, RepaintDrawsTheTraceOfTheCurrentSlot) {
  AppState s;
  s.Run.CurrentEar = 1;
  s.Run.TracePixelStep = 20;
  s.Run.PresentationCount = 0;
  RecordingCanvas graph(431, 320, ColourButtonFace);
  GraphPaint(graph, s);
  EXPECT_TRUE(graph.LinesIn(s.Settings.GraphColours[ColourReversalsRight]).empty());

  s.Run.PresentationCount = 3;
  s.Run.TraceHistory[0] = 40;
  s.Run.TraceHistory[1] = 49;
  s.Run.TraceHistory[2] = 58;
  s.Run.TraceHistory[3] = 49;
  graph.Records.clear();
  GraphPaint(graph, s);
  const auto trace = graph.LinesIn(s.Settings.GraphColours[ColourReversalsRight]);
  ASSERT_EQ(trace.size(), 3u);
  EXPECT_EQ(trace[0].x1, 25);
  EXPECT_EQ(trace[0].y1, 40);
  EXPECT_EQ(trace[2].x1, 65);
  EXPECT_EQ(trace[2].x2, 85);
  EXPECT_EQ(trace[2].y2, 49);
}

TEST(TestGraph, TheTraceNeverReadsBeyondTheHistory) {
  AppState s;
  s.Run.TracePixelStep = 1;
  s.Run.PresentationCount = 500;
  RecordingCanvas graph(431, 320, ColourButtonFace);
  GraphPaint(graph, s);
  EXPECT_EQ(graph.LinesIn(s.Settings.GraphColours[ColourReversalsLeft]).size(), 200u);
}

}  // namespace
}  // namespace sonavel
