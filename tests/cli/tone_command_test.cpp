#include <gtest/gtest.h>

#include "audio/tone_synthesis.h"
#include "cli/cli_test_support.h"

namespace sonavel {
namespace {

using test::ReadBytes;
using test::RunCliCommand;

uint32_t Le32(const std::string& s, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(s[at + i]);
  return v;
}
uint16_t Le16(const std::string& s, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | (static_cast<uint8_t>(s[at + 1]) << 8));
}

TEST(ToneCommand, WavFileHasTheHeaderAndExactlyTheBuffer) {
  test::TempDir dir;
  const auto r = RunCliCommand({"tone", "--freq", "1000", "--level", "-20", "--beep", "0.5", "--pause",
                                "0.25", "--ear", "right", "--out", dir.File("t.wav")});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string wav = ReadBytes(dir.File("t.wav"));
  ToneBuffer expected;
  CreateSound(1000, -20, 0.5, 0.25, expected, true, 0, 1);
  ASSERT_EQ(wav.size(), 44 + expected.Size());
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(Le32(wav, 4), 36 + expected.Size());
  EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(Le32(wav, 16), 16u);
  EXPECT_EQ(Le16(wav, 20), 1);  // PCM
  EXPECT_EQ(Le16(wav, 22), 2);  // channels
  EXPECT_EQ(Le32(wav, 24), 44100u);
  EXPECT_EQ(Le32(wav, 28), 176400u);
  EXPECT_EQ(Le16(wav, 32), 4);
  EXPECT_EQ(Le16(wav, 34), 16);
  EXPECT_EQ(wav.substr(36, 4), "data");
  EXPECT_EQ(Le32(wav, 40), expected.Size());
  EXPECT_EQ(wav.substr(44), std::string(reinterpret_cast<const char*>(expected.Data()), expected.Size()));
}

TEST(ToneCommand, OtherNamesGetRawBytesWithTheDefaults) {
  test::TempDir dir;
  const auto r = RunCliCommand({"tone", "--freq", "11025", "--level", "0", "--out", dir.File("t.pcm")});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string raw = ReadBytes(dir.File("t.pcm"));
  ToneBuffer expected;
  CreateSound(11025, 0, 1, 0, expected, true, 1, 0);  // beep 1, pause 0, left ear, ramps
  EXPECT_EQ(raw, std::string(reinterpret_cast<const char*>(expected.Data()), expected.Size()));

  ASSERT_EQ(
      RunCliCommand({"tone", "--freq", "11025", "--level", "0", "--no-ramp", "--out", dir.File("f.raw")})
          .status,
      0);
  const std::string flat = ReadBytes(dir.File("f.raw"));
  EXPECT_EQ(static_cast<uint8_t>(flat[4]), 0xFF);  // frame 1 at full amplitude at once
  EXPECT_EQ(static_cast<uint8_t>(flat[5]), 0x7F);
}

TEST(ToneCommand, BadOptionsExitWithStatusTwoAndOneLine) {
  test::TempDir dir;
  const std::string out = dir.File("x.wav");
  const std::vector<std::vector<std::string>> cases = {
      {"tone", "--level", "0", "--out", out},
      {"tone", "--freq", "1000", "--out", out},
      {"tone", "--freq", "1000", "--level", "0"},
      {"tone", "--freq", "abc", "--level", "0", "--out", out},
      {"tone", "--freq", "1000", "--level", "loud", "--out", out},
      {"tone", "--freq", "1000", "--level", "0", "--ear", "middle", "--out", out},
      {"tone", "--freq", "1000", "--level", "0", "--beep", "-1", "--out", out},
      {"tone", "--freq", "1000", "--level", "0", "--bogus", "--out", out},
      {"tone", "--freq", "1000", "--level", "0", "--out", out, "extra"},
      {"tone", "--freq", "1000", "--level", "0", "--out"},
      {"tone", "--freq", "1000", "--level", "nan", "--out", out},
      {"nosuchcommand"},
      {},
  };
  for (const auto& args : cases) {
    const auto r = RunCliCommand(args);
    EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
    EXPECT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(ToneCommand, AnUnwritableFileIsAFailure) {
  const auto r = RunCliCommand({"tone", "--freq", "1000", "--level", "0", "--out", "/nonexistent/dir/t.wav"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("/nonexistent/dir/t.wav"), std::string::npos);
}

TEST(Cli, HelpDescribesTheCommands) {
  const auto overview = RunCliCommand({"--help"});
  EXPECT_EQ(overview.status, 0);
  EXPECT_NE(overview.out.find("tone"), std::string::npos);
  const auto tone = RunCliCommand({"tone", "--help"});
  EXPECT_EQ(tone.status, 0);
  for (const char* option : {"--freq", "--level", "--beep", "--pause", "--ear", "--no-ramp", "--out"})
    EXPECT_NE(tone.out.find(option), std::string::npos) << option;
}

}  // namespace
}  // namespace sonavel
