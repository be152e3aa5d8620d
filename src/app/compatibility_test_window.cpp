#include "app/compatibility_test_window.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>

#include "app/window_keys.h"
#include "app/widget_helpers.h"

namespace sonavel {

namespace {

constexpr int WindowWidth = 730;
constexpr int WindowHeight = 500;
constexpr int SliderHeight = 200;


QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, const QRect& where,
                  bool wrap = false) {
  auto* l = new QLabel(QString::fromUtf8(text), parent);
  l->setObjectName(QString::fromLatin1(name));
  l->setGeometry(where);
  l->setWordWrap(wrap);
  if (wrap) l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return l;
}

}  // namespace

TfrmCompatibilityTest::TfrmCompatibilityTest(const CalibrationWindowContext& context)
    : QWidget(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), rules_(context), host_(context.host) {
  setObjectName(QStringLiteral("frmCompatibilityTest"));
  setWindowTitle(QStringLiteral("Compatibility Test"));
  setFixedSize(WindowWidth, WindowHeight);

  sliders_ = std::make_unique<VolumeSliders>(this, 12, 12, SliderHeight, 98);
  sliders_->AddGain(nullptr, 194, 10);
  VolumeBox = sliders_->Box;
  WaveColumn = sliders_->Wave.get();
  MasterColumn = sliders_->Master.get();
  GainColumn = sliders_->Gain.get();
  lblNotice = sliders_->Notice;

  // The frequency slider: position 1 (top) is 8000 Hz, position 11 (bottom) 125 Hz.
  tbrFrequency = new QSlider(Qt::Vertical, this);
  tbrFrequency->setObjectName(QStringLiteral("tbrFrequency"));
  tbrFrequency->setInvertedAppearance(true);
  tbrFrequency->setInvertedControls(true);
  tbrFrequency->setRange(FrequencyPositionMin, FrequencyPositionMax);
  tbrFrequency->setPageStep(1);
  tbrFrequency->setTickInterval(1);
  tbrFrequency->setTickPosition(QSlider::TicksBothSides);
  tbrFrequency->setToolTip(QStringLiteral("Test frequency"));
  tbrFrequency->setGeometry(330, 22, 40, SliderHeight);
  tbrFrequency->setValue(rules_.FrequencyPosition());
  Label7 = MakeLabel(this, "Label7", "Frequenz", QRect(305, SliderHeight + 26, 90, 20));
  Label7->setAlignment(Qt::AlignHCenter);
  Label8 = MakeLabel(this, "Label8", "125", QRect(305, SliderHeight + 46, 90, 20));
  Label8->setAlignment(Qt::AlignHCenter);
  Label8->setText(Q(rules_.FrequencyText()));

  const int rx = 408, rw = WindowWidth - rx - 12;
  Label5 = MakeLabel(this, "Label5", "Tonpegel, relativ zum Maximalpegel", QRect(rx, 12, rw, 20));
  Threshold = new QLineEdit(QStringLiteral("0"), this);
  Threshold->setObjectName(QStringLiteral("Threshold"));
  Threshold->setToolTip(QStringLiteral("Output level, relative to digital full scale."));
  Threshold->setGeometry(rx, 36, 70, 28);
  Threshold->setStyleSheet(QStringLiteral("QLineEdit { background: yellow; color: black; }"));
  Label6 = MakeLabel(this, "Label6", "dB", QRect(rx + 76, 40, 30, 20));
  Label1 = MakeLabel(this, "Label1", "Testton auf Hörschwellenpegel abspielen", QRect(rx, 78, rw, 20));
  OnButton = new QPushButton(QStringLiteral("Ein"), this);
  OnButton->setObjectName(QStringLiteral("OnButton"));
  OnButton->setToolTip(QStringLiteral("Take care and your headphones off when pressing this button."));
  OnButton->setGeometry(rx, 102, 90, 30);
  shpLED = new Lamp(this);
  shpLED->setGeometry(rx + 102, 106, 22, 22);
  lblChannel = MakeLabel(this, "lblChannel", "Gewählter Kanal", QRect(rx, 150, rw, 20));
  rdoLeftEar = new QRadioButton(QStringLiteral("Linkes Ohr"), this);
  rdoLeftEar->setObjectName(QStringLiteral("rdoLeftEar"));
  rdoLeftEar->setGeometry(rx, 172, 130, 24);
  rdoLeftEar->setChecked(true);
  rdoRightEar = new QRadioButton(QStringLiteral("Rechtes Ohr"), this);
  rdoRightEar->setObjectName(QStringLiteral("rdoRightEar"));
  rdoRightEar->setGeometry(rx + 130, 172, 130, 24);
  lblSoundLeft = MakeLabel(this, "lblSoundLeft", "Der Ton sollte nur aus dem gewählten Kanal kommen.",
                           QRect(rx, 202, rw, 44), true);

  Directions =
      MakeLabel(this, "Directions",
                "Geben Sie Werte von 0 bis -60 in das gelbe Feld ein, um Soundkarte und Kopfhörer zu "
                "testen. Selbst bei -60dB sollten alle Frequenzen in einem ruhigen Raum noch hörbar sein.",
                QRect(12, SliderHeight + 134, WindowWidth - 24, 60), true);
  Directions->setToolTip(QStringLiteral("Brief Instructions. For furter Information read your Manual."));
  Directions->setAutoFillBackground(true);
  Directions->setMargin(6);
  QPalette white = Directions->palette();
  white.setColor(QPalette::Window, Qt::white);
  white.setColor(QPalette::WindowText, Qt::black);
  Directions->setPalette(white);
  Label9 = MakeLabel(this, "Label9",
                     "Aktive Soundkarte: ", QRect(12, SliderHeight + 204, WindowWidth - 24, 40), true);

  const int by = WindowHeight - 44;
  HelpButton = new QPushButton(QStringLiteral("Hilfe"), this);
  HelpButton->setObjectName(QStringLiteral("HelpButton"));
  HelpButton->setToolTip(QStringLiteral("More help"));
  HelpButton->setGeometry(WindowWidth - 12 - 130 - 10 - 110, by, 110, 32);
  btnClose = new QPushButton(QStringLiteral("Schließen"), this);
  btnClose->setObjectName(QStringLiteral("btnClose"));
  btnClose->setToolTip(QStringLiteral("Ends this test and closes the window."));
  btnClose->setGeometry(WindowWidth - 12 - 130, by, 130, 32);

  sliders_->Connect(rules_);
  connect(tbrFrequency, &QSlider::valueChanged, this, [this](int position) {
    rules_.FrequencyChange(position);
    Label8->setText(Q(rules_.FrequencyText()));
    ShowTone();
  });
  connect(Threshold, &QLineEdit::textChanged, this,
          [this](const QString& text) { rules_.SetThresholdText(text.toStdString()); });
  connect(Threshold, &QLineEdit::editingFinished, this, &TfrmCompatibilityTest::ThresholdExit);
  connect(rdoLeftEar, &QRadioButton::toggled, this, [this](bool on) {
    if (on) rules_.ChooseEar(LeftEar);
  });
  connect(rdoRightEar, &QRadioButton::toggled, this, [this](bool on) {
    if (on) rules_.ChooseEar(RightEar);
  });
  connect(OnButton, &QPushButton::clicked, this, &TfrmCompatibilityTest::OnButtonClick);
  connect(HelpButton, &QPushButton::clicked, this, [this] { host_.OpenHelp(CompatibilityHelpContext); });
  connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
  // Escape closes the window as "Schließen" does; Enter in the level field applies the level.
  auto* keys = new WindowKeys(*this, nullptr, [this] { close(); });
  keys->KeepReturn(Threshold);
  HelpKey(*this, [this] { host_.OpenHelp(CompatibilityHelpContext); });
}

void TfrmCompatibilityTest::ShowTest() {
  rules_.Show();
  Label9->setText(Q(rules_.ActiveSoundcardText()));
  sliders_->Show(rules_);
  GainColumn->SetVisible(rules_.GainVisible());
  ShowTone();
  CentreOnScreen(*this);
  show();
  raise();
  activateWindow();
  btnClose->setFocus();
}

void TfrmCompatibilityTest::ThresholdExit() {
  rules_.SetThresholdText(Threshold->text().toStdString());
  rules_.ThresholdExit();
  const QString text = Q(rules_.ThresholdText());
  if (Threshold->text() != text) Threshold->setText(text);
}

void TfrmCompatibilityTest::OnButtonClick() {
  rules_.SetThresholdText(Threshold->text().toStdString());
  rules_.OnButtonClick();
  // The level is held within -60..0 also when the button is pressed in the field.
  const QString text = Q(rules_.ThresholdText());
  if (Threshold->text() != text) Threshold->setText(text);
  ShowTone();
}

void TfrmCompatibilityTest::ShowTone() {
  OnButton->setText(Q(rules_.OnButtonCaption()));
  shpLED->SetGreen(rules_.LedGreen());
  rdoLeftEar->setEnabled(rules_.EarButtonsEnabled());
  rdoRightEar->setEnabled(rules_.EarButtonsEnabled());
  const bool card = rules_.CardControlsEnabled();
  OnButton->setEnabled(card);
  for (VolumeColumn* column : {WaveColumn, MasterColumn, GainColumn}) column->Slider->setEnabled(card);
}

void TfrmCompatibilityTest::TestRunChanged(bool running) {
  if (running) rules_.TestStarted();
  ShowTone();
}

void TfrmCompatibilityTest::closeEvent(QCloseEvent* event) {
  const bool wasShown = rules_.IsShown();
  rules_.Close();
  ShowTone();
  event->accept();
  // Hidden before the report, so that whoever hears it sees the window gone.
  hide();
  if (wasShown) emit Closed();
}

}  // namespace sonavel
