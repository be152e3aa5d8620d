#if SONAVEL_HAVE_PLATFORM
#include <gtest/gtest.h>

#include <cstdlib>

#include "cli/cli_test_support.h"

namespace sonavel {
namespace {

using test::RunCliCommand;

// The commands pick their drivers from SONAVEL_AUDIO; these tests use the simulated ones.
class SimulatedAudio : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("SONAVEL_AUDIO");
    if (old) saved_ = old;
    setenv("SONAVEL_AUDIO", "sim", 1);
  }
  void TearDown() override {
    if (saved_.empty())
      unsetenv("SONAVEL_AUDIO");
    else
      setenv("SONAVEL_AUDIO", saved_.c_str(), 1);
  }
  static std::string Fixture(const char* name) { return std::string(SONAVEL_TEST_DATA) + "/" + name; }

 private:
  std::string saved_;
};

TEST_F(SimulatedAudio, DevicesListsTheEntriesAndTheDefault) {
  auto r = RunCliCommand({"devices"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "Wave output devices (sim):\n"
            "  0  Sonavel Simulated Output Driver Version 1.0\n"
            "Default device: -1  Sonavel Simulated Output Driver Version 1.0\n");
  r = RunCliCommand({"devices", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(
      r.out,
      "{\"audio\":\"sim\",\"devices\":[{\"index\":0,\"entry\":\"Sonavel Simulated Output Driver Version "
      "1.0\"}],\"default\":{\"index\":-1,\"entry\":\"Sonavel Simulated Output Driver Version 1.0\"}}\n");
}

TEST_F(SimulatedAudio, MixerShowsTheDevicesTheFoundControlsAndTheListing) {
  const auto r = RunCliCommand({"mixer", "--fixture", Fixture("mixer_listing.txt")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Mixer devices:\n  0  Listing Card Driver Version 4.2\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Controls found on device 0:\n  MasterVolume  Exist=1 Active=1 Uniform=1 Minvalue=0 "
                       "Maxvalue=65535 Steps=100 OneStep=655\nListing:\n  Listing Card\n  4.2\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("  Steuerelement nicht Active \n"), std::string::npos);

  const auto j = RunCliCommand({"mixer", "--fixture", Fixture("mixer_card.txt"), "--device", "1", "--json"});
  ASSERT_EQ(j.status, 0) << j.err;
  EXPECT_EQ(
      j.out.rfind("{\"devices\":[\"Test Card Driver Version 5.10\",\"Two Outputs Driver Version 1.2\",", 0),
      0u)
      << j.out;
  EXPECT_NE(j.out.find("{\"name\":\"MasterVolume\",\"Exist\":true,\"Active\":true,\"Uniform\":false,"
                       "\"Minvalue\":0,\"Maxvalue\":1000,\"Steps\":10,\"OneStep\":100}"),
            std::string::npos)
      << j.out;
  // The settings dialog's walk over every device shows the failure boxes of the broken ones.
  EXPECT_NE(j.err.find("Mixer Opening Procedure failed"), std::string::npos);
}

TEST_F(SimulatedAudio, PlayRunsTheLoopedToneAndReportsDeviceErrors) {
  auto r = RunCliCommand({"play", "--freq", "1000", "--level", "-20", "--ear", "right", "--seconds", "0.1"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("played 1000 Hz at -20 dBFS on the right channel of device -1 (sim)"),
            std::string::npos);
  r = RunCliCommand({"play", "--freq", "1000", "--level", "-20", "--device", "3", "--seconds", "0.1"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("device 3"), std::string::npos) << r.err;
}

TEST_F(SimulatedAudio, BadInputExitsWithStatusTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"devices", "extra"},
      {"devices", "--bogus"},
      {"mixer", "--device", "x"},
      {"mixer", "--device", "-1"},
      {"mixer", "--fixture", Fixture("mixer_card.txt"), "--device", "5"},
      {"mixer", "--fixture", Fixture("tone_not_a_fixture_at_all.txt")},
      {"play", "--level", "-20"},
      {"play", "--freq", "1000"},
      {"play", "--freq", "0", "--level", "-20"},
      {"play", "--freq", "1000", "--level", "3"},
      {"play", "--freq", "1000", "--level", "-20", "--ear", "both"},
      {"play", "--freq", "1000", "--level", "-20", "--seconds", "-1"},
      {"play", "--freq", "1000", "--level", "-20", "--device", "-2"},
  };
  for (const auto& args : cases) {
    const auto r = RunCliCommand(args);
    EXPECT_EQ(r.status, 2) << testing::PrintToString(args) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  }
}

}  // namespace
}  // namespace sonavel
#endif
