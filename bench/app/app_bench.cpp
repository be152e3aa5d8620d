// The desktop program: from nothing to the main window shown (splash skipped, simulated devices,
// an existing settings key), and the repaint of the audiogram chart with its threshold row at
// the size it has at start and at a 4K size.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/main_window.h"
#include "app/program.h"
#include "platform/keyfile/key_file.h"
#include "settings/registry.h"

namespace {

// A settings key that asks nothing at start.
std::string MakeKey(const QTemporaryDir& dir) {
  const std::string path = (dir.path() + "/Sonavel.reg").toStdString();
  sonavel::InstallKeyFile(path, sonavel::InstalledKeyValues(sonavel::InstallationSettings(), false));
  return path;
}

sonavel::ProgramOptions SimOptions() {
  sonavel::ProgramOptions options;
  options.Splash = false;
  options.Drivers.audio = "sim";
  return options;
}

void BM_StartUpToMainWindowShown(benchmark::State& state) {
  QTemporaryDir dir;
  setenv("SONAVEL_REGISTRY", MakeKey(dir).c_str(), 1);
  const std::string file = std::string(SONAVEL_TEST_DATA) + "/aud/full.aud";
  for (auto _ : state) {
    sonavel::Program program(SimOptions());
    program.Start({file});
    QApplication::processEvents();
    benchmark::DoNotOptimize(program.Main().isVisible());
    state.PauseTiming();
    program.Main().hide();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartUpToMainWindowShown)->Unit(benchmark::kMillisecond);

void BM_ChartRepaint(benchmark::State& state) {
  QTemporaryDir dir;
  setenv("SONAVEL_REGISTRY", MakeKey(dir).c_str(), 1);
  sonavel::Program program(SimOptions());
  program.Start({std::string(SONAVEL_TEST_DATA) + "/aud/full.aud"});
  sonavel::TfrmMain& w = program.Main();
  // The chart is the client width - 50 by the client height - 250.
  const int chartWidth = static_cast<int>(state.range(0)), chartHeight = static_cast<int>(state.range(1));
  w.setMinimumSize(0, 0);
  w.resize(chartWidth + 50 + (w.width() - w.Client->width()),
           chartHeight + 250 + (w.height() - w.Client->height()));
  QApplication::processEvents();
  if (w.pbxAudiogram->width() != chartWidth || w.pbxAudiogram->height() != chartHeight) {
    state.SkipWithError("the chart did not take the size");
    return;
  }
  for (auto _ : state) {
    w.RepaintAudiogram();
    benchmark::DoNotOptimize(w.ChartImage().constBits());
  }
  state.counters["pixels"] = static_cast<double>(chartWidth) * chartHeight;
}
BENCHMARK(BM_ChartRepaint)->Args({844, 353})->Args({3840, 2000})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
