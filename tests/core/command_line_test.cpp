#include "core/command_line.h"

#include <gtest/gtest.h>

namespace sonavel {
namespace {

TEST(CommandLine, ArgumentsAreJoinedEachFollowedByABlank) {
  EXPECT_EQ(JoinCommandLine({}), "");
  EXPECT_EQ(JoinCommandLine({"/home/a/Hans", "Müller.aud"}), "/home/a/Hans Müller.aud ");
}

TEST(CommandLine, FindsTheFileToOpen) {
  const struct {
    const char* commandLine;
    std::optional<std::string> audiogram, calibration;
  } cases[] = {
      {"/home/a/Hans Müller.aud ", "/home/a/Hans Müller.aud", std::nullopt},
      {"x.AuD ", "x.AuD", std::nullopt},
      {"x.cal ", std::nullopt, "x.cal"},
      {"x.Cal ", std::nullopt, std::nullopt},  // the calibration rule is case-sensitive
      {"x.aud", std::nullopt, std::nullopt},   // not a command line: no final blank
      {"a.aud b.cal ", std::nullopt, "a.aud b.cal"},
      {".aud ", ".aud", std::nullopt},
      {"aud ", std::nullopt, std::nullopt},
      {"", std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AudiogramFileFromCommandLine(c.commandLine), c.audiogram) << c.commandLine;
    EXPECT_EQ(CalibrationFileFromCommandLine(c.commandLine), c.calibration) << c.commandLine;
  }
}

}  // namespace
}  // namespace sonavel
