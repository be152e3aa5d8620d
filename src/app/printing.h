// Printing a window: the window draws itself by its own painting onto the printer, at the
// top-left of the page and scaled by the printer's resolution over the screen's, so that the
// printout has the window's size on paper and a PDF keeps its texts as text. The printer and its
// setup are kept for the run.
#pragma once

#include <QPainter>
#include <QPrinter>
#include <functional>
#include <memory>

#include "app/desktop_services.h"
#include "platform/qt/qpainter_canvas.h"

class QWidget;

namespace sonavel {

class PrintService {
 public:
  explicit PrintService(DesktopServices& desktop);
  ~PrintService();

  // The current printer: a PDF file is one of its targets (QPrinter::PdfFormat).
  QPrinter& Printer() { return *printer_; }

  // The printer dialog; false when the user cancels it.
  bool AskPrinter(QWidget* parent);
  // The printer set-up: the same dialog, titled "Druckereinstellungen" and taken with OK, in
  // which the user chooses the printer or a PDF file and its options (page set-up included) for
  // the printouts that follow; nothing is printed.
  bool SetUpPrinter(QWidget* parent);
  // Whether a printout could go somewhere without asking: a printer, or a PDF file named.
  bool ReadyToPrint() const;
  // The PDF file a printout without a dialog would replace ("" when it prints to a printer or
  // to a file that is not there yet).
  QString FileToReplace() const;

 private:
  DesktopServices& desktop_;
  std::unique_ptr<QPrinter> printer_;
};

// Paints a widget of the program's own onto paper (the charts, the results table) and returns
// true; false for a widget it does not know, which is then drawn as a standard control.
using PaperPainter = std::function<bool(QWidget& widget, QPainter& painter)>;

// Prints `widget` as one page: its background, then each visible control as the style draws it
// and the program's own areas by their own painting, all as vector drawing with real text.
// Throws SonavelError with the reason when the job cannot be started or finished.
void PrintWidgetImage(QPrinter& printer, QWidget& widget, const PaperPainter& own = {});

// A canvas on paper: lines are one screen pixel wide at any printer resolution.

class PaperCanvas : public QPainterCanvas {
 public:
  PaperCanvas(QPainter& painter, int32_t width, int32_t height, Colour background, const QPalette& palette,
              const QFont& font);
  void MoveTo(int32_t x, int32_t y) override;
  void LineTo(int32_t x, int32_t y) override;
  CanvasPoint PenPos() const override { return pos_; }

 private:
  QPainter& painter_;
  QPalette palette_;
  CanvasPoint pos_{};
};

// Restores what a print command changed, however the command ends.
class RestoreAfterPrint {
 public:
  explicit RestoreAfterPrint(std::function<void()> restore) : restore_(std::move(restore)) {}
  ~RestoreAfterPrint() {
    if (restore_) restore_();
  }
  RestoreAfterPrint(const RestoreAfterPrint&) = delete;
  RestoreAfterPrint& operator=(const RestoreAfterPrint&) = delete;

 private:
  std::function<void()> restore_;
};

}  // namespace sonavel
