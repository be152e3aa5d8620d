// The audiogram chart of the main window (one panel per ear with traces, thresholds and the
// hatching of inaccurate results) and the threshold row under it. One routine draws both.
#pragma once

#include <cstdint>
#include <string>

#include "core/canvas.h"
#include "model/state.h"

namespace sonavel {

// The chart's geometry in single precision, as the drawing rules compute it.
struct ChartGeometry {
  float R = 0;  // height of one 10 dB grid row
  float P = 0;  // pixels per dB
  float B = 0;  // width of one ear panel
  float C = 0;  // width of one column (0 without columns)
  int32_t N = 0;

  double X(int32_t panel) const { return 20.0 + panel * (static_cast<double>(B) + 10.0); }
  double Y(double level) const { return 10.0 + static_cast<double>(R) + level * static_cast<double>(P); }
};

ChartGeometry ChartGeometryFor(int32_t width, int32_t height, int32_t columns);

// The record slots (0..10) that are columns: with results, those where either ear has reversals;
// without, those whose frequency check box is set.
int32_t DataColumnCount(const PatientFile& audiogram);
int32_t SettingsColumnCount(const SettingsRecord& settings);

// Draws the chart on `chart` and the threshold values on `thresholdRow` from the state's
// audiogram, frequency table, ResultsPresent and settings; returns the new text of the date
// label under the chart.
std::string pbxAudiogramPaint(Canvas& chart, Canvas& thresholdRow, const AppState& state);

}  // namespace sonavel
