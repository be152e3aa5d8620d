// sonavel-cli chart: the audiogram chart and threshold row of an audiogram file, as a PNG image.
#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <ostream>

#include "cli/cli.h"
#include "cli/cli_support.h"
#include "files/atomic_file.h"
#include "platform/qt/qpainter_canvas.h"
#include "results/audiogram_chart.h"

namespace sonavel::cli {

namespace {

const std::string ChartHelp =
    std::string(
        "Usage: sonavel-cli chart AUD --out PNG [--width W] [--height H] [--locale de_DE|en_US]\n\n"
        "Reads the audiogram file AUD and draws the main window's audiogram chart (W x H, default\n"
        "844 x 353) with the threshold row (W x 19) below it, as they look once the file is open,\n"
        "with the default settings and colours. No display is needed.\n\n"
        "  --out PNG     the image to write\n"
        "  --width W     chart width in pixels (100 to 4000)\n"
        "  --height H    chart height in pixels (50 to 4000)\n") +
    LocaleHelp;

int RunChart(const std::vector<std::string>& args, Io& io) {
  const Options opts(args, {"out", "width", "height", "locale"}, {});
  opts.ExpectPositionals(1, "audiogram file");
  const std::string out = opts.Required("out");
  const long long width = opts.Integer("width", 844);
  const long long height = opts.Integer("height", 353);
  if (width < 100 || width > 4000) throw UsageError("option --width: must be between 100 and 4000");
  if (height < 50 || height > 4000) throw UsageError("option --height: must be between 50 and 4000");
  const RegionalFormat regional = RegionalFromOptions(opts);

  AppState state = FreshState();
  ReadAudiogramInput(opts.Positionals()[0], state, regional, LocalNow());
  state.ResultsPresent = true;

  EnsureOffscreenGuiApplication();
  const QPalette palette = QGuiApplication::palette();
  const auto w = static_cast<int32_t>(width), h = static_cast<int32_t>(height);
  constexpr int32_t RowHeight = 19;
  const GraphColourSet& colours = state.Settings.GraphColours;
  ImageCanvas chart(w, h, colours[ColourAudiogramBackground], palette, ChartFont());
  ImageCanvas row(w, RowHeight, colours[ColourApplicationBackground], palette, ChartFont());
  pbxAudiogramPaint(chart, row, state);

  QImage image(w, h + RowHeight, QImage::Format_RGB32);
  {
    QPainter p(&image);
    p.drawImage(0, 0, chart.TakeImage());
    p.drawImage(0, h, row.TakeImage());
  }
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) throw RunError("the image could not be encoded");
  WriteOutput(
      [&] { WriteWholeFile(out, std::string_view(png.constData(), static_cast<size_t>(png.size()))); });
  io.out << "wrote " << out << ": " << w << " x " << (h + RowHeight) << "\n";
  return ExitOk;
}

const CommandRegistration Registration{
    {"chart", "draw the audiogram chart of an audiogram file as a PNG image", ChartHelp, RunChart}};

}  // namespace

}  // namespace sonavel::cli
