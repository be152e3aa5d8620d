// Build tool: renders the application icon's SVG into square PNGs of the given sizes, named
// SIZE/sonavel.png below the output folder (the hicolor theme's layout, SIZExSIZE).
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc < 4) {
    std::fputs("usage: sonavel_icon_render SVG OUTDIR SIZE...\n", stderr);
    return 2;
  }
  QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
  if (!renderer.isValid()) {
    std::fprintf(stderr, "sonavel_icon_render: cannot read %s\n", argv[1]);
    return 1;
  }
  const QString outDir = QString::fromLocal8Bit(argv[2]);
  for (int i = 3; i < argc; ++i) {
    const int size = QString::fromLatin1(argv[i]).toInt();
    if (size <= 0 || size > 1024) {
      std::fprintf(stderr, "sonavel_icon_render: bad size %s\n", argv[i]);
      return 2;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
      QPainter p(&image);
      p.setRenderHint(QPainter::Antialiasing);
      renderer.render(&p, QRectF(0, 0, size, size));
    }
    const QString dir = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(size);
    if (!QDir().mkpath(dir) || !image.save(dir + "/sonavel.png", "PNG")) {
      std::fprintf(stderr, "sonavel_icon_render: cannot write %s\n", qPrintable(dir));
      return 1;
    }
  }
  return 0;
}
