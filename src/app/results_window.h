// The results window: who was tested and when, the table of thresholds per frequency and ear,
// the hearing category, the results to retest and the deviation of the 1 kHz repeat, with OK,
// Help and Print. Its texts come from the results rules of the core; the window fills them at
// each activation and draws the table in FormPaint.
#pragma once

#include <QWidget>
#include <functional>

#include "core/host.h"
#include "core/regional.h"
#include "model/state.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace sonavel {

class PrintService;

struct ResultsWindowWiring {
  AppState& state;
  Host& host;
  RegionalFormat regional;
  PrintService& printing;
  // The text of the main window's date label as the chart last set it.
  std::function<QString()> dateLabelText;
};

class TfrmResults : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmResults(const ResultsWindowWiring& wiring, QWidget* parent = nullptr);

  void FormActivate();
  void OKClick() { close(); }
  void PrintButtonClick();
  void HelpButton1Click() { host_.OpenHelp(24); }
  // The hearing category of the last activation.
  int32_t KeptCategory() const { return category_; }
  // Draws the threshold table (the Table area's paint handler, also on paper).
  void FormPaint(QPainter& painter);

  QGroupBox *GroupBox1, *GroupBox2, *GroupBox3;
  QLabel *NameLabel, *TestDateTimeLabel;
  QLabel *HeaderFrequency, *HeaderThreshold, *HeaderLeft, *HeaderRight;
  QWidget* Table;
  QLabel *Category, *DodgyResults, *retestdev;
  QPushButton *HelpButton1, *PrintButton, *OK;

 signals:
  // Hidden or closed: the main window is enabled again.
  void Closed();

 protected:
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void SetBackground(bool white);
  // The statistics labels grow to their text in the window's font, one under the other from
  // where they were laid out; their box, and the window, grow with them.
  void LayOutStatistics();

  AppState& state_;
  Host& host_;
  RegionalFormat regional_;
  PrintService& printing_;
  std::function<QString()> dateLabelText_;
  int32_t category_ = 0;
};

}  // namespace sonavel
