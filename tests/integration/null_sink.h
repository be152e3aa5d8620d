// What the tests and benchmarks on the private sound server share: the monitor of the null sink,
// a stream of silence that keeps the sink at a low latency, and the analysis of a recorded
// channel (tones found as bursts of non-zero samples, their frequency and level).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/pulse/pulse_connection.h"
#include "platform/pulse/pulse_wave_out.h"

namespace sonavel::test {

inline std::string MonitorSource() {
  const char* sink = std::getenv("SONAVEL_TEST_SINK");
  return std::string(sink ? sink : "sonavel_null") + ".monitor";
}

inline size_t FirstNonZero(const std::vector<int16_t>& x, size_t from) {
  for (size_t i = from; i < x.size(); ++i)
    if (x[i] != 0) return i;
  return x.size();
}

// From rising zero crossings, interpolated between samples.
inline double Frequency(const std::vector<int16_t>& x, size_t a, size_t b) {
  double first = -1, last = -1;
  int crossings = 0;
  for (size_t i = a + 1; i < b; ++i) {
    if (x[i - 1] < 0 && x[i] >= 0) {
      const double t = static_cast<double>(i - 1) + static_cast<double>(-x[i - 1]) / (x[i] - x[i - 1]);
      if (first < 0) first = t;
      last = t;
      ++crossings;
    }
  }
  return crossings < 2 ? 0 : (crossings - 1) * 44100.0 / (last - first);
}

// The level of a sine from its RMS: dB relative to the amplitude 32767.
inline double LevelDb(const std::vector<int16_t>& x, size_t a, size_t b) {
  double sum = 0;
  for (size_t i = a; i < b; ++i) sum += static_cast<double>(x[i]) * x[i];
  const double rms = std::sqrt(sum / static_cast<double>(b - a));
  return rms == 0 ? -400 : 20 * std::log10(rms * std::sqrt(2.0) / 32767.0);
}

// A tone in a recording: from its first to its last non-zero sample (end exclusive).
struct Burst {
  int channel = 0;
  size_t begin = 0, end = 0;
  size_t Centre() const { return (begin + end) / 2; }
};

// The tones of both channels in the order they began. A tone ends where `minGap` frames of
// digital silence follow on its channel (a sine crosses zero, but never for long).
inline std::vector<Burst> Bursts(const std::vector<int16_t>& left, const std::vector<int16_t>& right,
                                 size_t from, size_t minGap = 441) {
  std::vector<Burst> out;
  const std::vector<int16_t>* channels[2] = {&left, &right};
  for (int c = 0; c < 2; ++c) {
    const std::vector<int16_t>& x = *channels[c];
    size_t i = FirstNonZero(x, from);
    while (i < x.size()) {
      Burst b{c, i, i + 1};
      size_t zeros = 0;
      for (size_t n = i + 1; n < x.size() && zeros < minGap; ++n) {
        if (x[n] == 0) {
          ++zeros;
        } else {
          zeros = 0;
          b.end = n + 1;
        }
      }
      out.push_back(b);
      i = FirstNonZero(x, b.end + minGap);
    }
  }
  std::sort(out.begin(), out.end(), [](const Burst& a, const Burst& b) { return a.begin < b.begin; });
  return out;
}

// A stream of silence on the sink for the whole of a test: with a low-latency client always
// playing, the sink and its monitor never fall back to the idle sink's long latency, also not
// between the closing of one device and the opening of the next. Mixing zeros changes no sample.
struct KeepAlive {
  KeepAlive() {
    std::string error;
    connection = PulseConnection::Connect(error);
    if (connection) {
      wave = std::make_unique<PulseWaveOut>(connection);
      ok = wave->Open(WaveMapper) == WaveOk;
    }
  }
  ~KeepAlive() {
    if (wave) wave->Close();
  }
  KeepAlive(const KeepAlive&) = delete;
  KeepAlive& operator=(const KeepAlive&) = delete;
  std::shared_ptr<PulseConnection> connection;
  std::unique_ptr<PulseWaveOut> wave;
  bool ok = false;
};

}  // namespace sonavel::test
