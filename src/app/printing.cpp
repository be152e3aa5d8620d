#include "app/printing.h"

#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QWidget>

#include "core/error.h"

namespace sonavel {

PrintService::PrintService() : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

PrintService::~PrintService() = default;

bool PrintService::AskPrinter(QWidget* parent) {
  if (PrintDialogHook) return PrintDialogHook(*printer_);
  QPrintDialog dialog(printer_.get(), parent);
  dialog.setWindowTitle(QStringLiteral("Drucken"));
  dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
  return dialog.exec() == QDialog::Accepted;
}

void PrintService::PageSetup(QWidget* parent) {
  if (PageSetupHook) {
    PageSetupHook(*printer_);
    return;
  }
  QPageSetupDialog dialog(printer_.get(), parent);
  dialog.setWindowTitle(QStringLiteral("Druckereinstellungen"));
  dialog.exec();
}

void PrintWidgetImage(QPrinter& printer, QWidget& widget) {
  QPainter painter;
  if (!painter.begin(&printer)) {
    if (printer.outputFormat() == QPrinter::PdfFormat)
      throw SonavelError("Die Datei \"" + printer.outputFileName().toStdString() +
                         "\" kann nicht zum Drucken geöffnet werden.");
    throw SonavelError("Der Drucker \"" + printer.printerName().toStdString() +
                       "\" kann den Druckauftrag nicht annehmen.");
  }
  // The window keeps its size on paper: printer pixels per inch over the screen's.
  const double sx = static_cast<double>(printer.logicalDpiX()) / widget.logicalDpiX();
  const double sy = static_cast<double>(printer.logicalDpiY()) / widget.logicalDpiY();
  painter.scale(sx, sy);
  widget.render(&painter, QPoint(0, 0), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
  if (!painter.end()) throw SonavelError("Der Druckauftrag konnte nicht abgeschlossen werden.");
  if (printer.outputFormat() == QPrinter::PdfFormat && !QFileInfo::exists(printer.outputFileName()))
    throw SonavelError("Die Datei \"" + printer.outputFileName().toStdString() +
                       "\" wurde nicht geschrieben.");
}

}  // namespace sonavel
