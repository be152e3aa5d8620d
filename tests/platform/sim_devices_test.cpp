#include <gtest/gtest.h>

#include "core/error.h"
#include "platform/drivers.h"
#include "platform/sim/sim_host.h"
#include "platform/sim/sim_joystick.h"
#include "platform/sim/sim_mixer.h"
#include "platform/sim/sim_wave_out.h"

namespace sonavel {
namespace {

TEST(SimMixerFixture, ReadsTheStructureAndNumbersWhatIsLeftOut) {
  const auto devices = ParseMixerFixture(
      "# comment\n"
      "device \"Card\" version 3.7\n"
      "destination DST_SPEAKERS \"Out\"\n"
      "  control VOLUME \"Vol\" max 0xFFFF steps 100 value 7\n"
      "  source 0x1008 \"Wave\" channels 1\n"
      "    control MUTE \"M\" short \"m\" id 0x99 flags 0x80000000 uniform value 1\n");
  ASSERT_EQ(devices.size(), 1u);
  const MixerTopology& d = devices[0];
  EXPECT_EQ(d.caps.Name, "Card");
  EXPECT_EQ(d.caps.DriverVersion, 0x0307u);
  EXPECT_EQ(d.caps.Destinations, 1u);
  const auto& dest = d.destinations[0];
  EXPECT_EQ(dest.line.info.Connections, 1u);
  EXPECT_EQ(dest.line.info.Channels, 2u);
  EXPECT_EQ(dest.line.controls[0].info.Maximum, 65535);
  EXPECT_EQ(dest.line.controls[0].values, (std::vector<int32_t>{7, 7}));
  EXPECT_NE(dest.line.controls[0].info.ControlID, 0u);
  const auto& src = dest.sources[0];
  EXPECT_EQ(src.info.ComponentType, SRC_WAVEOUT);
  EXPECT_TRUE(src.info.Flags & MIXERLINE_LINEF_SOURCE);
  EXPECT_EQ(src.controls[0].info.ControlID, 0x99u);
  EXPECT_EQ(src.controls[0].info.Flags, 0x80000001u);
  EXPECT_EQ(src.controls[0].info.ShortName, "m");
  EXPECT_NE(d.FindControl(0x99), nullptr);
}

TEST(SimMixerFixture, MalformedLinesNameTheirLine) {
  const char* const cases[] = {
      "destination DST_SPEAKERS \"x\"",                                      // no device
      "device \"d\"\nsource SRC_LINE \"x\"",                                 // no destination
      "device \"d\"\ncontrol VOLUME \"x\"",                                  // no line
      "device \"d\" version 1",                                              // bad version
      "device \"d\" version 1.300",                                          //
      "device d",                                                            // name not quoted
      "device \"d\nx",                                                       // unclosed quote
      "device \"d\"\ndestination DST_NOWHERE \"x\"",                         // unknown type
      "device \"d\"\ndestination DST_LINE \"x\" channels 0",                 // out of range
      "device \"d\"\ndestination DST_LINE \"x\"\ncontrol VOLUME \"v\" max",  // missing number
      "device \"d\"\ndestination DST_LINE \"x\"\ncontrol VOLUME \"v\" max 9x",
      "device \"d\"\ndestination DST_LINE \"x\"\ncontrol VOLUME \"v\" loud 1",
      "frobnicate",
  };
  for (const char* text : cases) {
    try {
      ParseMixerFixture(text);
      ADD_FAILURE() << text;
    } catch (const SonavelError& e) {
      EXPECT_NE(std::string(e.what()).find("Zeile "), std::string::npos) << text;
    }
  }
  EXPECT_THROW(LoadMixerFixture("/nonexistent/mixer.txt"), SonavelError);
  EXPECT_NO_THROW(ParseMixerFixture(DefaultMixerFixture));
}

TEST(SimWaveOut, KeepsWhatWasPlayedWhen) {
  SimHost host;
  SimWaveOut wave(host);
  std::vector<uint8_t> bytes(4 * 4410, 0);  // 0.1 s
  EXPECT_EQ(wave.Write(bytes.data(), bytes.size(), 1), WaveInvalidHandle);
  ASSERT_EQ(wave.Open(WaveMapper), WaveOk);
  EXPECT_EQ(wave.Open(0), WaveAllocated);
  host.Advance(1.0);
  ASSERT_EQ(wave.Write(bytes.data(), bytes.size(), 3), WaveOk);
  EXPECT_EQ(wave.Write(bytes.data(), bytes.size(), 1), WaveStillPlaying);
  size_t frame = 0;
  EXPECT_EQ(wave.PlayingAt(0.99), nullptr);
  ASSERT_NE(wave.PlayingAt(1.25, &frame), nullptr);
  EXPECT_EQ(frame, 2205u);  // half-way through the third loop
  EXPECT_EQ(wave.PlayingAt(1.3), nullptr);
  host.Advance(0.2);
  EXPECT_EQ(wave.Poll(), WaveState::Playing);
  host.Advance(0.1);
  EXPECT_EQ(wave.Poll(), WaveState::Done);
  ASSERT_EQ(wave.Write(bytes.data(), bytes.size(), 0xFFFFFFFF), WaveOk);
  host.Advance(5);
  EXPECT_EQ(wave.Reset(), WaveOk);
  EXPECT_EQ(wave.Poll(), WaveState::Idle);
  EXPECT_DOUBLE_EQ(*wave.Submissions().back().stoppedSeconds, 6.3);
  EXPECT_EQ(wave.PlayingAt(6.4), nullptr);
  EXPECT_NE(wave.PlayingAt(6.2), nullptr);
  EXPECT_EQ(wave.Close(), WaveOk);
  EXPECT_EQ(wave.Close(), WaveInvalidHandle);
}

TEST(SimJoystick, FollowsItsScript) {
  SimHost host;
  SimJoystick j(host);
  j.Press(0.1, 0.2, 0x3);
  uint32_t b = 9;
  const std::pair<double, uint32_t> reads[] = {{0.05, 0}, {0.1, 3}, {0.15, 3}, {0.2, 0}, {1.0, 0}};
  for (const auto& [t, mask] : reads) {
    host.Advance(t - host.Seconds());
    EXPECT_TRUE(j.ReadButtons(b));
    EXPECT_EQ(b, mask) << t;
  }
}

}  // namespace
}  // namespace sonavel

namespace sonavel {
namespace {

TEST(MakeDrivers, SimIsTheSimulatedSetAndUnknownChoicesAreRefused) {
  SimHost host;
  PlatformDrivers d = MakeDrivers(host, {"sim", ""});
  EXPECT_EQ(d.audioSystem, "sim");
  EXPECT_NE(dynamic_cast<SimWaveOut*>(d.waveOut.get()), nullptr);
  EXPECT_NE(dynamic_cast<SimMixer*>(d.mixer.get()), nullptr);
  EXPECT_FALSE(d.useEndpointVolume);
  Devices devices = d.View();
  EXPECT_EQ(devices.mixer.GetNumDevs(), 1u);
  // A fixture replaces the mixer whatever the audio choice.
  d = MakeDrivers(host, {"sim", std::string(SONAVEL_TEST_DATA) + "/mixer_card.txt"});
  EXPECT_EQ(d.mixer->GetNumDevs(), 5u);
  EXPECT_THROW(MakeDrivers(host, {"oss", ""}), SonavelError);
  EXPECT_THROW(MakeDrivers(host, {"sim", "/nonexistent/fixture.txt"}), SonavelError);
}

}  // namespace
}  // namespace sonavel
