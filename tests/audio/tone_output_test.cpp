#include "audio/tone_output.h"

#include <gtest/gtest.h>

#include "mixer/mixer_test_support.h"
#include "platform/sim/sim_endpoint_volume.h"
#include "platform/sim/sim_host.h"
#include "platform/sim/sim_wave_out.h"

namespace sonavel {
namespace {

using test::OpenedMixer;

std::vector<int32_t> LastSet(const SimMixer& m, uint32_t controlID) {
  for (auto it = m.Sets.rbegin(); it != m.Sets.rend(); ++it)
    if (it->controlID == controlID) return it->items;
  return {};
}

TEST(PrepareSoundCard, MutesOtherSourcesAndCentresTheToneControls) {
  for (const bool endpoint : {false, true}) {
    OpenedMixer m("mixer_card.txt");
    PrepareSoundCard(endpoint, m.c);
    std::vector<uint32_t> order;
    for (const auto& s : m.driver.Sets) order.push_back(s.controlID);
    if (!endpoint) {
      // Mic, Line (disabled: refused without a call), CD mutes, then the gain at half its range.
      EXPECT_EQ(order, (std::vector<uint32_t>{0x30, 0x32, 0x11, 0x15, 0x12, 0x13}));
      EXPECT_EQ(LastSet(m.driver, 0x30), std::vector<int32_t>{1});  // mono line
      EXPECT_EQ(LastSet(m.driver, 0x32), (std::vector<int32_t>{1, 1}));
      EXPECT_EQ(LastSet(m.driver, 0x11), (std::vector<int32_t>{500, 500}));
    } else {
      EXPECT_EQ(order, (std::vector<uint32_t>{0x15, 0x12, 0x13}));
    }
    EXPECT_EQ(LastSet(m.driver, 0x15), (std::vector<int32_t>{0, 0}));          // speaker switch off
    EXPECT_EQ(LastSet(m.driver, 0x12), (std::vector<int32_t>{32767, 32767}));  // bass 65535 / 2
    EXPECT_EQ(LastSet(m.driver, 0x13), (std::vector<int32_t>{32767, 32767}));  // treble 65534 / 2
  }
}

TEST(SetOutputLevels, WaveMasterAndGainFollowTheCalibrationEntry) {
  struct Case {
    bool uniform;
    int32_t ear;
    std::vector<int32_t> master;
    std::vector<int32_t> gain;
  };
  // Master 65535 in 100 steps: q = 655, MasterLevel 60 -> 39300 on the tested ear only, or on
  // both channels for a uniform control. The gain (1000 in 10 steps) takes the GainLevel 7 the
  // wizard stored, on the ear it was found for, as the wizard set it.
  const Case cases[] = {
      {false, 0, {39300, 0}, {700, 0}},
      {false, 1, {0, 39300}, {0, 700}},
      {true, 0, {39300}, {700}},
      {true, 1, {39300}, {700}},
  };
  for (const Case& c : cases) {
    for (const bool endpointMode : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.uniform << c.ear << endpointMode);
      OpenedMixer m("mixer_card.txt");
      SimEndpointVolume endpoint;
      m.c.MasterVolume.Steps = 100;
      m.c.MasterVolume.Uniform = c.uniform;
      m.c.OutputGain.Uniform = c.uniform;
      CalibrationTable cal{};
      cal[c.ear][5] = {40, 60, 7, 0, -3.0};
      SetOutputLevels(endpointMode, cal, m.c, endpoint, c.ear, 5);
      EXPECT_EQ(LastSet(m.driver, 0x20), std::vector<int32_t>{26200});  // wave: uniform, 655 * 40
      EXPECT_EQ(LastSet(m.driver, 0x11), c.gain);
      if (endpointMode) {
        EXPECT_TRUE(LastSet(m.driver, 0x10).empty());
        EXPECT_EQ(endpoint.Calls, std::vector<float>{0.06f});
      } else {
        EXPECT_EQ(LastSet(m.driver, 0x10), c.master);
        EXPECT_TRUE(endpoint.Calls.empty());
      }
    }
  }
}

// One rule for a control without a step size, whether it reports no steps or more steps than
// values (an ALSA range wider than 65535): the test never sets it, as the wizard never did, so
// that a calibration made at the card's own level does not test in silence.
TEST(SetOutputLevels, AControlWithoutAStepSizeIsNeverSet) {
  struct Case {
    const char* what;
    uint32_t steps;
    int32_t maxvalue;
  };
  const Case cases[] = {{"no steps", 0, 65535}, {"more steps than values", 100000, 65535}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OpenedMixer m("mixer_card.txt");
    SimEndpointVolume endpoint;
    for (TMixUnsignedControl* control : {&m.c.WaveVolume, &m.c.MasterVolume, &m.c.OutputGain}) {
      control->Steps = c.steps;
      control->Maxvalue = c.maxvalue;
    }
    CalibrationTable cal{};
    cal[0][1] = {50, 25, 3, 0, 0};
    SetOutputLevels(false, cal, m.c, endpoint, 0, 1);
    EXPECT_TRUE(m.driver.Sets.empty());
    // The master of the endpoint volume has no steps of its own and is still set.
    SetOutputLevels(true, cal, m.c, endpoint, 0, 1);
    EXPECT_TRUE(m.driver.Sets.empty());
    EXPECT_EQ(endpoint.Calls, std::vector<float>{0.025f});
  }
}

TEST(SetOutputLevels, EdgesOfTheEntryAndTheMixer) {
  OpenedMixer m("mixer_card.txt");
  SimEndpointVolume endpoint;
  CalibrationTable cal{};
  cal[1][3] = {0, 650, 0, 0, 0};
  // Endpoint mode: the master is 650 / 1000 of full volume; the wave level 0 is silence.
  SetOutputLevels(true, cal, m.c, endpoint, 1, 3);
  ASSERT_EQ(endpoint.Calls.size(), 1u);
  EXPECT_FLOAT_EQ(endpoint.Calls[0], 0.65f);
  EXPECT_EQ(LastSet(m.driver, 0x20), std::vector<int32_t>{0});
  EXPECT_TRUE(LastSet(m.driver, 0x10).empty());

  // A level above the control's range is limited by SetLevel; a mixer without a wave line
  // still gets its master level.
  m.c.WaveVolume.Exist = false;
  m.driver.Sets.clear();
  cal[0][1] = {50, 25, 0, 0, 0};
  SetOutputLevels(false, cal, m.c, endpoint, 0, 1);
  ASSERT_EQ(m.driver.Sets.size(), 2u);
  EXPECT_EQ(LastSet(m.driver, 0x10), (std::vector<int32_t>{65535, 0}));  // 3276 * 25 = 81900
  EXPECT_EQ(LastSet(m.driver, 0x11), (std::vector<int32_t>{0, 0}));      // GainLevel 0
}

// ---------------------------------------------------------------------------------------------

struct Playback {
  SimHost host;
  SimWaveOut wave{host, {{"Card A", 0x0105}, {"Card B", 0x0200}}};
  ToneOutput out{wave};

  // Polls as the test does: every 50 ms until done; returns the time it took.
  double WaitDone(double limit = 30) {
    const double start = host.Seconds();
    while (!out.ToneDone() && host.Seconds() - start < limit) {
      host.ProcessMessages();
      host.Sleep(50);
    }
    return host.Seconds() - start;
  }
};

ToneBuffer Tone(double beep, double pause) {
  ToneBuffer b;
  CreateSound(1000, -20, beep, pause, b, true, 1, 0);
  return b;
}

TEST(ToneOutput, PresentationsAreDoneAfterTheirDuration) {
  Playback p;
  EXPECT_EQ(p.out.OpenToneOutput(1), WaveOk);
  EXPECT_EQ(p.wave.OpenDevice(), 1);
  for (const auto& [beep, pause] : {std::pair{1.0, 1.0}, std::pair{0.5, 0.25}}) {
    ToneBuffer b = Tone(beep, pause);
    EXPECT_EQ(p.out.PlayToneBuffer(b), WaveOk);
    b.Clear();  // the device keeps its own copy
    EXPECT_FALSE(p.out.ToneDone());
    const double took = p.WaitDone();
    EXPECT_GE(took + 1e-9, beep + pause);
    EXPECT_LT(took, beep + pause + 0.05 + 1e-9);
    EXPECT_TRUE(p.out.Header().Flags & WHDR_DONE);
  }
  ASSERT_EQ(p.wave.Submissions().size(), 2u);
  EXPECT_EQ(p.wave.Submissions()[0].bytes.size(), 352800u);
  EXPECT_EQ(p.wave.Submissions()[0].loops, 1u);
  p.out.CloseToneOutput();
  EXPECT_FALSE(p.wave.IsOpen());
  EXPECT_EQ(p.wave.ResetCount, 1);
  EXPECT_FALSE(p.out.Failed());
}

TEST(ToneOutput, TheFormatIsFixed) {
  Playback p;
  const WaveFormat& f = p.out.Format;
  EXPECT_EQ(f.wFormatTag, 1);
  EXPECT_EQ(f.nChannels, 2);
  EXPECT_EQ(f.nSamplesPerSec, 44100u);
  EXPECT_EQ(f.nAvgBytesPerSec, 176400u);
  EXPECT_EQ(f.nBlockAlign, 4);
  EXPECT_EQ(f.wBitsPerSample, 16);
  EXPECT_EQ(f.cbSize, 0);
}

TEST(ToneOutput, ALoopedToneRepeatsEverySecondUntilFinishPlay) {
  Playback p;
  const ToneBuffer b = Tone(1, 0);
  ASSERT_EQ(b.FrameCount(), 44100u);
  EXPECT_EQ(p.out.PreparePlay(WaveMapper, b, -1), WaveOk);
  EXPECT_EQ(p.out.Header().Loops, 0xFFFFFFFFu);
  EXPECT_EQ(p.out.Header().Flags & (WHDR_BEGINLOOP | WHDR_ENDLOOP), 12u);
  EXPECT_TRUE(p.wave.Submissions().empty());  // the caller starts it
  EXPECT_EQ(p.out.StartPlay(), WaveOk);
  p.host.Sleep(3250);
  size_t frame = 0;
  const auto* s = p.wave.PlayingAt(p.host.Seconds(), &frame);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->loops, 0xFFFFFFFFu);
  EXPECT_EQ(frame, 11025u);  // a quarter into the fourth repetition
  EXPECT_FALSE(p.out.ToneDone());
  p.out.FinishPlay();
  EXPECT_EQ(p.wave.PlayingAt(p.host.Seconds() + 0.01), nullptr);
  EXPECT_FALSE(p.wave.IsOpen());

  // loops 1 plays once, without loop flags.
  EXPECT_EQ(p.out.PreparePlay(0, b, 1), WaveOk);
  EXPECT_EQ(p.out.Header().Flags & 12u, 0u);
  p.out.StartPlay();
  EXPECT_NEAR(p.WaitDone(), 1.0, 0.051);
  p.out.FinishPlay();
}

// A device that fails is reported, and ToneDone ends the caller's wait.
TEST(ToneOutput, DeviceFailuresEndTheWait) {
  struct Case {
    const char* what;
    void (*arm)(SimWaveOut&);
    int32_t device;
  };
  const Case cases[] = {
      {"open", [](SimWaveOut& w) { w.FailOpen = true; }, 0},
      {"bad device", [](SimWaveOut&) {}, 7},
      {"write", [](SimWaveOut& w) { w.FailWrite = true; }, 0},
      {"while playing", [](SimWaveOut& w) { w.FailWhilePlaying = true; }, 0},
  };
  for (const Case& c : cases) {
    Playback p;
    c.arm(p.wave);
    const int32_t open = p.out.OpenToneOutput(c.device);
    const ToneBuffer b = Tone(1, 1);
    const int32_t play = p.out.PlayToneBuffer(b);
    EXPECT_TRUE(open != WaveOk || play != WaveOk || std::string(c.what) == "while playing") << c.what;
    EXPECT_LT(p.WaitDone(), 0.06) << c.what;
    EXPECT_TRUE(p.out.Failed()) << c.what;
    EXPECT_FALSE(p.out.FailureText().empty()) << c.what;
    p.out.CloseToneOutput();  // safe in every state
    EXPECT_FALSE(p.wave.IsOpen());
  }
  Playback p;
  p.wave.FailOpen = true;
  const ToneBuffer b = Tone(1, 0);
  EXPECT_NE(p.out.PreparePlay(0, b, -1), WaveOk);
  EXPECT_NE(p.out.StartPlay(), WaveOk);
  EXPECT_TRUE(p.out.Failed());
  p.out.FinishPlay();
  p.wave.FailOpen = false;
  EXPECT_EQ(p.out.OpenToneOutput(0), WaveOk);  // a new open starts clean
  EXPECT_FALSE(p.out.Failed());
}

// A simulated device that takes float frames: it keeps what WriteFloat is given and plays it on
// the host's clock as the default conversion to 16 bits gives it.
class FloatSimWaveOut : public SimWaveOut {
 public:
  using SimWaveOut::SimWaveOut;
  bool TakesFloat() const override { return IsOpen() && takesFloat; }
  int32_t WriteFloat(const float* samples, size_t frames, uint32_t loops) override {
    floatWrites.emplace_back(samples, samples + 2 * frames);
    return WaveOut::WriteFloat(samples, frames, loops);
  }
  bool takesFloat = true;
  std::vector<std::vector<float>> floatWrites;
};

TEST(ToneOutput, ADeviceThatTakesFloatIsGivenTheFloatFramesAndOtherwiseTheBytes) {
  struct Case {
    bool takesFloat, looped;
  };
  for (const Case c : {Case{true, false}, Case{true, true}, Case{false, false}, Case{false, true}}) {
    const std::string what =
        std::string(c.takesFloat ? "float" : "16-bit") + (c.looped ? ", looped" : ", once");
    SimHost host;
    FloatSimWaveOut wave(host);
    wave.takesFloat = c.takesFloat;
    ToneOutput out(wave);
    ToneBuffer b;
    CreateSound(1000, -80, 0.5, 0.1, b, true, 0, 1);
    if (c.looped) {
      ASSERT_EQ(out.PreparePlay(0, b, -1), WaveOk) << what;
      b.Clear();  // the header keeps its own frames
      ASSERT_EQ(out.StartPlay(), WaveOk) << what;
    } else {
      ASSERT_EQ(out.OpenToneOutput(0), WaveOk) << what;
      ASSERT_EQ(out.PlayToneBuffer(b), WaveOk) << what;
    }
    ToneBuffer expected;
    CreateSound(1000, -80, 0.5, 0.1, expected, true, 0, 1);
    std::vector<float> rendered;
    RenderFloat(expected, rendered);
    ASSERT_EQ(wave.Submissions().size(), 1u) << what;
    EXPECT_EQ(wave.Submissions()[0].loops, c.looped ? 0xFFFFFFFFu : 1u) << what;
    EXPECT_EQ(out.Header().Data, expected.Bytes()) << what;  // the header's record stays the bytes
    if (c.takesFloat) {
      ASSERT_EQ(wave.floatWrites.size(), 1u) << what;
      EXPECT_EQ(wave.floatWrites[0], rendered) << what;
      // What the device made of them in 16 bits (the default conversion) is the buffer again.
      EXPECT_EQ(wave.Submissions()[0].bytes, expected.Bytes()) << what;
    } else {
      EXPECT_TRUE(wave.floatWrites.empty()) << what;
      EXPECT_EQ(wave.Submissions()[0].bytes, expected.Bytes()) << what;
      EXPECT_TRUE(out.Header().Samples.empty()) << what;
    }
    // Either way the device plays the presentation's duration.
    host.Sleep(c.looped ? 2000 : 600);
    EXPECT_EQ(out.ToneDone(), !c.looped) << what;
    out.CloseToneOutput();
  }
}

}  // namespace
}  // namespace sonavel
