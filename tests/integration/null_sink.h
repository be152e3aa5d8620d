// What the tests and benchmarks on the private sound server share: the monitors of the null sinks
// (16-bit and float), a stream of silence that keeps a sink at a low latency, and the analysis of
// a recorded channel (tones found as bursts of non-zero samples, their frequency and level, the
// harmonics of a sine).
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

// The sink of 32-bit float samples, beside the 16-bit one.
inline std::string FloatSink() {
  const char* sink = std::getenv("SONAVEL_TEST_FLOAT_SINK");
  return sink ? sink : "sonavel_float";
}

// The wave-output device number of the libpulse driver for the sink `name`, or -1.
inline int32_t SinkDevice(PulseConnection& c, const std::string& name) {
  std::vector<PulseSink> sinks;
  std::string error;
  if (!c.Sinks(sinks, error)) return -1;
  for (size_t i = 0; i < sinks.size(); ++i)
    if (sinks[i].name == name) return static_cast<int32_t>(i);
  return -1;
}

template <typename Sample>
size_t FirstNonZero(const std::vector<Sample>& x, size_t from) {
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

// The amplitude of the component of frequency `f` in x[a, b), by projection on its sine and
// cosine (a Goertzel filter): exact for every harmonic when [a, b) is a whole number of periods.
template <typename Sample>
double Amplitude(const std::vector<Sample>& x, size_t a, size_t b, double f) {
  double c = 0, s = 0;
  const double w = 2 * 3.14159265358979323846 * f / 44100.0;
  for (size_t n = a; n < b; ++n) {
    const double phase = w * static_cast<double>(n - a);
    c += static_cast<double>(x[n]) * std::cos(phase);
    s += static_cast<double>(x[n]) * std::sin(phase);
  }
  return 2 * std::hypot(c, s) / static_cast<double>(b - a);
}

// A sine of frequency `f` in x[a, b): its amplitude and its total harmonic distortion (harmonics
// 2 to 10, relative to the fundamental).
struct SineQuality {
  double amplitude = 0;
  double thd = 0;
};
template <typename Sample>
SineQuality MeasureSine(const std::vector<Sample>& x, size_t a, size_t b, double f) {
  SineQuality q;
  q.amplitude = Amplitude(x, a, b, f);
  double harmonics = 0;
  for (int k = 2; k <= 10; ++k) harmonics += std::pow(Amplitude(x, a, b, k * f), 2);
  q.thd = q.amplitude > 0 ? std::sqrt(harmonics) / q.amplitude : 0;
  return q;
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
  // On the default sink, or on the sink named.
  explicit KeepAlive(const std::string& sink = "") {
    std::string error;
    connection = PulseConnection::Connect(error);
    if (connection) {
      wave = std::make_unique<PulseWaveOut>(connection);
      const int32_t device = sink.empty() ? WaveMapper : SinkDevice(*connection, sink);
      ok = (sink.empty() || device >= 0) && wave->Open(device) == WaveOk;
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
