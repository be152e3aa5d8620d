// The real-time test window's graph repainted with a full trace of the slot (200 presentations,
// the most the history holds), as after the window was covered or shown again during a run.
#include <benchmark/benchmark.h>

#include "app/hearing_test_window.h"
#include "hearingtest/graph.h"
#include "model/state.h"

namespace {

void BM_TestGraphRepaintFullTrace(benchmark::State& state) {
  sonavel::AppState app;
  app.Run.CurrentEar = 1;
  app.Run.TracePixelStep = 2;
  app.Run.PresentationCount = sonavel::TraceHistorySize - 1;
  // A staircase going up and down between -40 and -10 (internal levels) in 3 dB steps.
  double level = -40;
  int direction = 1;
  for (int32_t i = 0; i < sonavel::TraceHistorySize; ++i) {
    app.Run.TraceHistory[static_cast<size_t>(i)] = sonavel::TraceY(level);
    if (level + 3 * direction > -10 || level + 3 * direction < -40) direction = -direction;
    level += 3 * direction;
  }
  sonavel::TfrmTest window;
  window.Attach(app);
  for (auto _ : state) {
    window.GraphPaint();
    benchmark::DoNotOptimize(window.GraphImage().constBits());
  }
  state.counters["points"] = sonavel::TraceHistorySize - 1;
}
BENCHMARK(BM_TestGraphRepaintFullTrace)->Unit(benchmark::kMicrosecond);

}  // namespace
