#include "platform/sim/buffer_analysis.h"

#include <gtest/gtest.h>

#include "audio/tone_synthesis.h"

namespace sonavel {
namespace {

TEST(BufferAnalysis, ReadsEarDurationLevelAndFrequencyOfAPresentation) {
  struct Case {
    int32_t f;
    double a;
    double beep;
    int32_t ear;
  } cases[] = {{125, -40, 1, 0}, {1000, -20, 1, 1}, {8000, -3, 0.5, 0}, {4000, -67, 2, 1}};
  for (const auto& c : cases) {
    ToneBuffer b;
    CreateSound(c.f, c.a, c.beep, 1, b, true, c.ear == 0, c.ear == 1);
    const BufferAnalysis r = AnalyseBuffer(b.Bytes());
    EXPECT_FALSE(r.silent);
    EXPECT_EQ(r.channel, c.ear);
    EXPECT_NEAR(static_cast<double>(r.toneFrames), c.beep * 44100, 2) << c.f;
    EXPECT_NEAR(r.peakDbfs, c.a, c.a < -60 ? 0.3 : 0.01) << c.f;
    EXPECT_NEAR(r.frequency, c.f, c.f * 0.001) << c.f;
  }
  ToneBuffer silence;
  CreateSound(1000, 0, 0, 1, silence, true, 1, 0);
  EXPECT_TRUE(AnalyseBuffer(silence.Bytes()).silent);
}

}  // namespace
}  // namespace sonavel
