// The splash: its shape and its timing on the virtual clock.
#include "app/splash.h"

#include <gtest/gtest.h>

#include <QTest>

#include "platform/sim/sim_host.h"

namespace sonavel {
namespace {

TEST(Splash, WhiteIsSeeThrough) {
  QImage image(4, 2, QImage::Format_RGB32);
  image.fill(Qt::white);
  image.setPixel(1, 0, qRgb(10, 20, 30));
  image.setPixel(2, 0, qRgb(254, 255, 255));
  image.setPixel(3, 1, qRgb(0, 0, 0));
  const QRegion region = RegionOutsideColour(image, qRgb(255, 255, 255));
  EXPECT_EQ(region, QRegion(1, 0, 2, 1) + QRegion(3, 1, 1, 1));
}

TEST(Splash, FadesWaitsAndEndsEarlyOnAClick) {
  struct Case {
    const char* name;
    double clickAt;  // virtual seconds; negative: never
    int32_t passes;
    double seconds;
  };
  const Case cases[] = {
      {"never clicked", -1, 7, 0.95},
      {"clicked during the fade-in", 0.1, 1, 0.65},
      {"clicked during the third pass", 0.41, 3, 0.75},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimHost host;
    TSplash splash;
    EXPECT_EQ(splash.size(), QSize(480, 291));
    if (c.clickAt >= 0) host.At(c.clickAt, [&] { QTest::mouseClick(&splash, Qt::LeftButton); });
    const SplashTiming t = RunSplash(splash, host);
    EXPECT_EQ(t.Passes, c.passes);
    EXPECT_NEAR(host.Seconds(), c.seconds, 1e-9);
    EXPECT_FALSE(splash.isVisible());
  }
}

}  // namespace
}  // namespace sonavel
