#include "platform/qt/qpainter_canvas.h"

#include <gtest/gtest.h>

#include "results/audiogram_chart.h"
#include "model/state.h"

namespace sonavel {
namespace {

QRgb Pixel(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

constexpr Colour White = 0x00FFFFFF;
constexpr Colour Red = 0x000000FF;  // 0x00BBGGRR
constexpr Colour Blue = 0x00FF0000;

TEST(QPainterCanvas, LinesLeaveOutTheirEndPixel) {
  EnsureOffscreenGuiApplication();
  ImageCanvas canvas(20, 20, White, QPalette(), ChartFont());
  canvas.FillAll();
  canvas.SetPenColour(Red);
  canvas.MoveTo(2, 3);
  canvas.LineTo(8, 3);
  canvas.LineTo(8, 9);
  const QImage img = canvas.TakeImage();
  for (int x = 2; x < 8; ++x) EXPECT_EQ(Pixel(img, x, 3), 0xFF0000u) << x;
  for (int y = 4; y < 9; ++y) EXPECT_EQ(Pixel(img, 8, y), 0xFF0000u) << y;
  EXPECT_EQ(Pixel(img, 8, 3), 0xFF0000u);  // drawn as the start of the second line
  EXPECT_EQ(Pixel(img, 8, 9), 0xFFFFFFu);  // the last end pixel is not
  EXPECT_EQ(Pixel(img, 1, 3), 0xFFFFFFu);
}

TEST(QPainterCanvas, RectanglesCoverTheirBoxWithoutTheRightAndBottomEdge) {
  EnsureOffscreenGuiApplication();
  ImageCanvas canvas(20, 20, White, QPalette(), ChartFont());
  canvas.FillAll();
  canvas.SetPenColour(Red);
  canvas.SetBrush(BrushStyle::Solid, Blue);
  canvas.Rectangle(2, 2, 10, 8);
  const QImage img = canvas.TakeImage();
  EXPECT_EQ(Pixel(img, 2, 2), 0xFF0000u);  // outline
  EXPECT_EQ(Pixel(img, 9, 7), 0xFF0000u);
  EXPECT_EQ(Pixel(img, 5, 5), 0x0000FFu);  // interior
  EXPECT_EQ(Pixel(img, 10, 5), 0xFFFFFFu);
  EXPECT_EQ(Pixel(img, 5, 8), 0xFFFFFFu);
}

TEST(QPainterCanvas, HatchingLeavesTheGapsTransparent) {
  EnsureOffscreenGuiApplication();
  ImageCanvas canvas(40, 40, White, QPalette(), ChartFont());
  canvas.FillAll();
  canvas.SetPenColour(Red);
  canvas.SetBrush(BrushStyle::ForwardDiagonal, Blue);
  canvas.Rectangle(0, 0, 40, 40);
  const QImage img = canvas.TakeImage();
  int hatch = 0, gap = 0;
  for (int y = 1; y < 39; ++y)
    for (int x = 1; x < 39; ++x) {
      hatch += Pixel(img, x, y) == 0x0000FFu;
      gap += Pixel(img, x, y) == 0xFFFFFFu;
    }
  EXPECT_GT(hatch, 50);
  EXPECT_GT(gap, 500);
  // Lines run down from left to right: a hatch pixel's lower-right neighbour is hatch too.
  int followed = 0, total = 0;
  for (int y = 1; y < 37; ++y)
    for (int x = 1; x < 37; ++x)
      if (Pixel(img, x, y) == 0x0000FFu) {
        ++total;
        followed += Pixel(img, x + 1, y + 1) == 0x0000FFu;
      }
  EXPECT_GT(followed, total * 8 / 10);
}

TEST(QPainterCanvas, SystemColoursComeFromThePalette) {
  QPalette palette;
  palette.setColor(QPalette::Active, QPalette::Button, QColor(10, 20, 30));
  EXPECT_EQ(ResolveColour(ColourButtonFace, palette), QColor(10, 20, 30));
  EXPECT_EQ(ResolveColour(0x00008080, palette), QColor(0x80, 0x80, 0));  // olive
  EXPECT_EQ(ResolveColour(0x00FF0000, palette), QColor(0, 0, 255));      // blue
}

TEST(QPainterCanvas, TheChartRendersIntoAnImage) {
  EnsureOffscreenGuiApplication();
  AppState s;
  s.ResultsPresent = true;
  for (int r = 1; r <= 10; ++r) {
    s.CurrentAudiogram.Reverse[0][r] = {6, 30, 20, 30, 20, 30, 20};
    s.CurrentAudiogram.Threshold[0][r] = 25;
  }
  ImageCanvas chart(844, 353, s.Settings.GraphColours[ColourAudiogramBackground], QPalette(), ChartFont());
  ImageCanvas row(844, 19, White, QPalette(), ChartFont());
  pbxAudiogramPaint(chart, row, s);
  const QImage img = chart.TakeImage();
  EXPECT_EQ(Pixel(img, 110, 265), 0x808000u);  // olive background between the grid lines
  int hatched = 0;
  for (int x = 440; x < 830; ++x) hatched += Pixel(img, x, 265) == 0x808080u;
  EXPECT_GT(hatched, 30);                     // the right panel has no results: its columns are hatched
  EXPECT_EQ(Pixel(img, 20, 100), 0x808080u);  // the grey axis of panel 0
  const QImage rowImage = row.TakeImage();
  int dark = 0;
  for (int y = 0; y < 19; ++y)
    for (int x = 0; x < 844; ++x) dark += qGray(rowImage.pixel(x, y)) < 128;
  EXPECT_GT(dark, 20);  // the threshold values are written
}

}  // namespace
}  // namespace sonavel
