// The rhythm of the presentations on a real sound server: successive buffers (tone + pause)
// played with PlayToneBuffer while ToneDone is polled every 50 ms, as the hearing test does.
// The onsets are found in a recording of the sink's monitor; the benchmark reports how far the
// interval between two onsets lies from the nominal period (mean error, standard deviation).
// It needs a sound server: run it as
//   tests/integration/with_pulse.sh build/default/bench/sonavel_bench --benchmark_filter=Presentation
// Without one it is skipped.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <vector>

#include "../tests/integration/monitor_recorder.h"
#include "audio/tone_output.h"
#include "audio/tone_synthesis.h"
#include "platform/alsa/alsa_wave_out.h"
#include "platform/pulse/pulse_wave_out.h"

namespace {

using namespace sonavel;

constexpr double Beep = 0.3;
constexpr double Pause = 0.2;
constexpr int Presentations = 12;

void PresentationOnsets(benchmark::State& state, bool viaAlsa) {
  std::string error;
  std::shared_ptr<PulseConnection> pulse = PulseConnection::Connect(error);
  if (!pulse) {
    state.SkipWithError(("no sound server: " + error).c_str());
    return;
  }
  const char* sink = std::getenv("SONAVEL_TEST_SINK");
  test::MonitorRecorder recorder;
  if (!recorder.Start(std::string(sink ? sink : "sonavel_null") + ".monitor") ||
      !recorder.WaitFrames(4410, 10)) {
    state.SkipWithError("parec records nothing");
    return;
  }
  std::unique_ptr<WaveOut> wave;
  int32_t device = WaveMapper;
  if (viaAlsa) {
    wave = std::make_unique<AlsaWaveOut>();
    const auto pcms = AlsaPlaybackPcms();
    for (size_t i = 0; i < pcms.size(); ++i)
      if (pcms[i].name == "pulse") device = static_cast<int32_t>(i);
  } else {
    wave = std::make_unique<PulseWaveOut>(pulse);
  }
  ToneOutput out(*wave);
  if (out.OpenToneOutput(device) != WaveOk) {
    state.SkipWithError(out.FailureText().c_str());
    return;
  }
  ToneBuffer buffer;
  CreateSound(1000, 0, 0, 0.5, buffer, true, 1, 0);  // warm-up: half a second of silence
  out.PlayToneBuffer(buffer);
  while (!out.ToneDone()) std::this_thread::sleep_for(std::chrono::milliseconds(10));

  std::vector<double> intervals;
  for (auto _ : state) {
    const size_t from = recorder.Frames();
    for (int i = 0; i < Presentations; ++i) {
      buffer.Clear();
      CreateSound(1000, -20, Beep, Pause, buffer, true, 1, 0);
      out.PlayToneBuffer(buffer);
      while (!out.ToneDone()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    recorder.WaitFrames(recorder.Frames() + 22050, 10);
    // Onsets: the first sound after at least 0.1 s of silence.
    const auto x = recorder.Channel(0);
    std::vector<size_t> onsets;
    size_t quiet = 4410;
    for (size_t n = from; n < x.size(); ++n) {
      if (x[n] == 0) {
        ++quiet;
        continue;
      }
      if (quiet >= 4410) onsets.push_back(n);
      quiet = 0;
    }
    for (size_t i = 1; i < onsets.size(); ++i) intervals.push_back((onsets[i] - onsets[i - 1]) / 44100.0);
  }
  out.CloseToneOutput();
  if (intervals.empty()) {
    state.SkipWithError("no onsets recorded");
    return;
  }
  double mean = 0;
  for (double v : intervals) mean += v;
  mean /= static_cast<double>(intervals.size());
  double var = 0;
  for (double v : intervals) var += (v - mean) * (v - mean);
  const double sd = std::sqrt(var / static_cast<double>(intervals.size()));
  state.counters["period_ms"] = 1000 * (Beep + Pause);
  state.counters["mean_error_ms"] = 1000 * (mean - (Beep + Pause));
  state.counters["sd_ms"] = 1000 * sd;
  state.counters["intervals"] = static_cast<double>(intervals.size());
}

void BM_PresentationOnsetsPulse(benchmark::State& state) { PresentationOnsets(state, false); }
void BM_PresentationOnsetsAlsaPulsePcm(benchmark::State& state) { PresentationOnsets(state, true); }
BENCHMARK(BM_PresentationOnsetsPulse)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_PresentationOnsetsAlsaPulsePcm)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
