// The pause between two presentations as the listener hears it, on the real driver: the desktop
// program runs a short New Test on the null sink of a private sound server, its monitor is
// recorded, and each time from a tone's last sample to the next tone's first sample is compared
// with the nominal pause (the silence at the end of each presentation's buffer). What comes on
// top is the poll of the done flag, the next buffer's synthesis and the server's latency.
//   tests/integration/with_pulse.sh build/default/bench/sonavel_app_bench --benchmark_filter=Gap
#include <benchmark/benchmark.h>

#include <cmath>

#include "integration/monitor_recorder.h"
#include "integration/null_sink.h"
#include "integration/program_on_null_sink.h"

namespace {

using sonavel::test::Burst;

void BM_PresentationGapOnTheNullSink(benchmark::State& state) {
  sonavel::test::KeepAlive keepAlive;
  sonavel::test::MonitorRecorder recorder;
  if (!keepAlive.ok || !recorder.Start(sonavel::test::MonitorSource()) || !recorder.WaitFrames(4410, 10)) {
    state.SkipWithError("no sound server to record from: run under tests/integration/with_pulse.sh");
    return;
  }
  // Tones of 0.5 s and the default pause of 1 s.
  const sonavel::SettingsRecord s = sonavel::test::TwoFrequencyTest("0.5", "1");
  const double beepFrames = 0.5 * 44100, pauseMs = 1000;

  std::vector<double> gaps;
  for (auto _ : state) {
    sonavel::test::NullSinkProgram program(s);
    if (!program.Start(10)) {
      state.SkipWithError(program.Error.c_str());
      return;
    }
    const size_t from = recorder.Frames();
    program.Main().NewTest1Click();
    recorder.WaitFrames(recorder.Frames() + 22050, 10);
    const auto bursts = sonavel::test::Bursts(recorder.Channel(0), recorder.Channel(1), from);
    if (bursts.size() != program.Presentations.size()) {
      state.SkipWithError("the recording does not hold one tone per presentation");
      return;
    }
    // The ramps' outermost samples round to zero: half of what is missing from a tone's length
    // lies before its first non-zero sample, half after its last.
    auto edge = [&](const Burst& b) { return (beepFrames - static_cast<double>(b.end - b.begin)) / 2; };
    for (size_t i = 1; i < bursts.size(); ++i) {
      const double end = static_cast<double>(bursts[i - 1].end) + edge(bursts[i - 1]);
      const double begin = static_cast<double>(bursts[i].begin) - edge(bursts[i]);
      gaps.push_back((begin - end) / 44.1);
    }
  }
  double sum = 0, squares = 0;
  for (double g : gaps) sum += g;
  const double mean = sum / static_cast<double>(gaps.size());
  for (double g : gaps) squares += (g - mean) * (g - mean);
  state.counters["gap_ms"] = mean;
  state.counters["gap_sd_ms"] = std::sqrt(squares / static_cast<double>(gaps.size() - 1));
  state.counters["nominal_pause_ms"] = pauseMs;
  state.counters["gaps"] = static_cast<double>(gaps.size());
}
BENCHMARK(BM_PresentationGapOnTheNullSink)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
