#include "platform/sim/sim_output_watch.h"

#include <gtest/gtest.h>

#include "platform/drivers.h"
#include "platform/sim/sim_host.h"

namespace sonavel {
namespace {

TEST(SimOutputWatch, ChangesAreJudgedAtTheMomentTheyWereMadeNotWhenTheyAreSeen) {
  SimHost host;
  SimEndpointVolume endpoint;
  SimOutputWatch watch(host, {{"A"}, {"B"}}, &endpoint);
  watch.StartWatching(WaveMapper);
  {
    OwnChange own(&watch);
    endpoint.SetMasterVolumeLevelScalar(0.5f);  // the default output follows at once
  }
  // The server's own adjustment within the settle time, and a change by someone else after it,
  // both seen only a second later.
  watch.At(0.2, [](SimServer& s) { s.outputs[0].levels.Volume = {0.45, 0.45}; });
  watch.At(0.4, [](SimServer& s) { s.outputs[0].levels.Volume = {0.25, 0.25}; });
  host.Advance(1);
  EXPECT_EQ(watch.Change(), "Die Lautstärke des Ausgabegeräts „A“ wurde von 45 % auf 25 % geändert.");
  // The first change stays until the watch stops.
  watch.At(1.5, [](SimServer& s) { s.defaultOutput = 1; });
  host.Advance(1);
  EXPECT_EQ(watch.Change(), "Die Lautstärke des Ausgabegeräts „A“ wurde von 45 % auf 25 % geändert.");
  watch.StopWatching();
  EXPECT_EQ(watch.Change(), "");
  watch.StartWatching(WaveMapper);
  EXPECT_EQ(watch.Change(), "");
  // Outside a bracket, the endpoint volume is somebody else's change too.
  endpoint.SetMasterVolumeLevelScalar(0.75f);
  EXPECT_EQ(watch.Change(), "Die Lautstärke des Ausgabegeräts „B“ wurde von 100 % auf 75 % geändert.");
}

TEST(SimOutputWatch, TheSimulatedDriversComeWithAQuietWatch) {
  SimHost host;
  PlatformDrivers d = MakeDrivers(host, {"sim", ""});
  Devices devices = d.View();
  ASSERT_NE(devices.outputWatch, nullptr);
  const std::optional<OutputInfo> info = devices.outputWatch->DescribeOutput(WaveMapper);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->Description, "Sonavel Simulated Output");
  EXPECT_FALSE(info->Bluetooth || info->Muted);
  EXPECT_FALSE(devices.outputWatch->DescribeOutput(1));
}

}  // namespace
}  // namespace sonavel
