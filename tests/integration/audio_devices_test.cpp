// The real drivers against a private sound server with null sinks (run by with_pulse.sh): what
// they play is recorded from a sink's monitor and checked for channel, frequency, level, the
// samples of the buffer, timing of the done flag, sample-exact looping and stopping, each in
// float and in 16 bits; a tone near the threshold is measured on the float sink for its level
// and distortion; the endpoint volume and the ALSA mixer on the "pulse" control device change
// the sink's volume as they should.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#include "audio/tone_output.h"
#include "audio/tone_synthesis.h"
#include "integration/monitor_recorder.h"
#include "integration/null_sink.h"
#include "mixer/mixer_discovery.h"
#include "platform/alsa/alsa_mixer.h"
#include "platform/alsa/alsa_wave_out.h"
#include "platform/pulse/pulse_endpoint_volume.h"
#include "platform/pulse/pulse_wave_out.h"
#include "platform/sim/sim_host.h"

namespace sonavel {
namespace {

using Clock = std::chrono::steady_clock;
using test::FirstNonZero;
using test::Frequency;
using test::KeepAlive;
using test::LevelDb;
using test::MonitorSource;

double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

// --- the drivers -----------------------------------------------------------------------------

struct Rig {
  std::string name;
  std::shared_ptr<PulseConnection> pulse;
  std::unique_ptr<WaveOut> wave;
  int32_t device = WaveMapper;
};

std::shared_ptr<PulseConnection> Connect() {
  std::string error;
  std::shared_ptr<PulseConnection> c = PulseConnection::Connect(error);
  EXPECT_TRUE(c) << error;
  return c;
}

// `preferFloat` false: the driver plays 16 bits, as on a device that takes nothing else.
Rig PulseRig(bool preferFloat = true) {
  Rig r{preferFloat ? "pulse" : "pulse16", Connect(), nullptr, WaveMapper};
  if (r.pulse) {
    auto wave = std::make_unique<PulseWaveOut>(r.pulse);
    wave->PreferFloat = preferFloat;
    r.wave = std::move(wave);
  }
  return r;
}

// The ALSA driver on ALSA's "pulse" PCM, found in its device list like any other.
Rig AlsaRig(bool preferFloat = true) {
  auto wave = std::make_unique<AlsaWaveOut>();
  wave->PreferFloat = preferFloat;
  Rig r{preferFloat ? "alsa" : "alsa16", nullptr, std::move(wave), -1};
  const auto pcms = AlsaPlaybackPcms();
  for (size_t i = 0; i < pcms.size(); ++i)
    if (pcms[i].name == "pulse") r.device = static_cast<int32_t>(i);
  EXPECT_GE(r.device, 0) << "ALSA lists no \"pulse\" PCM (libasound2-plugins)";
  return r;
}

Rig MakeRig(const std::string& name) {
  if (name == "pulse" || name == "pulse16") return PulseRig(name == "pulse");
  return AlsaRig(name == "alsa");
}

bool IsFloatRig(const Rig& rig) { return rig.name == "pulse" || rig.name == "alsa"; }

ToneBuffer Tone(int32_t f, double level, double beep, double pause, int32_t ear, bool ramps = true) {
  ToneBuffer b;
  CreateSound(f, level, beep, pause, b, ramps, ear == 0 ? 1 : 0, ear == 0 ? 0 : 1);
  return b;
}

// Waits for the done flag, polling often; the time from the submit to the flag, or -1.
double WaitDone(ToneOutput& out, Clock::time_point submitted, double limit) {
  while (!out.ToneDone()) {
    if (Seconds(submitted, Clock::now()) > limit) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return out.Failed() ? -1 : Seconds(submitted, Clock::now());
}

// Opens the device and plays half a second of silence: an idle null sink runs at a long latency
// until a low-latency stream has played for a moment.
void OpenAndWarmUp(ToneOutput& out, const Rig& rig) {
  ASSERT_EQ(out.OpenToneOutput(rig.device), WaveOk) << rig.name << ": " << out.FailureText();
  ToneBuffer silence;
  CreateSound(1000, 0, 0, 0.5, silence, true, 1, 0);
  ASSERT_EQ(out.PlayToneBuffer(silence), WaveOk) << out.FailureText();
  ASSERT_GT(WaitDone(out, Clock::now(), 5), 0) << rig.name << ": " << out.FailureText();
}

// The largest difference in counts between the recording x[a, b) and the buffer's channel, at
// the alignment that fits best within 50 ms of where the buffer's first audible sample meets the
// recording's onset: a dropout elsewhere in the tone (a loaded machine) moves the tone but does not
// change what the driver made of it.
int LargestDifference(const std::vector<int16_t>& x, size_t a, size_t b, size_t onset,
                      const ToneBuffer& buffer, int channel) {
  size_t first = 0;
  while (first < buffer.FrameCount() && buffer.Sample(first, channel) == 0) ++first;
  const int64_t guess = static_cast<int64_t>(first) - static_cast<int64_t>(onset);  // buffer frame - x index
  int best = 65536;
  for (int64_t shift = -2205; shift <= 2205 && best > 0; ++shift) {
    const int64_t from = static_cast<int64_t>(a) + guess + shift;
    if (from < 0 || from + static_cast<int64_t>(b - a) > static_cast<int64_t>(buffer.FrameCount())) continue;
    int worst = 0;
    for (size_t n = a; n < b && worst < best; ++n)
      worst = std::max(worst, std::abs(x[n] - buffer.Sample(static_cast<size_t>(from) + (n - a), channel)));
    best = std::min(best, worst);
  }
  return best;
}

class AudioDevices : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(keepAlive.ok);
    ASSERT_TRUE(recorder.Start(MonitorSource()));
    ASSERT_TRUE(recorder.WaitFrames(4410, 10)) << "parec records nothing";
    rig = MakeRig(GetParam());
    ASSERT_TRUE(rig.wave);
  }
  KeepAlive keepAlive;
  test::MonitorRecorder recorder;
  Rig rig;
};

TEST_P(AudioDevices, TonesArriveOnTheirChannelAtTheirFrequencyAndLevel) {
  ToneOutput out(*rig.wave);
  OpenAndWarmUp(out, rig);
  struct Case {
    int32_t ear, f;
    double level;
  };
  EXPECT_EQ(rig.wave->TakesFloat(), IsFloatRig(rig)) << rig.name;
  for (const Case c : {Case{0, 1000, -20}, Case{1, 4000, -40}, Case{0, 250, -60}}) {
    const size_t from = recorder.Frames();
    const ToneBuffer buffer = Tone(c.f, c.level, 1, 0.2, c.ear);
    ASSERT_EQ(out.PlayToneBuffer(buffer), WaveOk) << out.FailureText();
    ASSERT_GT(WaitDone(out, Clock::now(), 5), 0) << out.FailureText();
    ASSERT_TRUE(recorder.WaitFrames(from + 2 * 44100, 10));
    const auto tone = recorder.Channel(c.ear);
    const auto other = recorder.Channel(1 - c.ear);
    const size_t onset = FirstNonZero(tone, from);
    ASSERT_LT(onset + 44100, tone.size()) << rig.name << ": no tone recorded";
    // The middle of the full-amplitude half, a whole number of periods long.
    const size_t a = onset + 13230, b = a + 17640;
    const double f = Frequency(tone, a, b);
    const double level = LevelDb(tone, a, b);
    const double otherLevel = LevelDb(other, from, onset + 44100);
    std::printf(
        "[ %s ] %d Hz %.0f dBFS ear %d: frequency %.4f Hz (error %+.4f %%), level %.3f dBFS "
        "(error %+.3f dB), other channel %.1f dBFS\n",
        rig.name.c_str(), c.f, c.level, c.ear, f, 100 * (f - c.f) / c.f, level, level - c.level, otherLevel);
    EXPECT_NEAR(f, c.f, c.f * 0.001) << rig.name;
    EXPECT_NEAR(level, c.level, 0.2) << rig.name;
    EXPECT_LT(otherLevel, -90) << rig.name;
    // Sample by sample over the same stretch: the 16 bits arrive as they are; the sink rounds the
    // float samples itself, and a value within the float's precision of a half count may round
    // the other way.
    const int difference = LargestDifference(tone, a, b, onset, buffer, c.ear);
    EXPECT_LE(difference, IsFloatRig(rig) ? 1 : 0) << rig.name << ": the recording is not the buffer";
  }
  out.CloseToneOutput();
}

TEST_P(AudioDevices, TheDoneFlagComesWhenTheBufferHasPlayedOut) {
  ToneOutput out(*rig.wave);
  OpenAndWarmUp(out, rig);
  double sum = 0, worst = 0;
  const int rounds = 4;
  for (int i = 0; i < rounds; ++i) {
    const ToneBuffer b = Tone(1000, -30, 0.5, 0.5, i % 2);
    const auto submitted = Clock::now();
    ASSERT_EQ(out.PlayToneBuffer(b), WaveOk) << out.FailureText();
    const double took = WaitDone(out, submitted, 5);
    ASSERT_GT(took, 0) << out.FailureText();
    EXPECT_GE(took, 1.0) << rig.name;
    EXPECT_LE(took, 1.1) << rig.name;
    sum += took - 1.0;
    worst = std::max(worst, took - 1.0);
  }
  std::printf("[ %s ] done flag after a 1 s buffer: late by %.1f ms on average, %.1f ms at most\n",
              rig.name.c_str(), 1000 * sum / rounds, 1000 * worst);
  out.CloseToneOutput();
}

TEST_P(AudioDevices, ALoopedBufferRepeatsEvery44100FramesUntilFinishPlay) {
  ToneOutput out(*rig.wave);
  const ToneBuffer b = Tone(1000, -20, 1, 0, 0);
  ASSERT_EQ(b.FrameCount(), 44100u);
  const size_t from = recorder.Frames();
  ASSERT_EQ(out.PreparePlay(rig.device, b, -1), WaveOk) << out.FailureText();
  ASSERT_EQ(out.StartPlay(), WaveOk) << out.FailureText();
  ASSERT_TRUE(recorder.WaitFrames(from + 44100 * 4, 20)) << "the recording stopped while the tone looped";
  EXPECT_FALSE(out.ToneDone());
  out.FinishPlay();
  const size_t stoppedAt = recorder.Frames();
  ASSERT_TRUE(recorder.WaitFrames(stoppedAt + 22050, 20)) << "the recording stopped after FinishPlay";
  const auto x = recorder.Channel(0);
  const size_t onset = FirstNonZero(x, from);
  ASSERT_LT(onset + 3 * 44100, x.size()) << rig.name;
  size_t mismatches = 0;
  for (size_t n = onset; n < onset + 2 * 44100; ++n) mismatches += x[n] != x[n + 44100];
  EXPECT_EQ(mismatches, 0u) << rig.name << ": the second and third repetitions differ from the one before";
  // The pulse has the period of the buffer: the peaks of the repetitions sit 44100 frames apart.
  EXPECT_NE(x[onset + 22050], 0);
  // Stopped: silence soon after FinishPlay (allowing for the recorder's and the sink's latency).
  size_t loud = 0;
  for (size_t n = stoppedAt + 11025; n < x.size(); ++n) loud += x[n] != 0;
  EXPECT_EQ(loud, 0u) << rig.name << ": sound after FinishPlay";
}

INSTANTIATE_TEST_SUITE_P(Drivers, AudioDevices, ::testing::Values("pulse", "alsa", "pulse16", "alsa16"));

// Float goes to an ALSA PCM only where it takes float itself: behind alsa-lib's own conversion a
// device of 16 bits would get the floats truncated, worse than the 16-bit buffer.
TEST(AlsaFormat, FloatWhereThePcmHasItAnd16BitsWhereItEndsIn16Bits) {
  struct Case {
    const char* pcm;
    bool preferFloat, takesFloat;
  };
  const Case cases[] = {
      {"pulse", true, true},
      {"sonavel_plug_pulse", true, true},
      {"sonavel_16bit", true, false},
      {"pulse", false, false},
  };
  for (const Case& c : cases) {
    AlsaWaveOut wave;
    wave.PreferFloat = c.preferFloat;
    ASSERT_EQ(wave.OpenByName(c.pcm), WaveOk) << c.pcm << ": " << wave.LastError();
    EXPECT_EQ(wave.TakesFloat(), c.takesFloat) << c.pcm << (c.preferFloat ? "" : " held to 16 bits");
    wave.Close();
    EXPECT_FALSE(wave.TakesFloat()) << c.pcm << " closed";
  }
}

// --- near the threshold, on the float sink ------------------------------------------------------

// A 1 kHz tone at -80 dBFS (1 s, ramps on) played through ToneOutput and a real driver to the
// sink of float samples, which keeps whatever the stream carries: its level and distortion on
// the full-amplitude half, measured with a filter at each harmonic of 1 kHz over 500 periods.
class QuietTone : public ::testing::TestWithParam<const char*> {};

TEST_P(QuietTone, KeepsItsLevelAndShapeInFloatAndShowsTheRoundingIn16Bits) {
  const std::string sink = test::FloatSink();
  KeepAlive keepAlive(sink);
  ASSERT_TRUE(keepAlive.ok) << "no float sink " << sink;
  test::MonitorRecorder recorder;
  ASSERT_TRUE(recorder.Start(sink + ".monitor", test::MonitorRecorder::Format::Float32));
  ASSERT_TRUE(recorder.WaitFrames(4410, 10)) << "parec records nothing";
  Rig rig = MakeRig(GetParam());
  ASSERT_TRUE(rig.wave);
  // libpulse: the float sink by its number; ALSA: the PCM of the test's .asoundrc that plays there.
  if (rig.pulse) {
    rig.device = test::SinkDevice(*rig.pulse, sink);
  } else {
    rig.device = -1;
    const auto pcms = AlsaPlaybackPcms();
    for (size_t i = 0; i < pcms.size(); ++i)
      if (pcms[i].name == "sonavel_pulse_float") rig.device = static_cast<int32_t>(i);
  }
  ASSERT_NE(rig.device, -1);

  ToneOutput out(*rig.wave);
  OpenAndWarmUp(out, rig);
  const bool asFloat = IsFloatRig(rig);
  ASSERT_EQ(rig.wave->TakesFloat(), asFloat) << rig.name;
  const double level = -80;
  const ToneBuffer buffer = Tone(1000, level, 1, 0.2, 0);
  const size_t from = recorder.Frames();
  ASSERT_EQ(out.PlayToneBuffer(buffer), WaveOk) << out.FailureText();
  ASSERT_GT(WaitDone(out, Clock::now(), 5), 0) << out.FailureText();
  ASSERT_TRUE(recorder.WaitFrames(from + 2 * 44100, 10));
  out.CloseToneOutput();

  const std::vector<float> left = recorder.FloatChannel(0), right = recorder.FloatChannel(1);
  // What the stream should carry: the float frames, or the 16-bit samples.
  std::vector<float> expected;
  if (asFloat) {
    RenderFloat(buffer, expected);
  } else {
    expected.resize(2 * buffer.FrameCount());
    FloatFromSixteenBit(buffer.Data(), buffer.FrameCount(), expected.data());
  }
  size_t first = 0;
  while (first < buffer.FrameCount() && expected[2 * first] == 0) ++first;
  const size_t onset = FirstNonZero(left, from);
  ASSERT_GE(onset, from + first) << rig.name << ": no tone recorded";
  const size_t start = onset - first;
  ASSERT_LT(start + buffer.FrameCount(), left.size()) << rig.name;
  double largest = 0;
  for (size_t n = 0; n < buffer.FrameCount(); ++n)
    largest = std::max(largest, std::abs(static_cast<double>(left[start + n]) - expected[2 * n]));
  size_t otherChannel = 0;
  for (size_t n = from; n < start + buffer.FrameCount(); ++n) otherChannel += right[n] != 0.0f;

  const test::SineQuality q = test::MeasureSine(left, start + 11025, start + 33075, 1000);
  const double levelError =
      20 * std::log10(q.amplitude * FloatSampleScale / (32767 * std::pow(10, level / 20)));
  std::printf(
      "[ %s ] 1000 Hz at %.0f dBFS on the float sink: level error %+.5f dB, THD %.3g %% (harmonics 2..10), "
      "largest difference from the %s frames %.3g counts\n",
      rig.name.c_str(), level, levelError, 100 * q.thd, asFloat ? "float" : "16-bit",
      largest * FloatSampleScale);
  EXPECT_EQ(largest, 0.0) << rig.name << ": the sink did not get the stream's samples";
  EXPECT_EQ(otherChannel, 0u) << rig.name << ": sound on the other channel";
  if (asFloat) {
    EXPECT_LE(std::abs(levelError), 0.05) << rig.name;
    EXPECT_LE(q.thd, 0.01) << rig.name;
  } else {
    // A sine of 3.3 counts rounded to whole counts: several percent of distortion.
    EXPECT_GT(q.thd, 0.02) << rig.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Drivers, QuietTone, ::testing::Values("pulse", "alsa", "pulse16", "alsa16"));

// --- endpoint volume and the ALSA mixer --------------------------------------------------------

// The volume of the default sink, as a fraction of its normal volume.
double SinkVolume(PulseConnection& c) {
  PulseConnection::Lock lock(c);
  struct Q {
    double v = -1;
  } q;
  pa_operation* op = pa_context_get_sink_info_by_name(
      c.Context(), "@DEFAULT_SINK@",
      [](pa_context*, const pa_sink_info* i, int eol, void* u) {
        if (!eol && i)
          static_cast<Q*>(u)->v = static_cast<double>(pa_cvolume_avg(&i->volume)) / PA_VOLUME_NORM;
      },
      &q);
  c.WaitOperation(op, 2);
  return q.v;
}

TEST(EndpointVolume, HalfTheScalarLowersTheLevelAlongTheCubicCurve) {
  KeepAlive keepAlive;
  ASSERT_TRUE(keepAlive.ok);
  test::MonitorRecorder recorder;
  ASSERT_TRUE(recorder.Start(MonitorSource()));
  ASSERT_TRUE(recorder.WaitFrames(4410, 10)) << "parec records nothing";
  Rig rig = PulseRig();
  ASSERT_TRUE(rig.wave);
  PulseEndpointVolume endpoint(rig.pulse);
  ToneOutput out(*rig.wave);
  OpenAndWarmUp(out, rig);
  double levels[2];
  const float scalars[2] = {1.0f, 0.5f};
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(endpoint.SetMasterVolumeLevelScalar(scalars[i]), 0);
    EXPECT_NEAR(SinkVolume(*rig.pulse), scalars[i], 1e-4);
    const size_t from = recorder.Frames();
    ASSERT_EQ(out.PlayToneBuffer(Tone(1000, -10, 1, 0.2, 0)), WaveOk);
    ASSERT_GT(WaitDone(out, Clock::now(), 5), 0);
    ASSERT_TRUE(recorder.WaitFrames(from + 2 * 44100, 10));
    const auto x = recorder.Channel(0);
    const size_t a = FirstNonZero(x, from) + 13230;
    ASSERT_LT(a + 17640, x.size());
    levels[i] = LevelDb(x, a, a + 17640);
  }
  endpoint.SetMasterVolumeLevelScalar(1.0f);
  const double expected = 20 * std::log10(0.5 * 0.5 * 0.5);  // -18.06 dB
  std::printf("[ pulse ] endpoint volume 0.5: level change %.3f dB (expected %.3f dB)\n",
              levels[1] - levels[0], expected);
  EXPECT_NEAR(levels[1] - levels[0], expected, 0.2);
  EXPECT_EQ(endpoint.SetMasterVolumeLevelScalar(1.5f), 1);
  EXPECT_EQ(endpoint.SetMasterVolumeLevelScalar(std::nanf("")), 1);
  out.CloseToneOutput();
}

TEST(AlsaMixerOnPulse, MasterBecomesMasterVolumeAndSetsTheSinkVolume) {
  std::shared_ptr<PulseConnection> pulse = Connect();
  ASSERT_TRUE(pulse);
  AlsaMixer driver({"pulse"});
  int64_t device = -1;
  for (uint32_t d = 0; d < driver.GetNumDevs(); ++d)
    if (driver.AlsaName(d) == "pulse") device = d;
  ASSERT_GE(device, 0) << "the pulse control device has no elements";
  Mixer mixer(driver);
  mixer.CountMixerDevices();
  EXPECT_TRUE(mixer.OpenMixerDevice(static_cast<uint32_t>(device)).empty());
  EXPECT_EQ(mixer.Caps.Name, "PulseAudio");
  TMixUnsignedControl& master = mixer.Controls.MasterVolume;
  ASSERT_TRUE(master.Exist);
  EXPECT_TRUE(master.Active);
  EXPECT_EQ(master.Maxvalue, 65535);
  EXPECT_GT(master.Steps, 0u);
  EXPECT_TRUE(mixer.Controls.SpeakerMute.Exist);
  EXPECT_FALSE(mixer.MixerListing.empty());

  EXPECT_FALSE(master.SetLevel(32768, 32768));
  EXPECT_NEAR(SinkVolume(*pulse), 0.5, 0.01);
  int32_t l = 0, r = 0;
  EXPECT_FALSE(master.GetLevel(l, r));
  EXPECT_NEAR(l, 32768, 400);
  EXPECT_NEAR(r, 32768, 400);
  // Muting goes through the sink's mute.
  EXPECT_FALSE(mixer.Controls.SpeakerMute.SetSwitch(true, true));
  bool ml = false, mr = false;
  EXPECT_FALSE(mixer.Controls.SpeakerMute.GetSwitch(ml, mr));
  EXPECT_TRUE(ml && mr);
  EXPECT_FALSE(mixer.Controls.SpeakerMute.SetSwitch(false, false));
  EXPECT_FALSE(master.SetLevel(65535, 65535));
  EXPECT_NEAR(SinkVolume(*pulse), 1.0, 0.01);
}

}  // namespace
}  // namespace sonavel
