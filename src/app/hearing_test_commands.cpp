// The main window's test, results and print commands: New Test, Retest, the results window,
// Print and Printer Setup.
#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>

#include "app/main_window.h"
#include "app/printing.h"
#include "app/results_window.h"
#include "app/hearing_test_window.h"
#include "core/error.h"
#include "platform/sim/sim_views.h"
#include "results/audiogram_chart.h"

namespace sonavel {

void TfrmMain::ConnectTestAndResults() {
  printing_ = std::make_unique<PrintService>(*desktop_);
  results_ = std::make_unique<TfrmResults>(ResultsWindowWiring{
      session_->State, host_, session_->Regional, *printing_, [this] { return lblDateTime->text(); }});
  connect(results_.get(), &TfrmResults::Closed, this, [this] { setEnabled(true); });

  connect(NewTest1, &QAction::triggered, this, &TfrmMain::NewTest1Click);
  connect(Retest1, &QAction::triggered, this, &TfrmMain::Retest1Click);
  connect(Retest2, &QAction::triggered, this, &TfrmMain::Retest1Click);
  connect(ViewResults1, &QAction::triggered, this, &TfrmMain::ViewResults1Click);
  connect(ViewResults2, &QAction::triggered, this, &TfrmMain::ViewResults1Click);
  connect(Print1, &QAction::triggered, this, &TfrmMain::Print1Click);
  connect(PrinterSetup1, &QAction::triggered, this, &TfrmMain::PrinterSetup1Click);
  UpdateMenus();
}

void TfrmMain::NewTest1Click() {
  // A second run cannot start while one is active (F5 pressed again during a run).
  if (session_->Procedure().Running()) return;
  session_->Procedure().NewTest1Click();
  AfterRun();
}

void TfrmMain::Retest1Click() {
  if (session_->Procedure().Running()) return;
  session_->Procedure().Retest1Click();
  AfterRun();
}

void TfrmMain::AfterRun() {
  RepaintAudiogram();
  RunStateChanged();
  // The main window was closed during the run: the program ends now that the run has stopped.
  if (State().Closing) {
    testWindow_->hide();
    QCoreApplication::quit();
  }
}

void TfrmMain::ViewResults1Click() {
  setEnabled(false);
  results_->FormActivate();
  results_->show();
  results_->raise();
  results_->activateWindow();
}

void TfrmMain::PrinterSetup1Click() { printing_->SetUpPrinter(this); }

void TfrmMain::Print1Click() {
  if (!printing_->AskPrinter(this)) return;
  std::string failure;
  {
    GraphColourSet& colours = State().Settings.GraphColours;
    const Colour area = colours[ColourAudiogramBackground];
    const Colour window = colours[ColourApplicationBackground];
    // The settings colours and the hidden label come back also when the job fails.
    RestoreAfterPrint restore([this, area, window] {
      GraphColourSet& c = State().Settings.GraphColours;
      c[ColourAudiogramBackground] = area;
      c[ColourApplicationBackground] = window;
      lblCalFilename->hide();
      ApplyMainWindowColour(window);
    });
    colours[ColourAudiogramBackground] = ColourWhite;
    colours[ColourApplicationBackground] = ColourWhite;
    ApplyMainWindowColour(ColourWhite);
    if (State().Settings.chkPrintCal) lblCalFilename->show();
    lblCalFilename->setText(QStringLiteral("Dateiname Kalibierung: ") +
                            QString::fromStdString(State().Settings.CalFilename));
    // The chart and the threshold row draw themselves onto the paper.
    const PaperPainter own = [this](QWidget& w, QPainter& p) {
      if (&w != pbxAudiogram && &w != pbxResults) return false;
      const GraphColourSet& c = State().Settings.GraphColours;
      const QPalette palette = QGuiApplication::palette();
      // Each area is drawn alone, clipped to itself.
      const bool chart = &w == pbxAudiogram;
      PaperCanvas here(p, w.width(), w.height(),
                       c[chart ? ColourAudiogramBackground : ColourApplicationBackground], palette,
                       ChartFont());
      NullCanvas none(chart ? pbxResults->width() : pbxAudiogram->width(),
                      chart ? pbxResults->height() : pbxAudiogram->height(), ColourWhite);
      if (chart)
        pbxAudiogramPaint(here, none, State());
      else
        pbxAudiogramPaint(none, here, State());
      return true;
    };
    try {
      PrintWidgetImage(printing_->Printer(), *Client, own);
    } catch (const SonavelError& e) {
      failure = e.what();
    }
  }
  if (!failure.empty()) host_.MessageBox(failure, "", MessageIcon::Error, ButtonOk);
}

}  // namespace sonavel
