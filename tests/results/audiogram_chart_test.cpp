#include "results/audiogram_chart.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "core/recording_canvas.h"

namespace sonavel {
namespace {

using Op = RecordingCanvas::Op;

struct Chart {
  RecordingCanvas chart;
  RecordingCanvas row;
  std::string label;
  Chart(int32_t w, int32_t h, const AppState& s)
      : chart(w, h, s.Settings.GraphColours[ColourAudiogramBackground]),
        row(w, 19, s.Settings.GraphColours[ColourApplicationBackground]) {
    label = pbxAudiogramPaint(chart, row, s);
  }
  std::vector<RecordingCanvas::Record> Texts(const RecordingCanvas& c, const std::string& text) const {
    std::vector<RecordingCanvas::Record> out;
    for (const auto& r : c.Of(Op::TextOut))
      if (r.text == text) out.push_back(r);
    return out;
  }
};

void SetRow(AppState& s, int ear, int slot, std::initializer_list<int32_t> levels, int32_t threshold,
            int32_t spread = 0) {
  ReverseRow row{};
  row[0] = static_cast<int32_t>(levels.size());
  int k = 1;
  for (int32_t v : levels) row[k++] = v;
  row[SpreadElement] = spread;
  s.CurrentAudiogram.Reverse[ear][slot] = row;
  s.CurrentAudiogram.Threshold[ear][slot] = threshold;
}

AppState WithResults() {
  AppState s;
  s.ResultsPresent = true;
  s.CurrentAudiogram.TestDateStamp = "07-03-2018";
  s.CurrentAudiogram.TestTimeStamp = "9h5";
  return s;
}

TEST(AudiogramChart, GeometryOfTheMainWindowChart) {
  const ChartGeometry g = ChartGeometryFor(844, 353, 9);
  EXPECT_NEAR(g.R, 39.22, 0.005);
  EXPECT_NEAR(g.P, 3.922, 0.0005);
  EXPECT_EQ(g.B, 403.5f);
  EXPECT_NEAR(g.C, 44.83, 0.005);
  EXPECT_EQ(g.X(1), 433.5);

  AppState s = WithResults();
  for (int r = 1; r <= 9; ++r) SetRow(s, 0, r, {30, 20, 30, 20, 30, 20}, 25);
  Chart c(844, 353, s);
  // Panel axes at x = 20 and 434 (433.5 to even), from y = 10 to the bottom line at 324.
  const auto lines = c.chart.LinesIn(s.Settings.GraphColours[ColourAxesGrid]);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0].x1, 20);
  EXPECT_EQ(lines[0].y1, 10);
  EXPECT_EQ(lines[0].y2, 324);
  const auto panel1Axis =
      std::find_if(lines.begin(), lines.end(), [](const auto& l) { return l.x1 == 434 && l.x2 == 434; });
  ASSERT_NE(panel1Axis, lines.end());
  EXPECT_EQ(panel1Axis->y2, 324);
  // The level labels, drawn once per panel at the same place.
  EXPECT_EQ(c.Texts(c.chart, "-10").size(), 2u);
  EXPECT_EQ(c.Texts(c.chart, "70")[0].y1, 316);  // 8 R + 2 = 315.78
  EXPECT_EQ(c.label, "Testdatum: 07-03-2018 Uhrzeit: 9h5.");
}

TEST(AudiogramChart, AfterNewTheSettingsColumnsAreShown) {
  AppState s;  // cleared audiogram, no results, default frequency choice (8 columns)
  Chart c(844, 353, s);
  EXPECT_EQ(c.label, "");
  EXPECT_TRUE(c.row.Of(Op::TextOut).empty());
  EXPECT_EQ(c.row.Of(Op::FillAll).size(), 1u);
  // 2 panels x 9 column lines, each from the top line to one below the bottom line.
  int columnLines = 0;
  for (const auto& l : c.chart.Of(Op::LineTo))
    if (l.x1 == l.x2 && l.y1 == 10 && l.y2 == 325) ++columnLines;
  EXPECT_EQ(columnLines, 18);
  // Labels: 250 first in each panel, 10 left of the centre of column 1 (C = 50.4375).
  const auto label250 = c.Texts(c.chart, "250");
  ASSERT_EQ(label250.size(), 2u);
  EXPECT_EQ(label250[0].x1, 35);   // 20 - 10 + 25.22
  EXPECT_EQ(label250[0].y1, 329);  // 8 R + 15 = 328.78
  EXPECT_TRUE(c.Texts(c.chart, "125").empty());
  EXPECT_TRUE(c.chart.Of(Op::Rectangle).empty());
  EXPECT_TRUE(c.chart.Of(Op::Ellipse).empty());
}

TEST(AudiogramChart, DataColumnsFollowTheMeasuredSlots) {
  AppState s = WithResults();
  for (int r = 1; r <= 10; ++r) {
    SetRow(s, 0, r, {20, 10}, 10);
    SetRow(s, 1, r, {25, 15}, 15);
  }
  Chart c(844, 353, s);
  const auto label250 = c.Texts(c.chart, "250");
  ASSERT_EQ(label250.size(), 2u);
  EXPECT_EQ(label250[0].x1, 30);  // 20 - 10 + 0.5 * 40.35
  EXPECT_TRUE(c.Texts(c.chart, "125").empty());
  // The threshold row prints each value under its column centre, using the chart's geometry.
  const auto rowTexts = c.row.Of(Op::TextOut);
  ASSERT_EQ(rowTexts.size(), 20u);
  EXPECT_EQ(rowTexts[0].text, "10");
  EXPECT_EQ(rowTexts[0].x1, 40);  // 20 + 20.175
  EXPECT_EQ(rowTexts[0].y1, -1);
  EXPECT_EQ(rowTexts[10].text, "15");
  EXPECT_EQ(rowTexts[10].x1, 454);  // 433.5 + 20.175
}

TEST(AudiogramChart, ReversalPointsAreSpreadOverTheColumn) {
  // Two columns of width 60 (B = 120) and a height of 90: R = 10, P = 1, Y(L) = 20 + L.
  AppState s = WithResults();
  s.Settings.LevelStart = "0";
  SetRow(s, 0, 2, {40, 46, 37, 43, 40, 46}, 43);
  SetRow(s, 0, 4, {50, 44}, 44);
  Chart c(277, 90, s);
  const auto trace = c.chart.LinesIn(s.Settings.GraphColours[ColourReversalsLeft]);
  ASSERT_EQ(trace.size(), 8u);
  const int32_t expectedX[] = {30, 40, 50, 60, 70, 80};
  const int32_t expectedY[] = {60, 66, 57, 63, 60, 66};
  EXPECT_EQ(trace[0].x1, 20);
  EXPECT_EQ(trace[0].y1, 20);  // enters at the start level, 0 dB HL
  for (int e = 0; e < 6; ++e) {
    EXPECT_EQ(trace[e].x2, expectedX[e]) << e;
    EXPECT_EQ(trace[e].y2, expectedY[e]) << e;
  }
  EXPECT_EQ(trace[6].x1, 80);  // the next column starts on its left line ...
  EXPECT_EQ(trace[6].y1, 66);  // ... at the level 46 where the previous trace ended
  EXPECT_EQ(trace[7].x2, 140);
}

TEST(AudiogramChart, ATraceEndingAtTheBottomRestartsOnlyWhenItRoundsBelowTheLine) {
  struct Case {
    int32_t height;
    bool restarts;
  } cases[] = {{353, true}, {352, true}, {356, false}, {90, false}};
  for (const auto& c : cases) {
    AppState s = WithResults();
    s.Settings.LevelStart = "20";
    SetRow(s, 1, 2, {60, 70}, 70);
    SetRow(s, 1, 3, {50, 40}, 45);
    Chart chart(844, c.height, s);
    const auto trace = chart.chart.LinesIn(s.Settings.GraphColours[ColourReversalsRight]);
    ASSERT_EQ(trace.size(), 4u);
    const ChartGeometry g = ChartGeometryFor(844, c.height, 2);
    const int32_t at70 = static_cast<int32_t>(std::nearbyint(g.Y(70)));
    const int32_t at20 = static_cast<int32_t>(std::nearbyint(g.Y(20)));
    EXPECT_EQ(trace[2].y1, c.restarts ? at20 : at70) << c.height;
  }
}

TEST(AudiogramChart, ThresholdsAreJoinedFromThePreviousColumnCentre) {
  AppState s = WithResults();
  SetRow(s, 0, 1, {30, 20}, 20);  // column 1
  SetRow(s, 1, 2, {30, 20}, 25);  // column 2: right ear only
  SetRow(s, 0, 3, {40, 30}, 35);  // column 3
  SetRow(s, 1, 3, {40, 30}, 40);
  Chart c(277, 90, s);  // B = 120, three columns: C = 40
  const auto left = c.chart.LinesIn(s.Settings.GraphColours[ColourThresholdsLeft]);
  // Two crosses of two strokes each and one joining line.
  ASSERT_EQ(left.size(), 5u);
  EXPECT_EQ(left[0].x1, 37);  // cx = 40, cross from (cx - 3, y - 3) ...
  EXPECT_EQ(left[0].y1, 37);  // Y(20) = 40
  EXPECT_EQ(left[0].x2, 43);
  EXPECT_EQ(left[0].y2, 43);
  EXPECT_EQ(left[1].x1, 42);
  EXPECT_EQ(left[1].x2, 36);
  const auto& join = left[4];
  EXPECT_EQ(join.x1, 80);  // centre of column 2
  EXPECT_EQ(join.y1, 40);  // at the level of the column-1 threshold
  EXPECT_EQ(join.x2, 120);
  EXPECT_EQ(join.y2, 55);
  // The right ear's first threshold stands in column 2: one joining line, to column 3.
  const auto right = c.chart.LinesIn(s.Settings.GraphColours[ColourThresholdsRight]);
  ASSERT_EQ(right.size(), 1u);
  EXPECT_EQ(right[0].x1, 80 + 130);
  const auto circles = c.chart.Of(Op::Ellipse);
  ASSERT_EQ(circles.size(), 2u);
  EXPECT_EQ(circles[0].x1, 207);  // 20 + 130 + 60 - 3
  EXPECT_EQ(circles[0].y1, 42);
  EXPECT_EQ(circles[0].x2, 213);
  EXPECT_EQ(circles[0].y2, 48);
  EXPECT_EQ(circles[0].brush, s.Settings.GraphColours[ColourAudiogramBackground]);
}

TEST(AudiogramChart, ColumnsWithoutAResultOfThisEarAreHatched) {
  AppState s = WithResults();
  SetRow(s, 1, 3, {30, 20, 30, 20, 30, 20}, 25);  // right ear only
  SetRow(s, 0, 5, {30, 20, 30, 20, 30, 20}, 25);
  SetRow(s, 1, 5, {30, 20, 30, 20}, 25);              // too few reversals
  SetRow(s, 0, 6, {30, 20, 30, 20, 30, 20}, 25, 11);  // spread above the limit
  SetRow(s, 1, 6, {30, 20, 30, 20, 30, 20}, 25, 10);
  Chart c(277, 90, s);  // three columns of 40
  const auto hatches = c.chart.Of(Op::Rectangle);
  ASSERT_EQ(hatches.size(), 3u);
  // Left panel, column 1 (slot 3 has no left result): from its left line to its right line.
  EXPECT_EQ(hatches[0].x1, 20);
  EXPECT_EQ(hatches[0].y1, 10);
  EXPECT_EQ(hatches[0].x2, 61);
  EXPECT_EQ(hatches[0].y2, 91);
  EXPECT_EQ(hatches[0].brushStyle, BrushStyle::ForwardDiagonal);
  EXPECT_EQ(hatches[1].x1, 100);  // left panel, column 3 (spread 11)
  EXPECT_EQ(hatches[2].x1, 190);  // right panel, column 2 (4 of 6 reversals)
  // No left trace and no cross in the right-only column; the row shows only the right value.
  for (const auto& l : c.chart.LinesIn(s.Settings.GraphColours[ColourReversalsLeft])) EXPECT_GE(l.x1, 60);
  const auto rowTexts = c.row.Of(Op::TextOut);
  ASSERT_EQ(rowTexts.size(), 5u);
  EXPECT_EQ(rowTexts[0].x1, 80);  // the left ear's first value stands in its column 2

  s.Settings.ReverseEdit = "4";
  Chart fewer(277, 90, s);
  EXPECT_EQ(fewer.chart.Of(Op::Rectangle).size(), 2u);
}

TEST(AudiogramChart, SwitchesRemoveExactlyTheirLayerAndKeepTheOrder) {
  AppState s = WithResults();
  SetRow(s, 0, 2, {30, 20, 30, 20}, 25);
  SetRow(s, 1, 2, {30, 20, 30, 20, 30, 20}, 25);
  const GraphColourSet& col = s.Settings.GraphColours;
  auto layers = [&](const RecordingCanvas& chart) {
    std::string order;
    for (const auto& r : chart.Records) {
      char layer = 0;
      if (r.op == Op::Rectangle) layer = 'h';
      if (r.op == Op::LineTo && (r.pen == col[0] || r.pen == col[1])) layer = 't';
      if ((r.op == Op::LineTo && (r.pen == col[5] || r.pen == col[6])) || r.op == Op::Ellipse) layer = 'x';
      if (layer && (order.empty() || order.back() != layer)) order.push_back(layer);
    }
    return order;
  };
  EXPECT_EQ(layers(Chart(844, 353, s).chart), "htx");
  s.Settings.MarkSuspicious = false;
  EXPECT_EQ(layers(Chart(844, 353, s).chart), "tx");
  s.Settings.MarkSuspicious = true;
  s.Settings.ShowReversals = false;
  EXPECT_EQ(layers(Chart(844, 353, s).chart), "hx");
  s.Settings.ShowReversals = true;
  s.Settings.ShowThresholds = false;
  EXPECT_EQ(layers(Chart(844, 353, s).chart), "ht");
}

TEST(AudiogramChart, ValuesFromABrokenFileStayBounded) {
  AppState s = WithResults();
  s.CurrentAudiogram.Reverse[0][0][0] = 5000;  // more entries than a row holds
  for (int e = 1; e < 22; ++e) s.CurrentAudiogram.Reverse[0][0][e] = INT32_MIN + e;
  s.CurrentAudiogram.Threshold[0][0] = INT32_MIN;
  s.CurrentAudiogram.Threshold[1][0] = 999;
  s.Settings.LevelStart = "abc";
  s.Settings.ReverseEdit = "";
  Chart c(844, 353, s);
  const auto trace = c.chart.LinesIn(s.Settings.GraphColours[ColourReversalsLeft]);
  EXPECT_EQ(trace.size(), 20u);
  for (const auto& r : c.chart.Records) {
    EXPECT_LE(std::abs(r.y1), 1'000'003);
    EXPECT_LE(std::abs(r.y2), 1'000'003);
  }
}

}  // namespace
}  // namespace sonavel
