#include "app/bio_cal_wizard.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>

#include "app/window_keys.h"
#include "app/widget_helpers.h"

namespace sonavel {

namespace {

constexpr int WindowWidth = 801;  // room for the illustration right of the volume box
constexpr int WindowHeight = 500;
constexpr int LeftWidth = 300;
constexpr int SliderHeight = 190;
constexpr const char* NextHint = "Click here when you are satisfied with the mixer settings";
constexpr const char* DirectionsHint = "Brief Instructions. For furter Information read your Manual.";


QLabel* WhiteLabel(QWidget* parent, const char* name) {
  auto* l = new QLabel(parent);
  l->setObjectName(QString::fromLatin1(name));
  l->setWordWrap(true);
  l->setAutoFillBackground(true);
  l->setMargin(4);
  l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QPalette p = l->palette();
  p.setColor(QPalette::Window, Qt::white);
  p.setColor(QPalette::WindowText, Qt::black);
  l->setPalette(p);
  l->setToolTip(QString::fromUtf8(DirectionsHint));
  return l;
}

}  // namespace

TfrmBioCal::TfrmBioCal(const CalibrationWindowContext& context, const CalibrationHandOver& handOver)
    : QWidget(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      rules_(context, handOver),
      host_(context.host) {
  setObjectName(QStringLiteral("frmBioCal"));
  setFixedSize(WindowWidth, WindowHeight);

  Label5 = new QLabel(QStringLiteral("Tongenerator"), this);
  Label5->setObjectName(QStringLiteral("Label5"));
  Label5->setGeometry(12, 8, LeftWidth, 20);
  ToneBox = new QFrame(this);
  ToneBox->setObjectName(QStringLiteral("ToneBox"));
  ToneBox->setFrameShape(QFrame::StyledPanel);
  ToneBox->setGeometry(12, 30, LeftWidth, 126);
  lblFreqSide = new QLabel(ToneBox);
  lblFreqSide->setObjectName(QStringLiteral("lblFreqSide"));
  lblFreqSide->setGeometry(12, 8, LeftWidth - 24, 24);
  QFont bold = lblFreqSide->font();
  bold.setBold(true);
  lblFreqSide->setFont(bold);
  Threshold = new QLineEdit(QStringLiteral("0"), ToneBox);
  Threshold->setObjectName(QStringLiteral("Threshold"));
  Threshold->setGeometry(12, 42, 70, 28);
  Threshold->setStyleSheet(QStringLiteral("QLineEdit { background: yellow; color: black; }"));
  Label6 = new QLabel(QStringLiteral("dB"), ToneBox);
  Label6->setObjectName(QStringLiteral("Label6"));
  Label6->setGeometry(88, 46, 30, 20);
  OnButton = new QPushButton(QStringLiteral("Ein"), ToneBox);
  OnButton->setObjectName(QStringLiteral("OnButton"));
  OnButton->setToolTip(QStringLiteral("Switches Test Tone On and Off"));
  OnButton->setGeometry(12, 82, 90, 30);
  shpLED = new Lamp(ToneBox);
  shpLED->setGeometry(114, 86, 22, 22);

  lblInstructions = new QLabel(QStringLiteral("Anleitung"), this);
  lblInstructions->setObjectName(QStringLiteral("lblInstructions"));
  lblInstructions->setGeometry(12, 166, LeftWidth, 20);
  Directions = WhiteLabel(this, "Directions");
  Label9 = WhiteLabel(this, "Label9");
  Label9->setText(QStringLiteral(
      "When you have found the hearing threshold, click on 'next' to proceed to the next frequency."));

  const int vx = 12 + LeftWidth + 14;
  Label7 = new QLabel(QStringLiteral("Windows Lautstärkeregler (Soundkarte)"), this);
  Label7->setObjectName(QStringLiteral("Label7"));
  Label7->setGeometry(vx, 8, 290, 20);
  sliders_ = std::make_unique<VolumeSliders>(this, vx, 30, SliderHeight, 96);
  VolumeBox = sliders_->Box;
  GainBox = new QFrame(VolumeBox);
  GainBox->setObjectName(QStringLiteral("GainBox"));
  GainBox->setFrameShape(QFrame::Box);
  GainBox->setFrameShadow(QFrame::Sunken);
  GainBox->setGeometry(190, 4, 96, SliderHeight + 58);
  sliders_->AddGain(GainBox, 3, 6);
  WaveColumn = sliders_->Wave.get();
  MasterColumn = sliders_->Master.get();
  GainColumn = sliders_->Gain.get();
  lblNotice = sliders_->Notice;

  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setPixmap(CalibrationIllustration());
  Image1->setGeometry(vx + 290 + 12, 30, 161, 168);

  const int by = WindowHeight - 44;
  Previous = new QPushButton(this);
  Previous->setObjectName(QStringLiteral("Previous"));
  Previous->setGeometry(12, by, 130, 32);
  HelpButton = new QPushButton(QStringLiteral("Hilfe"), this);
  HelpButton->setObjectName(QStringLiteral("HelpButton"));
  HelpButton->setToolTip(QString::fromUtf8(NextHint));
  HelpButton->setGeometry(WindowWidth - 12 - 130 - 10 - 110, by, 110, 32);
  Next = new QPushButton(QStringLiteral("Weiter ->"), this);
  Next->setObjectName(QStringLiteral("Next"));
  Next->setToolTip(QString::fromUtf8(NextHint));
  Next->setGeometry(WindowWidth - 12 - 130, by, 130, 32);
  Next->setDefault(true);

  sliders_->Connect(rules_);
  connect(Threshold, &QLineEdit::textChanged, this,
          [this](const QString& text) { rules_.SetThresholdText(text.toStdString()); });
  connect(Threshold, &QLineEdit::returnPressed, this, [this] {
    rules_.ThresholdEnter();
    ShowTone();
  });
  connect(OnButton, &QPushButton::clicked, this, &TfrmBioCal::OnButtonClick);
  connect(Next, &QPushButton::clicked, this, &TfrmBioCal::NextClick);
  connect(Previous, &QPushButton::clicked, this, &TfrmBioCal::PreviousClick);
  connect(HelpButton, &QPushButton::clicked, this, [this] { host_.OpenHelp(BioCalHelpContext); });
  // Escape is Previous: it cancels on the first page and goes back on the others. Enter in the
  // threshold field restarts the tone and presses nothing else.
  auto* keys = new WindowKeys(*this, Next, [this] { PreviousClick(); });
  keys->KeepReturn(Threshold);
  HelpKey(*this, [this] { host_.OpenHelp(BioCalHelpContext); });
}

void TfrmBioCal::Start(bool FreshCalibration) {
  rules_.Show(FreshCalibration);
  Threshold->setText(Q(rules_.ThresholdText()));
  Threshold->setVisible(rules_.ThresholdVisible());
  Label6->setVisible(rules_.ThresholdVisible());
  Directions->setText(Q(rules_.DirectionsText()));
  PlaceInstructions();
  const bool gain = rules_.GainVisible();
  GainBox->setVisible(gain);
  GainColumn->SetVisible(gain);
  ShowPage();
  CentreOnScreen(*this);
  show();
  raise();
  activateWindow();
  Next->setFocus();
}

void TfrmBioCal::PlaceInstructions() {
  // Label9 stands directly under the directions, whatever their length.
  const int top = 188;
  const int dh = Directions->heightForWidth(LeftWidth);
  Directions->setGeometry(12, top, LeftWidth, dh);
  const int lh = Label9->heightForWidth(LeftWidth);
  Label9->setGeometry(12, top + dh, LeftWidth, lh);
}

void TfrmBioCal::ShowPage() {
  setWindowTitle(Q(rules_.Caption()));
  lblFreqSide->setText(Q(rules_.FreqSideText()));
  Previous->setText(Q(rules_.PreviousCaption()));
  Previous->setToolTip(Q(rules_.PreviousHint()));
  sliders_->Show(rules_);
  ShowTone();
}

void TfrmBioCal::ShowTone() {
  OnButton->setText(Q(rules_.OnButtonCaption()));
  shpLED->SetGreen(rules_.LedGreen());
}

void TfrmBioCal::OnButtonClick() {
  rules_.SetThresholdText(Threshold->text().toStdString());
  rules_.OnButtonClick();
  ShowTone();
}

void TfrmBioCal::NextClick() {
  if (!rules_.IsOpen()) return;
  switch (rules_.NextClick()) {
    case WizardStep::Page:
      ShowPage();
      break;
    case WizardStep::Finished:
      ShowTone();
      hide();
      emit Finished();
      break;
    case WizardStep::Closed:
      hide();
      emit Closed();
      break;
  }
}

void TfrmBioCal::PreviousClick() {
  if (!rules_.IsOpen()) return;
  if (rules_.PreviousClick() == WizardStep::Page) {
    ShowPage();
    return;
  }
  ShowTone();
  hide();
  emit Closed();
}

void TfrmBioCal::closeEvent(QCloseEvent* event) {
  const bool wasOpen = rules_.IsOpen();
  rules_.Close();
  ShowTone();
  event->accept();
  // Hidden before the report, so that whoever hears it sees the window gone.
  hide();
  if (wasOpen) emit Closed();
}

}  // namespace sonavel
