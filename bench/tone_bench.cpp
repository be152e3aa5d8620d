// The largest presentation the settings allow (5 s tone + 5 s pause, 441000 frames), synthesised
// by CreateSound and, for comparison, by a plain loop that computes the same frames with std::sin;
// and the same presentation rendered as float frames, as a device that takes float is given it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "audio/tone_synthesis.h"

namespace {

constexpr double Beep = 5.0;
constexpr double Pause = 5.0;

void BM_CreateSound(benchmark::State& state) {
  sonavel::ToneBuffer buffer;
  for (auto _ : state) {
    buffer.Clear();
    sonavel::CreateSound(1000, -20.0, Beep, Pause, buffer, true, 1, 0);
    benchmark::DoNotOptimize(buffer.Data());
  }
  state.SetItemsProcessed(state.iterations() * 441000);
}
BENCHMARK(BM_CreateSound)->Unit(benchmark::kMillisecond);

void BM_RenderFloat(benchmark::State& state) {
  sonavel::ToneBuffer buffer;
  sonavel::CreateSound(1000, -20.0, Beep, Pause, buffer, true, 1, 0);
  std::vector<float> samples;
  for (auto _ : state) {
    sonavel::RenderFloat(buffer, samples);
    benchmark::DoNotOptimize(samples.data());
  }
  state.SetItemsProcessed(state.iterations() * 441000);
}
BENCHMARK(BM_RenderFloat)->Unit(benchmark::kMillisecond);

// The same samples from the same formula, written into a pre-sized vector.
void BM_ReferenceSineLoop(benchmark::State& state) {
  const int64_t toneFrames = static_cast<int64_t>(Beep * 44100);
  const int64_t pauseFrames = static_cast<int64_t>(Pause * 44100);
  std::vector<uint8_t> bytes;
  for (auto _ : state) {
    bytes.assign(static_cast<size_t>(toneFrames + pauseFrames) * 4, 0);
    const double amplitude = 32767.0 * std::pow(10.0, -20.0 / 20.0);
    const double omega = 2.0 * std::numbers::pi * 1000.0;
    uint8_t* out = bytes.data();
    for (int64_t n = 0; n < toneFrames; ++n) {
      const double r = static_cast<double>(n) / static_cast<double>(toneFrames);
      double w = 1.0;
      if (r < 0.25 || r > 0.75) {
        const double s =
            std::sin(2.0 * std::numbers::pi * static_cast<double>(n) / static_cast<double>(toneFrames));
        w = s * s;
      }
      const auto v = static_cast<int32_t>(
          std::nearbyint(std::sin(static_cast<double>(n) * omega / 44100.0) * amplitude * w));
      out[0] = static_cast<uint8_t>(v & 0xFF);
      out[1] = static_cast<uint8_t>((v >> 8) & 0xFF);
      out += 4;
    }
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetItemsProcessed(state.iterations() * 441000);
}
BENCHMARK(BM_ReferenceSineLoop)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// Both loops timed side by side in one run, so that the ratio is printed as one figure.
void BM_CreateSoundVersusReference(benchmark::State& state) {
  sonavel::ToneBuffer buffer;
  std::vector<uint8_t> bytes;
  double synthSeconds = 0, referenceSeconds = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    buffer.Clear();
    sonavel::CreateSound(1000, -20.0, Beep, Pause, buffer, true, 1, 0);
    benchmark::DoNotOptimize(buffer.Data());
    auto t1 = std::chrono::steady_clock::now();
    bytes.assign(441000u * 4, 0);
    const double amplitude = 32767.0 * std::pow(10.0, -20.0 / 20.0);
    const double omega = 2.0 * std::numbers::pi * 1000.0;
    const int64_t toneFrames = 220500;
    for (int64_t n = 0; n < toneFrames; ++n) {
      const double r = static_cast<double>(n) / static_cast<double>(toneFrames);
      double w = 1.0;
      if (r < 0.25 || r > 0.75) {
        const double s =
            std::sin(2.0 * std::numbers::pi * static_cast<double>(n) / static_cast<double>(toneFrames));
        w = s * s;
      }
      const auto v = static_cast<int32_t>(
          std::nearbyint(std::sin(static_cast<double>(n) * omega / 44100.0) * amplitude * w));
      bytes[static_cast<size_t>(n) * 4] = static_cast<uint8_t>(v & 0xFF);
      bytes[static_cast<size_t>(n) * 4 + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
    }
    benchmark::DoNotOptimize(bytes.data());
    auto t2 = std::chrono::steady_clock::now();
    synthSeconds += std::chrono::duration<double>(t1 - t0).count();
    referenceSeconds += std::chrono::duration<double>(t2 - t1).count();
  }
  state.counters["CreateSound_ms"] = 1e3 * synthSeconds / static_cast<double>(state.iterations());
  state.counters["reference_ms"] = 1e3 * referenceSeconds / static_cast<double>(state.iterations());
  state.counters["ratio"] = synthSeconds / referenceSeconds;
}
BENCHMARK(BM_CreateSoundVersusReference)->Unit(benchmark::kMillisecond);

}  // namespace
