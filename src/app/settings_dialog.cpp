#include "app/settings_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStorageInfo>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/hearing_test_window.h"
#include "app/main_window.h"
#include "app/window_keys.h"
#include "app/widget_helpers.h"
#include "core/error.h"
#include "platform/qt/qpainter_canvas.h"

namespace sonavel {

namespace {

constexpr int ClientWidth = 657;
constexpr int ClientHeight = 433;
constexpr int ButtonTop = 388;
// Room below each page's contents for the buttons that stand in front of the page area.
constexpr int PageBottomMargin = ClientHeight - ButtonTop + 4;


template <typename W>
W* Named(W* w, const char* name) {
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

QCheckBox* Check(QWidget* parent, const char* name, const char* text = "") {
  return Named(new QCheckBox(QString::fromUtf8(text), parent), name);
}

QLabel* Label(QWidget* parent, const char* name, const char* text = "") {
  return Named(new QLabel(QString::fromUtf8(text), parent), name);
}

// Push buttons inside the pages get room around their captions, as the dialog's own buttons have.
void PadButtons(QWidget* root) {
  for (QPushButton* b : root->findChildren<QPushButton*>()) {
    if (b->parentWidget() == root) continue;
    const QSize text = b->fontMetrics().size(Qt::TextShowMnemonic, b->text());
    b->setMinimumSize(text.width() + 24, std::max(text.height() + 12, 26));
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------

TLight::TLight(QWidget* parent) : RoundLight(parent, Shape::FillsItsBox, ResolveColour(ColourRed, QPalette())) {
  setFixedSize(25, 18);
}

void TLight::SetColour(Colour colour) {
  colour_ = colour;
  SetFill(ResolveColour(colour, palette()));
}

// ---------------------------------------------------------------------------------------------
// What the settings load sets off: the controls take the loaded values and their follow-ups
// run, as if the user had changed them.

class TfrmSettings::FollowUp : public SettingsFollowUp {
 public:
  explicit FollowUp(TfrmSettings& w) : w_(w) {}

  void SettingChanged(const RegistryField& field) override {
    w_.SyncField(field);
    if (field.Boolean) RunSettingFollowUp(field.Boolean, w_.main_.State(), w_);
  }
  void AudiogramAreaColourLoaded(Colour colour) override { w_.SetAudiogramAreaColour(colour); }
  void MainWindowColourLoaded(Colour colour) override { w_.SetMainWindowColour(colour); }
  Colour AudiogramAreaColour() override { return w_.areaColour_; }
  Colour MainWindowColour() override { return w_.windowColour_; }
  std::optional<int32_t> WaveOutDeviceCount() override {
    return static_cast<int32_t>(w_.waveEntries_.size());
  }
  std::optional<int32_t> MixerDeviceCount() override { return static_cast<int32_t>(w_.mixerEntries_.size()); }
  void ShowSettingsOnHardwarePage() override {
    if (w_.main_.isMinimized()) w_.main_.showNormal();
    w_.ShowSettings(PageSoundCard);
  }

 private:
  TfrmSettings& w_;
};

// ---------------------------------------------------------------------------------------------

TfrmSettings::TfrmSettings(TfrmMain& main)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      main_(main),
      session_(main.GetSession()),
      followUp_(std::make_unique<FollowUp>(*this)) {
  setObjectName(QStringLiteral("frmSettings"));
  setWindowTitle(QStringLiteral("Sonavel Settings"));
  setFixedSize(ClientWidth, ClientHeight);
  lastColour_ = palette().color(QPalette::Button);

  BuildPages();
  SetGermanTexts();
  PadButtons(this);
  Connect();
  SyncControls();
  CentreOnScreen(*this);
}

TfrmSettings::~TfrmSettings() = default;

SettingsFollowUp& TfrmSettings::LoadFollowUp() { return *followUp_; }

void TfrmSettings::BuildPages() {
  SettingsPages = Named(new QTabWidget(this), "SettingsPages");
  SettingsPages->setGeometry(0, 0, ClientWidth, ClientHeight);
  SettingsPages->setDocumentMode(false);
  auto page = [this](const char* name, const char* caption) {
    auto* w = Named(new QWidget, name);
    SettingsPages->addTab(w, QString::fromUtf8(caption));
    return w;
  };
  TestProcedure = page("TestProcedure", "Testverfahren");
  SoundCard = page("SoundCard", "Hardware");
  FileHandling = page("FileHandling", "Dateien");
  GraphSettings = page("GraphSettings", "Diagramm");
  TabSheet1 = page("TabSheet1", "Calibration");
  BuildTestProcedure();
  BuildSoundCard();
  BuildFileHandling();
  BuildGraphSettings();
  BuildCalibration();

  // The buttons stand in front of the page area, at its bottom right.
  SettingsHelp = Named(new QPushButton(this), "SettingsHelp");
  Cancel = Named(new QPushButton(this), "Cancel");
  OK = Named(new QPushButton(QStringLiteral("OK"), this), "OK");
  int x = ClientWidth - 8 - 80;
  for (QPushButton* b : {OK, Cancel, SettingsHelp}) {
    b->setGeometry(x, ButtonTop, 80, 30);
    b->setAutoDefault(false);
    b->raise();
    x -= 88;
  }
  OK->setDefault(true);
  // Return presses the focused button (Abbrechen discards, Hilfe helps), elsewhere OK; Escape
  // is Abbrechen.
  new WindowKeys(*this, OK, [this] { CancelClick(); });
  HelpKey(*this, [this] { SettingsHelpClick(); });
}

void TfrmSettings::BuildTestProcedure() {
  auto* grid = new QGridLayout(TestProcedure);
  grid->setContentsMargins(8, 8, 8, PageBottomMargin);

  GroupBox1 = Named(new QGroupBox(TestProcedure), "GroupBox1");
  auto* freq = new QGridLayout(GroupBox1);
  const char* names[] = {"Check125",  "Check250",  "Check500",  "Check750",  "Check1000", "Check1500",
                         "Check2000", "Check3000", "Check4000", "Check6000", "Check8000"};
  const char* texts[] = {"125 Hz", "250 Hz", "500 Hz", "750 Hz", "1 kHz", "1.5 kHz",
                         "2 kHz",  "3 kHz",  "4 kHz",  "6 kHz",  "8 kHz"};
  QCheckBox** boxes[] = {&Check125,  &Check250,  &Check500,  &Check750,  &Check1000, &Check1500,
                         &Check2000, &Check3000, &Check4000, &Check6000, &Check8000};
  for (int i = 0; i < 11; ++i) {
    *boxes[i] = Check(GroupBox1, names[i], texts[i]);
    // 125 Hz to 1.5 kHz on the left, 2 kHz to 8 kHz on the right.
    freq->addWidget(*boxes[i], i < 6 ? i : i - 6, i < 6 ? 0 : 1);
    checks_.push_back({*boxes[i], nullptr});
  }
  using S = SettingsRecord;
  bool S::*fields[] = {&S::Check125,  &S::Check250,  &S::Check500,  &S::Check750,
                       &S::Check1000, &S::Check1500, &S::Check2000, &S::Check3000,
                       &S::Check4000, &S::Check6000, &S::Check8000};
  for (int i = 0; i < 11; ++i) checks_[i].field = fields[i];

  GroupBox4 = Named(new QGroupBox(TestProcedure), "GroupBox4");
  auto* params = new QGridLayout(GroupBox4);
  params->setHorizontalSpacing(6);
  auto edit = [this](const char* name) {
    auto* e = Named(new QLineEdit(GroupBox4), name);
    e->setFixedWidth(48);
    return e;
  };
  struct Column {
    QLabel** label;
    const char* labelName;
    QLineEdit** edit;
    const char* editName;
    const char* unit;
  } columns[] = {{&Label2, "Label2", &BeepTimeEdit, "BeepTimeEdit", "s"},
                 {&Label6, "Label6", &PauseTimeEdit, "PauseTimeEdit", "s"},
                 {&Label17, "Label17", &LevelStep, "LevelStep", "dB"},
                 {&Label21, "Label21", &LevelStart, "LevelStart", "dBHL"}};
  for (int c = 0; c < 4; ++c) {
    *columns[c].label = Label(GroupBox4, columns[c].labelName);
    (*columns[c].label)->setWordWrap(true);
    (*columns[c].label)->setFixedWidth(60);
    (*columns[c].label)->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    // The captions break after their hyphen: room for both lines.
    (*columns[c].label)->setMinimumHeight(2 * (*columns[c].label)->fontMetrics().lineSpacing() + 2);
    *columns[c].edit = edit(columns[c].editName);
    auto* cell = new QHBoxLayout;
    cell->setSpacing(3);
    cell->addWidget(*columns[c].edit);
    cell->addWidget(new QLabel(QString::fromLatin1(columns[c].unit), GroupBox4));
    cell->addStretch();
    params->addWidget(*columns[c].label, 0, c);
    params->addLayout(cell, 1, c);
  }
  Label11 = Label(GroupBox4, "Label11");
  params->addWidget(Label11, 2, 0, 1, 4);
  auto limitRow = [&](QLabel*& caption, const char* captionName, const char* captionText, QLineEdit*& e,
                      const char* editName, QLabel*& after, const char* afterName, int row) {
    caption = Label(GroupBox4, captionName, captionText);
    e = edit(editName);
    after = Label(GroupBox4, afterName);
    auto* line = new QHBoxLayout;
    line->addWidget(caption);
    line->addWidget(e);
    line->addWidget(after);
    line->addStretch();
    params->addLayout(line, row, 0, 1, 4);
  };
  limitRow(lblMaximum, "lblMaximum", "Maximum", TestTimeEdit, "TestTimeEdit", Label12, "Label12", 3);
  limitRow(lblMinimum, "lblMinimum", "Minimum", ReverseEdit, "ReverseEdit", Label13, "Label13", 4);
  lblMaximum->setFixedWidth(64);
  lblMinimum->setFixedWidth(64);
  params->setRowStretch(5, 1);

  Miscanelleous = Named(new QGroupBox(TestProcedure), "Miscanelleous");
  auto* misc = new QVBoxLayout(Miscanelleous);
  Trial = Check(Miscanelleous, "Trial");
  Retest = Check(Miscanelleous, "Retest");
  FirstEar = Check(Miscanelleous, "FirstEar");
  AutoRetest = Check(Miscanelleous, "AutoRetest");
  // Part of the record, but the user cannot change it: it is never shown.
  chkDisableSS = Check(Miscanelleous, "chkDisableSS", "Bildschirmschoner unterdrücken");
  chkDisableSS->setVisible(false);
  for (QCheckBox* b : {Trial, Retest, FirstEar, AutoRetest}) misc->addWidget(b);
  misc->addStretch();
  checks_.push_back({Trial, &S::Trial});
  checks_.push_back({Retest, &S::Retest});
  checks_.push_back({FirstEar, &S::FirstEar});
  checks_.push_back({AutoRetest, &S::AutoRetest});
  checks_.push_back({chkDisableSS, &S::chkDisableSS});

  grid->addWidget(GroupBox1, 0, 0);
  grid->addWidget(Miscanelleous, 1, 0);
  grid->addWidget(GroupBox4, 0, 1, 2, 1);
  grid->setColumnStretch(1, 1);
}

void TfrmSettings::BuildSoundCard() {
  auto* row = new QHBoxLayout(SoundCard);
  row->setContentsMargins(8, 8, 8, PageBottomMargin);

  GroupBox3 = Named(new QGroupBox(QStringLiteral("Sound Output Device"), SoundCard), "GroupBox3");
  auto* devices = new QVBoxLayout(GroupBox3);
  Label10 = Label(GroupBox3, "Label10");
  WaveOutDevice = Named(new QComboBox(GroupBox3), "WaveOutDevice");
  Label1 = Label(GroupBox3, "Label1");
  MixerDevice = Named(new QComboBox(GroupBox3), "MixerDevice");
  for (QComboBox* c : {WaveOutDevice, MixerDevice}) {
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(20);
    c->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  }
  Button2 = Named(new QPushButton(GroupBox3), "Button2");
  devices->addWidget(Label10);
  devices->addWidget(WaveOutDevice);
  devices->addSpacing(8);
  devices->addWidget(Label1);
  devices->addWidget(MixerDevice);
  devices->addSpacing(8);
  devices->addWidget(Button2, 0, Qt::AlignLeft);
  devices->addStretch();

  GroupBox7 = Named(new QGroupBox(SoundCard), "GroupBox7");
  auto* input = new QVBoxLayout(GroupBox7);
  rdoCTRL = Named(new QRadioButton(GroupBox7), "rdoCTRL");
  rdoJoystick = Named(new QRadioButton(GroupBox7), "rdoJoystick");
  Button1 = Named(new QPushButton(GroupBox7), "Button1");
  Label26 = Label(GroupBox7, "Label26");
  Label26->setWordWrap(true);
  lblJoystickState = Label(GroupBox7, "lblJoystickState", "Joystick Button State");
  light = Named(new TLight(GroupBox7), "light");
  light->setToolTip(QStringLiteral("When the response button is pressed, this should turn red."));
  input->addWidget(rdoCTRL);
  input->addWidget(rdoJoystick);
  input->addWidget(Button1, 0, Qt::AlignLeft);
  input->addSpacing(6);
  input->addWidget(Label26);
  auto* state = new QHBoxLayout;
  state->addWidget(lblJoystickState);
  state->addWidget(light);
  state->addStretch();
  input->addLayout(state);
  input->addStretch();

  // The device entries are long (a name of up to 32 characters and the driver version).
  row->addWidget(GroupBox3, 3);
  row->addWidget(GroupBox7, 2);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(50);
}

void TfrmSettings::BuildFileHandling() {
  auto* row = new QHBoxLayout(FileHandling);
  row->setContentsMargins(8, 8, 8, PageBottomMargin);

  auto* dirs = new QVBoxLayout;
  Label9 = Label(FileHandling, "Label9");
  DriveComboBox1 = Named(new QComboBox(FileHandling), "DriveComboBox1");
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
    if (volume.isValid() && volume.isReady()) DriveComboBox1->addItem(volume.rootPath());
  Label8 = Label(FileHandling, "Label8");
  DirectoryListBox1 = Named(new QTreeView(FileHandling), "DirectoryListBox1");
  dirModel_ = new QFileSystemModel(this);
  dirModel_->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
  dirModel_->setRootPath(QDir::rootPath());
  DirectoryListBox1->setModel(dirModel_);
  for (int c = 1; c < dirModel_->columnCount(); ++c) DirectoryListBox1->hideColumn(c);
  DirectoryListBox1->header()->hide();
  Dir = Label(FileHandling, "Dir");
  Dir->setWordWrap(true);
  Dir->setTextInteractionFlags(Qt::TextSelectableByMouse);
  dirs->addWidget(Label9);
  dirs->addWidget(DriveComboBox1);
  dirs->addWidget(Label8);
  dirs->addWidget(DirectoryListBox1, 1);
  dirs->addWidget(Dir);

  GroupBox2 = Named(new QGroupBox(FileHandling), "GroupBox2");
  using S = SettingsRecord;
  AddBoundChecks(GroupBox2, {{&IncludeLName, "IncludeLName", &S::IncludeLName},
                             {&IncludeFName, "IncludeFName", &S::IncludeFName},
                             {&IncludeRef, "IncludeRef", &S::IncludeRef},
                             {&IncludeDept, "IncludeDept", &S::IncludeDept},
                             {&IncludeDOB, "IncludeDOB", &S::IncludeDOB},
                             {&IncludeDate, "IncludeDate", &S::IncludeDate},
                             {&IncludeTime, "IncludeTime", &S::IncludeTime}});

  row->addLayout(dirs, 3);
  row->addWidget(GroupBox2, 2);
}

void TfrmSettings::AddBoundChecks(QGroupBox* group, std::initializer_list<BoundCheck> checks) {
  auto* column = new QVBoxLayout(group);
  for (const BoundCheck& c : checks) {
    *c.box = Check(group, c.name);
    column->addWidget(*c.box);
    checks_.push_back({*c.box, c.field});
  }
  column->addStretch();
}

void TfrmSettings::BuildGraphSettings() {
  auto* row = new QHBoxLayout(GraphSettings);
  row->setContentsMargins(8, 8, 8, PageBottomMargin);

  GroupBox6 = Named(new QGroupBox(GraphSettings), "GroupBox6");
  using S = SettingsRecord;
  AddBoundChecks(GroupBox6, {{&ShowReversals, "ShowReversals", &S::ShowReversals},
                             {&ShowThresholds, "ShowThresholds", &S::ShowThresholds},
                             {&MarkSuspicious, "MarkSuspicious", &S::MarkSuspicious},
                             {&Reject1st, "Reject1st", &S::Reject1st},
                             {&RealTimeCalc, "RealTimeCalc", &S::RealTimeCalc}});

  GroupBox5 = Named(new QGroupBox(GraphSettings), "GroupBox5");
  auto* colours = new QVBoxLayout(GroupBox5);
  ColourList = Named(new QComboBox(GroupBox5), "ColourList");
  ColourSample = Named(new QFrame(GroupBox5), "ColourSample");
  ColourSample->setFrameShape(QFrame::Box);
  ColourSample->setFixedHeight(40);
  ColourSample->setAutoFillBackground(true);
  Change = Named(new QPushButton(QStringLiteral("Change..."), GroupBox5), "Change");
  colours->addWidget(ColourList);
  colours->addWidget(ColourSample);
  colours->addWidget(Change, 0, Qt::AlignLeft);
  colours->addStretch();

  row->addWidget(GroupBox6, 1);
  row->addWidget(GroupBox5, 1);
}

void TfrmSettings::BuildCalibration() {
  auto* column = new QVBoxLayout(TabSheet1);
  column->setContentsMargins(12, 12, 12, PageBottomMargin);
  chkLoadCal = Check(TabSheet1, "chkLoadCal");
  Label24 = Label(TabSheet1, "Label24");
  Label24->setWordWrap(true);
  Label24->setTextInteractionFlags(Qt::TextSelectableByMouse);
  btnChooseCal = Named(new QPushButton(TabSheet1), "btnChooseCal");
  chkPrintCal = Check(TabSheet1, "chkPrintCal");
  column->addWidget(chkLoadCal);
  column->addWidget(Label24);
  column->addWidget(btnChooseCal, 0, Qt::AlignLeft);
  column->addSpacing(12);
  column->addWidget(chkPrintCal);
  column->addStretch();
  checks_.push_back({chkLoadCal, &SettingsRecord::chkLoadCal});
  checks_.push_back({chkPrintCal, &SettingsRecord::chkPrintCal});
}

void TfrmSettings::SetGermanTexts() {
  SettingsHelp->setText(QStringLiteral("Hilfe"));
  Cancel->setText(QStringLiteral("Abbrechen"));
  GroupBox1->setTitle(QStringLiteral("Testfrequenzen"));
  GroupBox4->setTitle(QStringLiteral("Testparameter"));
  Miscanelleous->setTitle(QStringLiteral("Sonstiges"));
  Trial->setText(QStringLiteral("Probelauf"));
  Retest->setText(QStringLiteral("1kHz wiederholen"));
  FirstEar->setText(QStringLiteral("Linkes Ohr zuerst"));
  AutoRetest->setText(QStringLiteral("Autom. Testwiederholung"));
  Label2->setText(QStringLiteral("Signal- dauer"));
  Label6->setText(QStringLiteral("Lücken- dauer"));
  Label17->setText(QStringLiteral("Pegel- schritt"));
  Label21->setText(QStringLiteral("Anfangs- pegel"));
  Label11->setText(QStringLiteral("Testdauer pro Frequenz"));
  Label12->setText(QStringLiteral("Sekunden oder"));
  Label13->setText(QStringLiteral("Richtungswechsel."));
  Label10->setText(QStringLiteral("Soundkarte für Hörtest"));
  Label1->setText(QStringLiteral("Dazugehöriger Lautstärketreiber"));
  Button2->setText(QStringLiteral("Windows Multimedia-Optionen"));
  GroupBox7->setTitle(QStringLiteral("Einstellungen Reaktionstaster"));
  rdoCTRL->setText(QStringLiteral("STRG-Taste"));
  rdoJoystick->setText(QStringLiteral("Joystick (empfohlen)"));
  Button1->setText(QStringLiteral("Windows Joystick-Optionen"));
  Label26->setText(QStringLiteral(
      "Testen Sie hier den Reaktionstaster (Joystick) hier. Falls der rote Punkt unkontrolliert an "
      "und aus geht oder permanent rot ist, funktioniert Ihr Gerät wahrscheinlich nicht."));
  Label9->setText(QStringLiteral("Laufwerk:"));
  Label8->setText(QStringLiteral("Arbeitsverzeichnis"));
  GroupBox2->setTitle(QStringLiteral("Vorgeschlagener Dateiname"));
  IncludeLName->setText(QStringLiteral("Enthält Nachname"));
  IncludeFName->setText(QStringLiteral("Enthält Vorname"));
  IncludeRef->setText(QStringLiteral("Enthält Referenz-Nr."));
  IncludeDept->setText(QStringLiteral("Enthält Abteilung"));
  IncludeDOB->setText(QStringLiteral("Enthält Geburtsdatum"));
  IncludeDate->setText(QStringLiteral("Enthält Testdatum"));
  IncludeTime->setText(QStringLiteral("Enthält Testzeit"));
  GroupBox6->setTitle(QStringLiteral("Diagrammberechnung"));
  ShowReversals->setText(QStringLiteral("Pegelverlauf anzeigen"));
  ShowThresholds->setText(QStringLiteral("Hörschwellen anzeigen"));
  MarkSuspicious->setText(QStringLiteral("Ungenaue Ergebnisse schraffieren"));
  Reject1st->setText(QStringLiteral("Erste Umkehrung verwerfen"));
  RealTimeCalc->setText(QStringLiteral("Audiogram in Echtzeit aktualisieren"));
  GroupBox5->setTitle(QStringLiteral("Diagrammfarben"));
  chkLoadCal->setText(QStringLiteral("Kalibrierungsdatei automatisch beim Start laden"));
  Label24->setText(QStringLiteral("Keine Datei ausgewählt"));
  btnChooseCal->setText(QStringLiteral("Datei auswählen"));
  chkPrintCal->setText(QStringLiteral("Dateiname der Kalibrierung im Audiogramm drucken"));
  for (const std::string& entry : ColourListEntries()) ColourList->addItem(Q(entry));
  WaveOutDevice->setToolTip(
      QStringLiteral("BItte wählen Sie die Soundkarte aus, mit der Sie testen möchten"));
  MixerDevice->setToolTip(QStringLiteral(
      "Jede Soundkarte hat entsprechende Lautstärkeregler. Bitte wählen Sie den zugehörigen aus."));
}

void TfrmSettings::Connect() {
  for (const CheckBinding& b : checks_) {
    const auto field = b.field;
    connect(b.box, &QCheckBox::toggled, this, [this, field](bool checked) { CheckChanged(field, checked); });
  }
  connect(rdoCTRL, &QRadioButton::toggled, this, [this] { RadioChanged(); });
  connect(rdoJoystick, &QRadioButton::toggled, this, [this] { RadioChanged(); });

  struct TextBinding {
    QLineEdit* edit;
    std::string SettingsRecord::*field;
  } texts[] = {{BeepTimeEdit, &SettingsRecord::BeepTimeEdit}, {PauseTimeEdit, &SettingsRecord::PauseTimeEdit},
               {LevelStep, &SettingsRecord::LevelStep},       {LevelStart, &SettingsRecord::LevelStart},
               {TestTimeEdit, &SettingsRecord::TestTimeEdit}, {ReverseEdit, &SettingsRecord::ReverseEdit}};
  for (const TextBinding& t : texts) {
    const auto field = t.field;
    connect(t.edit, &QLineEdit::textChanged, this, [this, field](const QString& text) {
      if (!syncing_) main_.State().Settings.*field = text.toStdString();
    });
  }
  for (QLineEdit* e : {BeepTimeEdit, PauseTimeEdit, TestTimeEdit, ReverseEdit}) e->installEventFilter(this);

  connect(WaveOutDevice, &QComboBox::activated, this, [this](int index) {
    if (session_.TestRunning()) return SyncControls();
    main_.State().Settings.WaveOutDevice = index;
  });
  connect(MixerDevice, &QComboBox::activated, this, [this](int index) {  // MixerDeviceChange
    if (session_.TestRunning()) return SyncControls();
    main_.State().Settings.MixerDevice = index;
    session_.OpenMixerDevice(static_cast<uint32_t>(index));
  });
  // The devices of a running test stay its own: the two lists are off until it ends.
  connect(&main_, &TfrmMain::TestRunChanged, this, [this] { UpdateDeviceChoices(); });
  connect(ColourList, &QComboBox::activated, this, [this](int index) {  // ColourListChange
    if (index >= 0 && index < GraphColourCount) ShowColourSample(main_.State().Settings.GraphColours[index]);
  });
  connect(SettingsPages, &QTabWidget::currentChanged, this, [this](int page) {
    if (!selectingByCommand_) SettingsPagesChange(page);
  });
  connect(OK, &QPushButton::clicked, this, &TfrmSettings::OKClick);
  connect(Cancel, &QPushButton::clicked, this, &TfrmSettings::CancelClick);
  connect(SettingsHelp, &QPushButton::clicked, this, &TfrmSettings::SettingsHelpClick);
  connect(Change, &QPushButton::clicked, this, &TfrmSettings::ChangeClick);
  connect(btnChooseCal, &QPushButton::clicked, this, &TfrmSettings::btnChooseCalClick);
  connect(Button1, &QPushButton::clicked, this, &TfrmSettings::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TfrmSettings::Button2Click);
  connect(Timer1, &QTimer::timeout, this, &TfrmSettings::Timer1Timer);
  connect(DriveComboBox1, &QComboBox::activated, this,
          [this](int index) { SetWorkingDirectory(DriveComboBox1->itemText(index)); });
  connect(DirectoryListBox1, &QTreeView::clicked, this,
          [this](const QModelIndex& index) { SetWorkingDirectory(dirModel_->filePath(index)); });
}

// ---------------------------------------------------------------------------------------------
// The record and the controls.

void TfrmSettings::SyncControls() {
  const SettingsRecord& s = main_.State().Settings;
  syncing_ = true;
  for (const CheckBinding& b : checks_) {
    const QSignalBlocker block(b.box);
    b.box->setChecked(s.*b.field);
  }
  {
    const QSignalBlocker a(rdoCTRL), b(rdoJoystick);
    // Both buttons may be off: the group lets go of its exclusivity for that.
    rdoCTRL->setAutoExclusive(false);
    rdoJoystick->setAutoExclusive(false);
    rdoCTRL->setChecked(s.rdoCTRL && !s.rdoJoystick);
    rdoJoystick->setChecked(s.rdoJoystick);
    rdoCTRL->setAutoExclusive(true);
    rdoJoystick->setAutoExclusive(true);
  }
  BeepTimeEdit->setText(Q(s.BeepTimeEdit));
  PauseTimeEdit->setText(Q(s.PauseTimeEdit));
  LevelStep->setText(Q(s.LevelStep));
  LevelStart->setText(Q(s.LevelStart));
  TestTimeEdit->setText(Q(s.TestTimeEdit));
  ReverseEdit->setText(Q(s.ReverseEdit));
  WaveOutDevice->setCurrentIndex(s.WaveOutDevice < WaveOutDevice->count() ? s.WaveOutDevice : -1);
  MixerDevice->setCurrentIndex(s.MixerDevice < MixerDevice->count() ? s.MixerDevice : -1);
  Label24->setText(Q(s.CalFilename));
  syncing_ = false;
  Check1000->setEnabled(!s.Retest);
  SetJoystickControlsVisible(ResponseIsJoystick(s));
}

void TfrmSettings::SyncField(const RegistryField&) {
  // One control or all: the load changes few, and each sync is cheap and runs no follow-up.
  SyncControls();
}

void TfrmSettings::CheckChanged(bool SettingsRecord::*field, bool checked) {
  AppState& state = main_.State();
  if (state.Settings.*field == checked) return;
  state.Settings.*field = checked;
  RunSettingFollowUp(field, state, *this);
  // A follow-up may have changed another control (Retest sets Check1000).
  const QSignalBlocker block(Check1000);
  Check1000->setChecked(state.Settings.Check1000);
}

void TfrmSettings::RadioChanged() {
  SettingsRecord& s = main_.State().Settings;
  const bool joystick = rdoJoystick->isChecked(), ctrl = rdoCTRL->isChecked();
  if (s.rdoJoystick == joystick && s.rdoCTRL == ctrl) return;
  const bool joystickChanged = s.rdoJoystick != joystick;
  s.rdoJoystick = joystick;
  s.rdoCTRL = ctrl;
  RunSettingFollowUp(joystickChanged ? &SettingsRecord::rdoJoystick : &SettingsRecord::rdoCTRL, main_.State(),
                     *this);
}

void TfrmSettings::FieldExit(BoundedField field) {
  QLineEdit* edits[] = {BeepTimeEdit, PauseTimeEdit, TestTimeEdit, ReverseEdit};
  QLineEdit* edit = edits[static_cast<int>(field)];
  std::string& text = BoundedFieldOf(main_.State().Settings, field);
  text = edit->text().toStdString();
  const std::string bounded = BoundedFieldText(field, text, session_.Regional.DecimalSeparator);
  if (bounded == text) return;
  text = bounded;
  syncing_ = true;
  edit->setText(Q(bounded));
  syncing_ = false;
}

bool TfrmSettings::eventFilter(QObject* watched, QEvent* event) {
  // The bounds apply when the user leaves the field, not when its own context menu opens or
  // another window (another program, a dialog) takes the keyboard for a while: the focus comes
  // back to the field then.
  const auto leavesField = [event] {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
  };
  if (event->type() == QEvent::FocusOut && leavesField()) {
    if (watched == BeepTimeEdit) FieldExit(BoundedField::BeepTimeEdit);
    if (watched == PauseTimeEdit) FieldExit(BoundedField::PauseTimeEdit);
    if (watched == TestTimeEdit) FieldExit(BoundedField::TestTimeEdit);
    if (watched == ReverseEdit) FieldExit(BoundedField::ReverseEdit);
  }
  return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Start-up.

void TfrmSettings::FillDeviceLists() {
  waveEntries_.clear();
  mixerEntries_.clear();
  WaveOutDevice->clear();
  MixerDevice->clear();
  if (session_.DeviceSet.waveOut.GetNumDevs() <= 0) return;
  waveEntries_ = WaveOutListEntries(session_.DeviceSet.waveOut);
  mixerEntries_ = session_.MixerDeviceEntries();
  for (const std::string& e : waveEntries_) WaveOutDevice->addItem(Q(e));
  for (const std::string& e : mixerEntries_) MixerDevice->addItem(Q(e));
}

void TfrmSettings::FormCreate() {
  FillDeviceLists();
  bool mixerGone = false;
  // A failed load still shows what it left in the record.
  const std::optional<Failure> failure = FailureOf([&] { mixerGone = session_.LoadSettingsAtStart(*followUp_); });
  SyncControls();
  if (failure) session_.Report({failure->Text, MessageIcon::Error});
  if (mixerGone) ShowSettings(PageSoundCard);
}

// ---------------------------------------------------------------------------------------------
// Showing, pages, closing.

void TfrmSettings::ShowSettings(std::optional<int32_t> page) {
  if (page) SelectPage(*page);
  ShowWorkingDirectory(main_.WorkingDirectory());
  main_.setEnabled(false);
  show();
  raise();
  activateWindow();
}

void TfrmSettings::SelectPage(int32_t page) {
  selectingByCommand_ = true;
  SettingsPages->setCurrentIndex(page);
  selectingByCommand_ = false;
}

void TfrmSettings::SettingsPagesChange(int32_t page) {
  helpContext_ = PageHelpContext(page);
  if (lightRule_.UserSelectedPage(page)) {
    Timer1->start();
  } else {
    Timer1->stop();
  }
}

bool TfrmSettings::LightTimerRunning() const { return Timer1->isActive(); }

void TfrmSettings::StopLightTimer() {
  lightRule_.Closed();
  Timer1->stop();
}

void TfrmSettings::FormActivate() {
  ColourList->setCurrentIndex(0);
  ShowColourSample(main_.State().Settings.GraphColours[0]);
  if (!main_.WaveDevicePresent()) {
    for (QComboBox* c : {WaveOutDevice, MixerDevice}) {
      c->setPlaceholderText(QString::fromLatin1(NoDevicesText));
      c->setCurrentIndex(-1);
    }
  }
  UpdateDeviceChoices();
}

void TfrmSettings::UpdateDeviceChoices() {
  const bool choosable = main_.WaveDevicePresent() && !session_.TestRunning();
  for (QComboBox* c : {WaveOutDevice, MixerDevice}) c->setEnabled(choosable);
}

void TfrmSettings::showEvent(QShowEvent* event) {
  // The window's activation work runs when it is shown, not each time it is activated again: a
  // colour, file or message dialog, the list's own popup or another program gives the keyboard
  // back to it, and the colour list must keep the entry the user chose.
  QDialog::showEvent(event);
  FormActivate();
}

void TfrmSettings::closeEvent(QCloseEvent* event) {
  // The close box neither stores nor reloads: the edits stay in effect for this run.
  StopLightTimer();
  event->accept();
}

void TfrmSettings::hideEvent(QHideEvent* event) {
  StopLightTimer();
  QDialog::hideEvent(event);
  main_.setEnabled(true);
}

// ---------------------------------------------------------------------------------------------
// The buttons.

void TfrmSettings::OKClick() {
  // Enter clicks OK without leaving the field: the field's bounds apply all the same.
  if (BeepTimeEdit->hasFocus()) FieldExit(BoundedField::BeepTimeEdit);
  if (PauseTimeEdit->hasFocus()) FieldExit(BoundedField::PauseTimeEdit);
  if (TestTimeEdit->hasFocus()) FieldExit(BoundedField::TestTimeEdit);
  if (ReverseEdit->hasFocus()) FieldExit(BoundedField::ReverseEdit);
  if (!session_.Attempt([&] { WriteRegistry(session_.Keys, main_.State().Settings); }, MessageIcon::Error)) return;
  main_.RepaintAudiogram();
  close();
}

void TfrmSettings::CancelClick() {
  const std::optional<Failure> failure = FailureOf([&] { session_.ReadRegistry(*followUp_); });
  SyncControls();
  if (failure) {
    session_.Report({failure->Text, MessageIcon::Error});
    return;
  }
  close();
}

void TfrmSettings::SettingsHelpClick() { session_.HostRef.OpenHelp(HelpTopicOf(helpContext_)); }

void TfrmSettings::ChangeClick() {
  const int32_t index = ColourList->currentIndex();
  if (index < 0 || index >= GraphColourCount) return;
  const std::optional<Colour> chosen = main_.Desktop().ChooseColour(this, ColourOfQColor(lastColour_));
  if (!chosen) return;
  lastColour_ = ResolveColour(*chosen, palette());
  ApplyColourChange(main_.State(), index, *chosen, *this);
  ShowColourSample(*chosen);
}

void TfrmSettings::btnChooseCalClick() {
  const std::optional<FileChoice> file = main_.Desktop().ChooseFile(
      this, {false, QStringLiteral("Open Calibration Data File"), {QStringLiteral("Calibration Data (*.cal)")},
             main_.WorkingDirectory(), QString(), QStringLiteral("cal")});
  if (!file || file->FileName.isEmpty()) return;
  SettingsRecord& s = main_.State().Settings;
  s.CalFilename = QFileInfo(file->FileName).absoluteFilePath().toStdString();
  Label24->setText(Q(s.CalFilename));
  chkLoadCal->setChecked(true);
}

void TfrmSettings::StartTool(SettingsTool tool) {
  DesktopServices& desktop = main_.Desktop();
  const std::optional<DesktopTool> found =
      FindDesktopTool(tool, [&desktop](const std::string& program) { return desktop.ToolInstalled(program); });
  if (!found) {
    session_.HostRef.MessageBox(MissingToolText(tool), "", MessageIcon::Information, ButtonOk);
    return;
  }
  if (!desktop.StartTool(*found))
    session_.HostRef.MessageBox("\"" + found->Program + "\" konnte nicht gestartet werden.", "",
                                MessageIcon::Error, ButtonOk);
}

void TfrmSettings::Button2Click() { StartTool(SettingsTool::Sound); }
void TfrmSettings::Button1Click() { StartTool(SettingsTool::Joystick); }

void TfrmSettings::Timer1Timer() { light->SetColour(PollLight(session_.DeviceSet.joystick)); }

// ---------------------------------------------------------------------------------------------
// The working directory.

void TfrmSettings::ShowWorkingDirectory(const QString& path) {
  const QString native = QDir::toNativeSeparators(QDir(path).absolutePath());
  Dir->setText(native);
  const QModelIndex index = dirModel_->index(path);
  if (index.isValid()) {
    DirectoryListBox1->setCurrentIndex(index);
    DirectoryListBox1->scrollTo(index);
  }
  QString volume;
  for (int i = 0; i < DriveComboBox1->count(); ++i) {
    const QString root = DriveComboBox1->itemText(i);
    if (native.startsWith(root) && root.size() > volume.size()) {
      volume = root;
      DriveComboBox1->setCurrentIndex(i);
    }
  }
}

void TfrmSettings::SetWorkingDirectory(const QString& path) {
  if (!QDir::setCurrent(path)) {
    session_.HostRef.MessageBox("Das Verzeichnis \"" + path.toStdString() + "\" kann nicht geöffnet werden.",
                                "", MessageIcon::Error, ButtonOk);
    ShowWorkingDirectory(QDir::currentPath());
    return;
  }
  main_.SetWorkingDirectory(QDir::currentPath());
  ShowWorkingDirectory(QDir::currentPath());
}

// ---------------------------------------------------------------------------------------------
// SettingsDialogView.

void TfrmSettings::SetCheck1000Enabled(bool enabled) {
  const QSignalBlocker block(Check1000);
  Check1000->setChecked(main_.State().Settings.Check1000);
  Check1000->setEnabled(enabled);
}

void TfrmSettings::SetJoystickControlsVisible(bool visible) {
  for (QWidget* w : std::initializer_list<QWidget*>{Label26, lblJoystickState, light, Button1})
    w->setVisible(visible);
}

void TfrmSettings::RepaintAudiogram() { main_.RepaintAudiogram(); }

void TfrmSettings::RepaintTestGraph() { main_.TestWindow().Repaint(); }

void TfrmSettings::SetAudiogramAreaColour(Colour colour) {
  // The chart draws its background from GraphColours; the area follows at its next paint.
  areaColour_ = colour;
  main_.RepaintAudiogram();
}

void TfrmSettings::SetAudiogramFrameColour(Colour colour) { main_.SetAudiogramFrameColour(colour); }

void TfrmSettings::SetMainWindowColour(Colour colour) {
  windowColour_ = colour;
  main_.ApplyMainWindowColour(colour);
}

void TfrmSettings::ShowColourSample(Colour colour) {
  QPalette p = ColourSample->palette();
  p.setColor(QPalette::Window, ResolveColour(colour, p));
  ColourSample->setPalette(p);
  ColourSample->setProperty("sampleColour", static_cast<uint>(colour));
}

}  // namespace sonavel
