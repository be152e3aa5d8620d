#include "results/audiogram_chart.h"

#include <algorithm>

#include "core/regional.h"
#include "core/rounding.h"
#include "results/analysis.h"
#include "results/date_label.h"
#include "results/results_summary.h"

namespace sonavel {

namespace {

constexpr int32_t ChartSlots = MeasuredSlotCount;  // record slots 0..10; the 1 kHz repeat is never a column

// A rounded pixel coordinate. Levels read from a file can be anything; far outside the area they
// are held at a distance that cannot overflow when the rules add a few pixels to them.
int32_t Px(double v) {
  return static_cast<int32_t>(std::clamp<int64_t>(RoundHalfEven(v), -1'000'000, 1'000'000));
}

bool IsDataColumn(const PatientFile& a, int32_t r) {
  return a.Reverse[0][r][0] > 0 || a.Reverse[1][r][0] > 0;
}

bool IsThresholdColumn(const PatientFile& a, int32_t r) {
  return a.Threshold[0][r] < NoResult || a.Threshold[1][r] < NoResult;
}

// A row can hold 20 reversal entries; a larger count from a file draws the ones it has.
int32_t DrawnEntries(const ReverseRow& row) { return std::min(row[0], MaxReversalEntries); }

void PaintAxes(Canvas& chart, Canvas& thresholdRow, const ChartGeometry& g, Colour axes) {
  thresholdRow.FillAll();
  chart.FillAll();
  const Colour savedPen = chart.PenColour();
  const CanvasPoint savedPos = chart.PenPos();
  chart.SetPenColour(axes);
  for (int32_t i = 0; i < 2; ++i) {
    const int32_t x = Px(g.X(i));
    chart.MoveTo(x, 10);
    chart.LineTo(x, Px(10.0 + 8.0 * g.R));
    for (int32_t j = 0; j <= 8; ++j) {
      const int32_t y = Px(10.0 + j * static_cast<double>(g.R));
      chart.MoveTo(x, y);
      chart.LineTo(Px(g.X(i) + g.B), y);
      chart.TextOut(0, Px(j * static_cast<double>(g.R) + 2.0), std::to_string(10 * j - 10));
    }
  }
  chart.SetPenColour(savedPen);
  chart.MoveTo(savedPos.x, savedPos.y);
}

}  // namespace

ChartGeometry ChartGeometryFor(int32_t width, int32_t height, int32_t columns) {
  ChartGeometry g;
  g.R = static_cast<float>(height) / 9.0f;
  g.P = static_cast<float>(height) / 90.0f;
  g.B = (static_cast<float>(width) - 37.0f) / 2.0f;
  g.N = columns;
  g.C = columns > 0 ? g.B / static_cast<float>(columns) : 0.0f;
  return g;
}

int32_t DataColumnCount(const PatientFile& audiogram) {
  int32_t n = 0;
  for (int32_t r = 0; r < ChartSlots; ++r) n += IsDataColumn(audiogram, r) ? 1 : 0;
  return n;
}

int32_t SettingsColumnCount(const SettingsRecord& settings) {
  int32_t n = 0;
  for (int32_t r = 0; r < ChartSlots; ++r) n += FrequencyCheck(settings, r + 1) ? 1 : 0;
  return n;
}

std::string pbxAudiogramPaint(Canvas& chart, Canvas& thresholdRow, const AppState& state) {
  const PatientFile& a = state.CurrentAudiogram;
  const SettingsRecord& s = state.Settings;
  const GraphColourSet& colours = s.GraphColours;
  const int32_t columns = state.ResultsPresent ? DataColumnCount(a) : SettingsColumnCount(s);
  const ChartGeometry g = ChartGeometryFor(chart.Width(), chart.Height(), columns);
  const double C = g.C;

  PaintAxes(chart, thresholdRow, g, colours[ColourAxesGrid]);
  const std::string dateLabel = DateTimeLabelText(a, state.ResultsPresent);

  // Column lines.
  if (g.N > 0) {
    chart.SetPenColour(colours[ColourAxesGrid]);
    for (int32_t i = 0; i < 2; ++i)
      for (int32_t k = 0; k <= g.N; ++k) {
        const int32_t x = Px(g.X(i) + k * C);
        chart.MoveTo(x, 10);
        chart.LineTo(x, Px(10.0 + 8.0 * g.R) + 1);
      }
  }

  const int32_t labelY = Px(8.0 * g.R + 15.0);
  auto frequency = [&](int32_t r) { return std::to_string(RecordSlotFrequency(state.FrequencyTable, r)); };

  // Frequency labels of the settings columns, while nothing has been measured.
  if (!state.ResultsPresent) {
    for (int32_t i = 0; i < 2; ++i) {
      int32_t k = 0;
      for (int32_t r = 0; r < ChartSlots; ++r)
        if (FrequencyCheck(s, r + 1)) {
          ++k;
          chart.TextOut(Px(g.X(i) - 10.0 + (k - 0.5) * C), labelY, frequency(r));
        }
    }
  }

  // Frequency labels of the data columns and the threshold row.
  for (int32_t i = 0; i < 2; ++i) {
    int32_t k = 0;
    for (int32_t r = 0; r < ChartSlots; ++r) {
      if (!IsDataColumn(a, r)) continue;
      ++k;
      chart.TextOut(Px(g.X(i) - 10.0 + (k - 0.5) * C), labelY, frequency(r));
      if (a.Threshold[i][r] != NoResult)
        thresholdRow.TextOut(Px(g.X(i) + (k - 0.5) * C), -1, std::to_string(a.Threshold[i][r]));
    }
  }

  // Hatching over columns without a result of this ear or with an inaccurate one.
  if (s.MarkSuspicious) {
    // The dialog keeps the field a whole number; while it is being edited, the default holds.
    const int32_t minReversals = MinReversalsOf(s);
    for (int32_t i = 0; i < 2; ++i) {
      chart.SetPenColour(colours[ColourAxesGrid]);
      chart.SetBrush(BrushStyle::ForwardDiagonal, colours[ColourAxesGrid]);
      int32_t k = 0;
      for (int32_t r = 0; r < ChartSlots; ++r) {
        if (!IsDataColumn(a, r)) continue;
        ++k;
        if (a.Reverse[i][r][0] <= 0 || InaccurateResult(a, i, r, minReversals))
          chart.Rectangle(Px(g.X(i) + (k - 1) * C), 10, Px(g.X(i) + 1.0 + k * C), Px(8.0 * g.R + 11.0));
      }
      chart.SetBrush(BrushStyle::Solid, colours[ColourAudiogramBackground]);
    }
  }

  // Level traces through the reversal entries.
  if (s.ShowReversals) {
    const int32_t levelStart = ParseWholeNumber(s.LevelStart).value_or(0);
    const double bottomLine = 10.0 + static_cast<double>(g.R) + 70.0 * static_cast<double>(g.P);
    for (int32_t i = 0; i < 2; ++i) {
      chart.SetPenColour(colours[i == 0 ? ColourReversalsLeft : ColourReversalsRight]);
      int32_t start = Px(g.Y(levelStart));
      int32_t k = 0;
      for (int32_t r = 0; r < ChartSlots; ++r) {
        if (!IsDataColumn(a, r)) continue;
        ++k;
        const ReverseRow& row = a.Reverse[i][r];
        const int32_t n = DrawnEntries(row);
        if (n <= 0) continue;
        const double step = C / n;
        const double left = g.X(i) + (k - 1) * C;
        chart.MoveTo(Px(left), start);
        for (int32_t e = 1; e <= n; ++e) chart.LineTo(Px(left + e * step), Px(g.Y(row[e])));
        start = Px(g.Y(row[n]));
        if (start > bottomLine) start = Px(g.Y(levelStart));
      }
    }
  }

  // Thresholds: a cross for the left ear, a circle for the right, joined by lines.
  if (s.ShowThresholds) {
    for (int32_t i = 0; i < 2; ++i) {
      chart.SetPenColour(colours[i == 0 ? ColourThresholdsLeft : ColourThresholdsRight]);
      bool havePrevious = false;
      int32_t previous = 0;
      int32_t k = 0;
      for (int32_t r = 0; r < ChartSlots; ++r) {
        if (!IsThresholdColumn(a, r)) continue;
        ++k;
        const int32_t T = a.Threshold[i][r];
        if (T >= NoResult) continue;
        const double cx = g.X(i) + (k - 0.5) * C;
        const double yf = g.Y(T);
        const int32_t y = Px(yf);
        if (i == 0) {
          chart.MoveTo(Px(cx - 3.0), y - 3);
          chart.LineTo(Px(cx + 3.0), y + 3);
          chart.MoveTo(Px(cx + 2.0), y - 3);
          chart.LineTo(Px(cx - 4.0), y + 3);
        } else {
          chart.SetBrush(BrushStyle::Solid, colours[ColourAudiogramBackground]);
          chart.Ellipse(Px(cx - 3.0), Px(yf - 3.0), Px(cx + 3.0), y + 3);
        }
        if (k > 1 && havePrevious) {
          chart.MoveTo(Px(g.X(i) + (k - 1.5) * C), Px(g.Y(previous)));
          chart.LineTo(Px(cx), y);
        }
        havePrevious = true;
        previous = T;
      }
    }
  }

  return dateLabel;
}

}  // namespace sonavel
