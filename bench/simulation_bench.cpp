// Whole simulated hearing tests: the wall time of one audiogram beside the time its tone
// synthesis takes, and the procedure's own accuracy over many listeners with random thresholds.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>

#include "audio/tone_synthesis.h"
#include "platform/sim/simulation.h"

namespace {

using sonavel::SimulationSetup;

// The largest default-like test: trial run, all eleven frequencies per ear, the 1 kHz repeat and
// the automatic retest.
SimulationSetup FullTest() {
  SimulationSetup setup;
  for (int32_t slot = 1; slot <= 11; ++slot) sonavel::FrequencyCheck(setup.settings, slot) = true;
  for (auto& ear : setup.listener.thresholds)
    for (size_t i = 0; i < ear.size(); ++i) ear[i] = 5.0 + 5.0 * static_cast<double>(i);
  return setup;
}

void BM_SimulatedAudiogram(benchmark::State& state) {
  const SimulationSetup setup = FullTest();
  int64_t presentations = 0;
  for (auto _ : state) {
    const sonavel::SimulationResult r = sonavel::RunSimulation(setup);
    presentations = r.presentations;
    benchmark::DoNotOptimize(r.state.CurrentAudiogram.Threshold);
  }
  // What its tone synthesis alone costs: as many presentations of the default length.
  sonavel::ToneBuffer buffer;
  const auto t0 = std::chrono::steady_clock::now();
  for (int64_t i = 0; i < presentations; ++i) {
    buffer.Clear();
    sonavel::CreateSound(1000, -40.0, 1.0, 1.0, buffer, true, 1, 0);
    benchmark::DoNotOptimize(buffer.Data());
  }
  const double synthesis = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  state.counters["presentations"] = static_cast<double>(presentations);
  state.counters["CreateSound_sum_ms"] = synthesis * 1e3;
}
BENCHMARK(BM_SimulatedAudiogram)->Unit(benchmark::kMillisecond)->Iterations(5);

// 200 listeners with thresholds drawn uniformly from 0 to 60 dB HL (seeded), each tested with the
// default settings: the mean and standard deviation of measured minus true threshold per
// frequency, for a listener who hears exactly at threshold and for one with a psychometric slope
// of 2 dB.
void BM_ProcedureAccuracy(benchmark::State& state) {
  constexpr int Listeners = 200;
  const bool withSlope = state.range(0) != 0;
  const char* names[11] = {"125",  "250",  "500",  "750",  "1000", "1500",
                           "2000", "3000", "4000", "6000", "8000"};
  for (auto _ : state) {
    std::mt19937_64 rng(20261210);
    std::uniform_real_distribution<double> threshold(0.0, 60.0);
    double sum[11] = {}, sumSq[11] = {};
    int count[11] = {};
    for (int n = 0; n < Listeners; ++n) {
      SimulationSetup setup;
      for (auto& ear : setup.listener.thresholds)
        for (double& t : ear) t = threshold(rng);
      if (withSlope) setup.listener.slope = 2.0;
      setup.listener.seed = static_cast<uint64_t>(n + 1);
      const sonavel::SimulationResult r = sonavel::RunSimulation(setup);
      for (int ear = 0; ear < 2; ++ear)
        for (int slot = 0; slot < 11; ++slot) {
          const int32_t measured = r.state.CurrentAudiogram.Threshold[ear][slot];
          if (measured >= sonavel::NoResult) continue;
          const double d = measured - setup.listener.thresholds[ear][slot];
          sum[slot] += d;
          sumSq[slot] += d * d;
          ++count[slot];
        }
    }
    std::printf("\nmeasured - true threshold over %d listeners%s (dB):\n%8s %6s %8s %6s\n", Listeners,
                withSlope ? " with a 2 dB slope" : "", "Hz", "mean", "sd", "n");
    for (int slot = 0; slot < 11; ++slot) {
      if (count[slot] == 0) continue;
      const double mean = sum[slot] / count[slot];
      const double sd = std::sqrt(std::max(0.0, sumSq[slot] / count[slot] - mean * mean));
      std::printf("%8s %6.2f %8.2f %6d\n", names[slot], mean, sd, count[slot]);
      state.counters[std::string("mean_") + names[slot]] = mean;
      state.counters[std::string("sd_") + names[slot]] = sd;
    }
  }
}
BENCHMARK(BM_ProcedureAccuracy)->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
