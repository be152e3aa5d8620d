#include "app/results_window.h"

#include <QEvent>
#include <algorithm>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include "app/desktop_font.h"
#include "app/printing.h"
#include "app/window_keys.h"
#include "app/widget_helpers.h"
#include "core/error.h"
#include "platform/qt/qpainter_canvas.h"
#include "results/analysis.h"
#include "results/results_summary.h"
#include "results/results_table.h"

namespace sonavel {

namespace {

constexpr int ClientWidth = 503;
constexpr int ClientHeight = 507;
constexpr int StatisticsBoxHeight = 262;
constexpr int ButtonTop = 466;


class TableArea : public QWidget {
 public:
  TableArea(TfrmResults& owner, QWidget* parent) : QWidget(parent), owner_(owner) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    owner_.FormPaint(p);
  }

 private:
  TfrmResults& owner_;
};

QFrame* Rule(QWidget* parent, int x, int y, int w, int h, QFrame::Shape shape) {
  auto* f = new QFrame(parent);
  f->setFrameShape(shape);
  f->setFrameShadow(QFrame::Sunken);
  f->setGeometry(x, y, w, h);
  return f;
}

QLabel* Label(QWidget* parent, const char* name, int x, int y) {
  auto* l = new QLabel(parent);
  l->setObjectName(QString::fromLatin1(name));
  l->move(x, y);
  return l;
}

}  // namespace

TfrmResults::TfrmResults(const ResultsWindowWiring& w, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      state_(w.state),
      host_(w.host),
      regional_(w.regional),
      printing_(w.printing),
      dateLabelText_(w.dateLabelText) {
  setObjectName(QStringLiteral("frmResults"));
  setFont(DesktopFont(14));
  setFixedSize(ClientWidth, ClientHeight);
  setAutoFillBackground(true);

  GroupBox3 = new QGroupBox(this);
  GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
  GroupBox3->setGeometry(15, 15, 336, 99);
  NameLabel = Label(GroupBox3, "NameLabel", 10, 20);
  TestDateTimeLabel = Label(GroupBox3, "TestDateTimeLabel", 10, 44);

  GroupBox1 = new QGroupBox(this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  GroupBox1->setGeometry(16, 118, 218, 336);
  Table = new TableArea(*this, GroupBox1);
  Table->setObjectName(QStringLiteral("Table"));
  Table->setGeometry(2, 18, 214, 316);
  // Further left than the other headers: at the window font its text needs the room before the rule.
  HeaderFrequency = Label(GroupBox1, "HeaderFrequency", 4, 49);
  HeaderFrequency->setText(QStringLiteral(" f (Hz)"));
  HeaderThreshold = Label(GroupBox1, "HeaderThreshold", 49, 30);
  HeaderThreshold->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  HeaderLeft = Label(GroupBox1, "HeaderLeft", 59, 49);
  HeaderRight = Label(GroupBox1, "HeaderRight", 118, 49);
  Rule(GroupBox1, 10, 69, 168, 2, QFrame::HLine);
  Rule(GroupBox1, 49, 30, 2, 296, QFrame::VLine);

  GroupBox2 = new QGroupBox(this);
  GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
  GroupBox2->setGeometry(247, 118, 218, StatisticsBoxHeight);
  auto wrapped = [this](const char* name, int x, int y, int width, int height) {
    QLabel* l = Label(GroupBox2, name, x, y);
    l->resize(width, height);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
  };
  Category = wrapped("Category", 15, 25, 179, 37);
  DodgyResults = wrapped("DodgyResults", 15, 63, 178, 119);
  retestdev = wrapped("retestdev", 15, 182, 178, 70);

  auto button = [this](const char* name, int x, int y, int width, int height) {
    auto* b = new QPushButton(this);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(x, y, width, height);
    return b;
  };
  HelpButton1 = button("HelpButton1", 196, ButtonTop, 92, 32);
  PrintButton = button("PrintButton", 300, ButtonTop, 93, 32);
  OK = button("OK", 404, ButtonTop, 92, 32);
  OK->setDefault(true);
  connect(OK, &QPushButton::clicked, this, &TfrmResults::OKClick);
  connect(PrintButton, &QPushButton::clicked, this, &TfrmResults::PrintButtonClick);
  connect(HelpButton1, &QPushButton::clicked, this, &TfrmResults::HelpButton1Click);
  new WindowKeys(*this, OK, [this] { if (OK->isEnabled()) OKClick(); });
  HelpKey(*this, [this] { HelpButton1Click(); });

  // FormCreate: the German texts.
  setWindowTitle(QStringLiteral("Ergebnisse und Statistik"));
  GroupBox1->setTitle(QStringLiteral("Hörschwellen"));
  GroupBox2->setTitle(QStringLiteral("Statistik"));
  HelpButton1->setText(QStringLiteral("Hilfe"));
  PrintButton->setText(QStringLiteral("Drucken"));
  OK->setText(QStringLiteral("OK"));
  HeaderThreshold->setText(QStringLiteral("Hörschwelle"));
  HeaderThreshold->setFixedWidth(120);
  HeaderLeft->setText(QStringLiteral("Links"));
  HeaderRight->setText(QStringLiteral("Rechts"));
  for (QLabel* l : {HeaderFrequency, HeaderLeft, HeaderRight}) l->adjustSize();

  CentreOnScreen(*this);
}

void TfrmResults::FormActivate() {
  const PatientFile& a = state_.CurrentAudiogram;
  category_ = sonavel::Category(a, state_.Personal.DateOfBirth, regional_, host_.Now());
  TestDateTimeLabel->setText(dateLabelText_ ? dateLabelText_() : QString());
  TestDateTimeLabel->adjustSize();
  NameLabel->setText(Q(ResultsNameLine(state_.Personal, regional_)));
  NameLabel->adjustSize();
  DodgyResults->setText(Q(RetestText(a, state_.FrequencyTable, MinReversalsOf(state_.Settings))));
  retestdev->setText(Q(DeviationText(a)));
  Category->setText(Q(CategoryText(category_)));
  LayOutStatistics();
  Table->update();
}

void TfrmResults::LayOutStatistics() {
  struct Laid {
    QLabel* label;
    int top, height;
  };
  // As laid out: enough for the usual texts; a long list of inaccurate results or the 1 kHz
  // sentence in a wider font needs more, and must not lose its last words.
  const Laid laid[] = {{Category, 25, 37}, {DodgyResults, 63, 119}, {retestdev, 182, 70}};
  int bottom = 0;
  for (const Laid& l : laid) {
    // A label pushed down by a longer one keeps a gap to it.
    const int top = bottom > l.top ? bottom + 6 : l.top;
    const int height = std::max(l.height, l.label->heightForWidth(l.label->width()));
    l.label->setGeometry(l.label->x(), top, l.label->width(), height);
    bottom = top + height;
  }
  const int boxHeight = std::max(StatisticsBoxHeight, bottom + 8);
  GroupBox2->resize(GroupBox2->width(), boxHeight);
  // The window grows only when the box would reach past the thresholds' box beside it.
  const int reach = GroupBox2->y() + boxHeight - (GroupBox1->y() + GroupBox1->height());
  const int grow = std::max(0, reach);
  for (QPushButton* b : {HelpButton1, PrintButton, OK}) b->move(b->x(), ButtonTop + grow);
  setFixedSize(ClientWidth, ClientHeight + grow);
}

void TfrmResults::FormPaint(QPainter& painter) {
  const Colour background = palette().color(QPalette::Window) == Qt::white ? ColourWhite : ColourButtonFace;
  QPainterCanvas canvas(painter, Table->width(), Table->height(), background, palette(), font());
  canvas.SetFontColour(SystemColourFlag | 8);
  ResultsTablePaint(canvas, state_.CurrentAudiogram, state_.FrequencyTable);
  Category->setText(Q(CategoryText(category_)));
}

void TfrmResults::SetBackground(bool white) {
  QPalette p = palette();
  p.setColor(QPalette::Window,
             white ? QColor(Qt::white) : QGuiApplication::palette().color(QPalette::Window));
  setPalette(p);
  repaint();
}

void TfrmResults::PrintButtonClick() {
  // Drucken has no dialog of its own: with nothing set up it asks where to print, and a PDF
  // file that is there already is replaced only when the user says so.
  // (The printer dialog asks about a file that is there itself.)
  const bool asked = !printing_.ReadyToPrint();
  if (asked && !printing_.AskPrinter(this)) return;
  if (const QString file = printing_.FileToReplace(); !asked && !file.isEmpty()) {
    const std::string text = "Die Datei „" + file.toStdString() +
                             "“ gibt es bereits. Soll der Ausdruck sie ersetzen?";
    if (host_.MessageBox(text, "Drucken", MessageIcon::Confirmation, ButtonYes | ButtonNo) != ResultYes) return;
  }
  std::optional<Failure> failure;
  {
    // The buttons and the colour come back also when the job fails.
    RestoreAfterPrint restore([this] {
      OK->setEnabled(true);
      PrintButton->setEnabled(true);
      SetBackground(false);
    });
    OK->setEnabled(false);
    PrintButton->setEnabled(false);
    SetBackground(true);
    failure = FailureOf([this] {
      PrintWidgetImage(printing_.Printer(), *this, [this](QWidget& w, QPainter& p) {
        if (&w != Table) return false;
        FormPaint(p);
        return true;
      });
    });
  }
  // Over the restored window.
  if (failure) ShowFailure(host_, {failure->Text, MessageIcon::Error});
}

void TfrmResults::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TfrmResults::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The keyboard starts on the default button, so that Return is OK as in any dialog.
  OK->setFocus();
}

void TfrmResults::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  emit Closed();
}

}  // namespace sonavel
