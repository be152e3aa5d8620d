// The results window's texts for the audiograms that show its rules, and printing the main
// window and the results window to PDF files.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>

#include "app/printing.h"
#include "app/results_window.h"
#include "test_run_rig.h"

namespace sonavel::apptest {
namespace {

// An audiogram with every threshold at 10 dB in both ears, 250 Hz to 8 kHz, measured cleanly.
PatientFile Clean() {
  PatientFile a;
  a.ClearAll();
  for (int32_t e = 0; e < 2; ++e)
    for (int32_t slot = 1; slot <= 10; ++slot) {
      a.Reverse[e][slot] = {6, 10, 10, 10, 10, 10, 10};
      a.Threshold[e][slot] = 10;
    }
  return a;
}

struct ResultsCase {
  const char* name;
  std::function<void(PatientFile&)> change;
  const char* category;
  const char* retest;
  const char* deviation;
};

const char* const AllWithin = "Alle Ergebnisse liegen innerhalb der Toleranzgrenzen für Genauigkeit.";
const char* const CannotCompute = "Hörkategorie kann nicht berechnet werden.";
const char* const DeviationStart =
    "Die Hörschwelle der Wiederholungsmessung bei 1kHz weicht von der ersten Messung um ";

TEST(ResultsWindow, TextsFollowTheAudiogram) {
  const std::vector<ResultsCase> cases{
      {"clean, no repeat", [](PatientFile&) {}, "Hörkategorie: 5", AllWithin, ""},
      {"two entries, left first, final blank",
       [](PatientFile& a) {
         a.Reverse[0][6][SpreadElement] = 12;  // 2000 Hz left
         a.Reverse[1][2][0] = 4;               // 500 Hz right: 4 of 6 reversals
       },
       "Hörkategorie: 5", "Testwiederholung emfohlen für die Frequenzen: 2000Hz (L); 500Hz (R); ", ""},
      {"repeat 5 dB below",
       [](PatientFile& a) {
         a.Threshold[0][4] = 20;
         a.Reverse[0][11] = {6, 15, 15, 15, 15, 15, 15};
         a.Threshold[0][11] = 15;
       },
       "Hörkategorie: 5", AllWithin, "um -5dB ab."},
      {"repeat equal",
       [](PatientFile& a) {
         a.Reverse[0][11] = {6, 10, 10, 10, 10, 10, 10};
         a.Threshold[0][11] = 10;
       },
       "Hörkategorie: 5", AllWithin, "um 0dB ab."},
      {"6000 Hz right missing", [](PatientFile& a) { a.Threshold[1][9] = NoResult; }, CannotCompute,
       AllWithin, ""},
  };
  TestRunRig r;
  TfrmMain& w = r.Window();
  TfrmResults& res = w.ResultsWindow();
  for (const ResultsCase& c : cases) {
    SCOPED_TRACE(c.name);
    PatientFile a = Clean();
    c.change(a);
    r.State().CurrentAudiogram = a;
    r.State().ResultsPresent = true;
    w.RepaintAudiogram();
    w.ViewResults1Click();
    EXPECT_EQ(res.Category->text(), QString::fromUtf8(c.category));
    EXPECT_EQ(res.DodgyResults->text(), QString::fromUtf8(c.retest));
    if (*c.deviation == 0) {
      // Also after an audiogram that had one.
      EXPECT_EQ(res.retestdev->text(), "");
    } else {
      EXPECT_TRUE(res.retestdev->text().startsWith(QString::fromUtf8(DeviationStart)));
      EXPECT_TRUE(res.retestdev->text().endsWith(QString::fromUtf8(c.deviation)))
          << res.retestdev->text().toStdString();
    }
    res.OK->click();
  }
}

// Every statistics text is shown whole in the window's font: the labels grow to their text one
// under the other, their box and the window with them, and the buttons stay below it all.
TEST(ResultsWindow, LongTextsAreShownWhole) {
  TestRunRig r;
  TfrmMain& w = r.Window();
  TfrmResults& res = w.ResultsWindow();
  const int laidOutHeight = res.height();
  for (const bool everySlotInaccurate : {false, true}) {
    SCOPED_TRACE(everySlotInaccurate);
    PatientFile a = Clean();
    a.Reverse[0][11] = {6, 15, 15, 15, 15, 15, 15};  // the 1 kHz repeat: its sentence is there
    a.Threshold[0][11] = 15;
    if (everySlotInaccurate)
      for (int32_t e = 0; e < 2; ++e)
        for (int32_t slot = 1; slot <= 10; ++slot) a.Reverse[e][slot][SpreadElement] = 20;
    r.State().CurrentAudiogram = a;
    r.State().ResultsPresent = true;
    w.ViewResults1Click();
    int below = 0;
    for (QLabel* l : {res.Category, res.DodgyResults, res.retestdev}) {
      SCOPED_TRACE(l->objectName().toStdString());
      EXPECT_GE(l->height(), l->heightForWidth(l->width()));
      EXPECT_GE(l->y(), below);
      below = l->geometry().bottom();
      EXPECT_LE(l->geometry().bottom(), l->parentWidget()->height());
    }
    const QRect box = res.DodgyResults->parentWidget()->geometry();
    EXPECT_LT(box.bottom(), res.OK->y());
    EXPECT_LE(res.OK->geometry().bottom(), res.height());
    if (everySlotInaccurate) {
      EXPECT_GT(res.height(), laidOutHeight);
    }
    res.OK->click();
  }
}

// ---------------------------------------------------------------------------------------------
// Printing.

bool HavePoppler() {
  return !QStandardPaths::findExecutable("pdftotext").isEmpty() &&
         !QStandardPaths::findExecutable("pdfinfo").isEmpty() &&
         !QStandardPaths::findExecutable("pdftoppm").isEmpty();
}

QString RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(30000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

// Prints to a PDF file through the printer dialog's seam.
void ToPdf(SimDesktopServices& desktop, const QString& path, bool* asked = nullptr, bool accept = true) {
  desktop.Printer = [path, asked, accept](QPrinter& printer, PrinterDialog) {
    if (asked) *asked = true;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    return accept;
  };
}

// The share of the page that is white or nearly so (lines and texts are drawn antialiased).
double WhiteShare(const QImage& page) {
  int64_t white = 0;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) {
      const QColor c = page.pixelColor(x, y);
      if (c.red() >= 0xF0 && c.green() >= 0xF0 && c.blue() >= 0xF0) ++white;
    }
  return static_cast<double>(white) / (static_cast<double>(page.width()) * page.height());
}

QImage FirstPage(const QString& pdf, const QString& stem) {
  RunTool("pdftoppm", {"-r", "40", "-png", "-f", "1", "-l", "1", "-singlefile", pdf, stem});
  return QImage(stem + ".png");
}

TEST(Printing, MainWindowPrintsOneWhitePageWithTheCalibrationLineOnlyWhenAsked) {
  if (!HavePoppler()) GTEST_SKIP() << "poppler-utils missing";
  for (const bool printCal : {false, true}) {
    SCOPED_TRACE(printCal);
    TestRunRig r;
    TfrmMain& w = r.Window();
    AppState& s = r.State();
    s.CurrentAudiogram = Clean();
    s.ResultsPresent = true;
    s.Settings.chkPrintCal = printCal;
    w.txtFirstName->setText("Erika");
    w.RepaintAudiogram();
    const GraphColourSet before = s.Settings.GraphColours;
    const QColor windowBefore = w.palette().color(QPalette::Window);
    const QString pdf = QString::fromStdString(r.rig.Dir("main.pdf"));
    ToPdf(r.rig.desktop, pdf);

    w.Print1Click();

    ASSERT_TRUE(QFile::exists(pdf));
    if (qEnvironmentVariableIsSet("SONAVEL_KEEP_PRINTS"))
      QFile::copy(pdf,
                  qEnvironmentVariable("SONAVEL_KEEP_PRINTS") + (printCal ? "/main-cal.pdf" : "/main.pdf"));
    EXPECT_TRUE(RunTool("pdfinfo", {pdf}).contains(QRegularExpression("Pages:\\s+1\\n")));
    const QString text = RunTool("pdftotext", {"-layout", pdf, "-"});
    EXPECT_TRUE(text.contains("Erika"));
    EXPECT_TRUE(text.contains("Audiogramm"));
    EXPECT_EQ(text.contains("Dateiname Kalibierung: Keine Datei ausgewählt"), printCal) << text.toStdString();
    const QImage page = FirstPage(pdf, QString::fromStdString(r.rig.Dir("main")));
    ASSERT_FALSE(page.isNull());
    // White paper and a white window and chart (the olive of the chart on screen would cover a
    // fifth of the page).
    EXPECT_EQ(page.pixelColor(2, 2), QColor(Qt::white));
    EXPECT_GT(WhiteShare(page), 0.9);
    // Afterwards the window has its colours again and the label is hidden.
    EXPECT_EQ(s.Settings.GraphColours, before);
    EXPECT_EQ(w.palette().color(QPalette::Window), windowBefore);
    EXPECT_TRUE(w.lblCalFilename->isHidden());
  }
}

TEST(Printing, CancelPrintsNothingAndAFailedJobIsReportedWithTheColoursRestored) {
  TestRunRig r;
  TfrmMain& w = r.Window();
  AppState& s = r.State();
  s.Settings.chkPrintCal = true;
  const GraphColourSet before = s.Settings.GraphColours;
  bool asked = false;
  const QString cancelled = QString::fromStdString(r.rig.Dir("cancelled.pdf"));
  ToPdf(r.rig.desktop, cancelled, &asked, false);
  w.Print1Click();
  EXPECT_TRUE(asked);
  EXPECT_FALSE(QFile::exists(cancelled));
  EXPECT_TRUE(r.rig.host.Messages.empty());

  ToPdf(r.rig.desktop, QString::fromStdString(r.rig.Dir("no/such/folder/x.pdf")));
  w.Print1Click();
  ASSERT_EQ(r.rig.host.Messages.size(), 1u);
  EXPECT_EQ(r.rig.host.Messages[0].icon, MessageIcon::Error);
  EXPECT_NE(r.rig.host.Messages[0].text.find("x.pdf"), std::string::npos);
  EXPECT_EQ(s.Settings.GraphColours, before);
  EXPECT_TRUE(w.lblCalFilename->isHidden());

  // The results window's button: buttons and colour come back after a failed job too.
  TfrmResults& res = w.ResultsWindow();
  const QColor resultsBefore = res.palette().color(QPalette::Window);
  w.ViewResults1Click();
  res.PrintButton->click();
  EXPECT_EQ(r.rig.host.Messages.size(), 2u);
  EXPECT_TRUE(res.OK->isEnabled());
  EXPECT_TRUE(res.PrintButton->isEnabled());
  EXPECT_EQ(res.palette().color(QPalette::Window), resultsBefore);
}

TEST(Printing, ResultsWindowPrintsItsTableAsTextWithoutADialog) {
  if (!HavePoppler()) GTEST_SKIP() << "poppler-utils missing";
  TestRunRig r;
  TfrmMain& w = r.Window();
  r.State().CurrentAudiogram = Clean();
  r.State().CurrentAudiogram.Threshold[1][8] = 35;  // 4000 Hz right
  r.State().ResultsPresent = true;
  const QString pdf = QString::fromStdString(r.rig.Dir("results.pdf"));
  bool asked = false;
  ToPdf(r.rig.desktop, pdf, &asked);
  w.Printing().Printer().setOutputFormat(QPrinter::PdfFormat);
  w.Printing().Printer().setOutputFileName(pdf);
  w.ViewResults1Click();
  w.ResultsWindow().PrintButton->click();
  EXPECT_FALSE(asked);
  ASSERT_TRUE(QFile::exists(pdf));
  const QString text = RunTool("pdftotext", {"-layout", pdf, "-"});
  for (const char* expected : {"Hörschwellen", "Statistik", "Hörkategorie: 5", "4000", "35", "Drucken"})
    EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
  const QImage page = FirstPage(pdf, QString::fromStdString(r.rig.Dir("results")));
  EXPECT_EQ(page.pixelColor(2, 2), QColor(Qt::white));
  EXPECT_GT(WhiteShare(page), 0.9);
}

}  // namespace
}  // namespace sonavel::apptest
