#include "audio/output_watch.h"

#include <gtest/gtest.h>

namespace sonavel {
namespace {

TEST(OutputWatchTexts, VolumesAreShownInPercentPerChannelWithTenthsOnlyWhenNeeded) {
  struct Case {
    std::vector<double> volume, other;
    const char* text;
  };
  const Case cases[] = {
      {{0.5, 0.5}, {1, 1}, "50 %"},           {{1.2}, {1}, "120 %"},  {{1, 0.5}, {1, 1}, "100 % / 50 %"},
      {{0.504, 0.504}, {0.5, 0.5}, "50,4 %"},  // whole percent would read 50 % twice
      {{0.5, 0.5}, {0.504, 0.504}, "50,0 %"}, {{0.5}, {0.5}, "50 %"}, {{}, {1}, "?"},
  };
  for (const Case& c : cases) EXPECT_EQ(VolumePercentText(c.volume, c.other), c.text) << c.text;
}

TEST(OutputWatchTexts, OneSentenceNamesWhatChangedMuteFirst) {
  const OutputLevels base{{1, 1}, false, "Kopfhörer"};
  struct Case {
    OutputLevels after;
    const char* text;
  };
  const Case cases[] = {
      {base, ""},
      {{{0.5, 0.5}, true, "Kopfhörer"}, "Das Ausgabegerät „Gerät“ wurde stummgeschaltet."},
      {{{0.5, 0.5}, false, "Line-Ausgang"},
       "Die Lautstärke des Ausgabegeräts „Gerät“ wurde von 100 % auf 50 % geändert."},
      {{{1, 1}, false, ""},
       "Beim Ausgabegerät „Gerät“ wurde der Anschluss von „Kopfhörer“ auf „keiner“ gewechselt."},
  };
  for (const Case& c : cases) EXPECT_EQ(OutputChangeText("Gerät", base, c.after), c.text);
  EXPECT_EQ(OutputChangeText("Gerät", {{1, 1}, true, ""}, {{1, 1}, false, ""}),
            "Die Stummschaltung des Ausgabegeräts „Gerät“ wurde aufgehoben.");
  EXPECT_EQ(StreamChangeText("A", "A", {{1, 1}, true, 3}, {{1, 1}, false, 3}),
            "Die Stummschaltung des Wiedergabestroms von Sonavel wurde aufgehoben.");
  EXPECT_EQ(StreamChangeText("A", "A", {{1, 1}, false, 3}, {{1, 1}, false, 3}), "");
}

}  // namespace
}  // namespace sonavel
