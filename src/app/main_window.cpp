#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateEdit>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionGroupBox>

#include "app/about_window.h"
#include "app/calibration_windows.h"
#include "app/desktop_font.h"
#include "app/help_window.h"
#include "app/printing.h"
#include "app/results_window.h"
#include "app/screen_saver.h"
#include "app/settings_dialog.h"
#include "app/hearing_test_window.h"
#include "app/version.h"
#include "app/window_keys.h"
#include "app/widget_helpers.h"
#include "core/error.h"
#include "files/file_naming.h"
#include "platform/qt/qpainter_canvas.h"
#include "results/analysis.h"
#include "results/audiogram_chart.h"

namespace sonavel {

namespace {

constexpr int ClientWidth = 894;
constexpr int ClientHeight = 603;
// The smallest client area: the layout of the chart, the threshold row and the personal data
// still fits, and the window with its frame stays within 726 x 600.
constexpr int MinClientWidth = 710;
constexpr int MinClientHeight = 541;
constexpr int ThresholdRowHeight = 19;


// The threshold row's top: 17 as laid out, or lower where the style draws the box's title above
// its frame (the frame's top edge then runs two pixels under the title's foot), so that the row
// starts just inside the frame and never covers its edge.
int ThresholdRowTop(const QGroupBox& box) {
  QStyleOptionGroupBox opt;
  opt.initFrom(&box);
  opt.text = box.title();
  opt.lineWidth = 1;
  opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
  const QRect title = box.style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, &box);
  return std::max(17, title.bottom() + 3);
}

// The date picker shows the user's short date format, always with a four-digit year.
QString DatePickerFormat(const RegionalFormat& regional) {
  QString f = Q(regional.ShortDateFormat);
  return f.isEmpty() ? QStringLiteral("dd.MM.yyyy") : f;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

AudiogramBox::AudiogramBox(TfrmMain& owner, bool isChart, QWidget* parent)
    : QWidget(parent), owner_(owner), isChart_(isChart) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void AudiogramBox::paintEvent(QPaintEvent*) {
  // Painting either area draws both: a size that changed since the last drawing redraws them.
  if (owner_.chartImage_.size() != owner_.pbxAudiogram->size() ||
      owner_.rowImage_.size() != owner_.pbxResults->size())
    owner_.PaintChartImages();
  QPainter p(this);
  p.drawImage(0, 0, isChart_ ? owner_.chartImage_ : owner_.rowImage_);
}

// ---------------------------------------------------------------------------------------------

TfrmMain::TfrmMain(const MainWindowWiring& wiring, QWidget* parent)
    : QMainWindow(parent),
      host_(wiring.host),
      keys_(wiring.keyStore),
      ownDesktop_(wiring.desktop ? nullptr : std::make_unique<QtDesktopServices>()),
      desktop_(wiring.desktop ? wiring.desktop : ownDesktop_.get()),
      devices_(wiring.devices),
      useEndpointVolume_(wiring.useEndpointVolume) {
  setObjectName(QStringLiteral("frmMain"));
  testWindow_ = std::make_unique<TfrmTest>();
  session_ = std::make_unique<Session>(
      SessionWiring{wiring.devices, wiring.host, wiring.keyStore, wiring.regional, *testWindow_, *this});
  testWindow_->Attach(session_->State);
  testWindow_->AlsoListenTo(this);
  HelpKey(*testWindow_, [this] { host_.OpenHelp(14); });
  session_->Procedure().SetObserver(this);
  screenSaver_ = new ScreenSaverInhibitor(this);
  session_->WorkingDirectory = QDir::currentPath().toStdString();

  setFont(DesktopFont(14));
  BuildLayout();
  BuildMenus();
  SetGermanCaptions();
  setWindowTitle(CaptionText());

  about_ = std::make_unique<TfrmAbout>();
  about_->setFont(DesktopFont(14));
  connect(about_.get(), &TfrmAbout::HelpRequested, this, [this](int context) { host_.OpenHelp(context); });
  connect(about_.get(), &TfrmAbout::Closed, this, [this] { setEnabled(true); });
  settings_ = std::make_unique<TfrmSettings>(*this);
  connect(Options1, &QAction::triggered, this, [this] { settings_->ShowSettings(); });
  connect(GraphSettings1, &QAction::triggered, this, [this] { settings_->ShowSettings(PageGraphSettings); });
  ConnectTestAndResults();

  // The client area of 894 x 603 below the menu bar, centred on the screen.
  const int menuHeight = menuBar()->sizeHint().height();
  setMinimumSize(MinClientWidth, MinClientHeight + menuHeight);
  resize(ClientWidth, ClientHeight + menuHeight);
  CentreOnScreen(*this);
  FormResize(ClientWidth, ClientHeight);
  calibration_ = std::make_unique<CalibrationWindows>(*this);
}

TfrmMain::~TfrmMain() { session_->Procedure().SetObserver(nullptr); }

THelpWindow& TfrmMain::HelpWindow() {
  if (!help_) {
    help_ = std::make_unique<THelpWindow>(HelpDirectory());
    help_->setFont(DesktopFont(14));
    CentreOver(*help_, *this);
  }
  return *help_;
}

void TfrmMain::BuildLayout() {
  Client = new QWidget(this);
  Client->setObjectName(QStringLiteral("Client"));
  setCentralWidget(Client);
  Client->installEventFilter(this);

  grpGraph = new QGroupBox(Client);
  grpGraph->setObjectName(QStringLiteral("grpGraph"));
  grpGraph->setGeometry(5, 0, 700, 344);
  grpGraph->setFont(DesktopFont(15));
  pbxAudiogram = new AudiogramBox(*this, true, grpGraph);
  pbxAudiogram->setObjectName(QStringLiteral("pbxAudiogram"));
  pbxAudiogram->setGeometry(20, 34, 657, 301);
  pbxAudiogram->setContextMenuPolicy(Qt::CustomContextMenu);

  grpThreshold = new QGroupBox(Client);
  grpThreshold->setObjectName(QStringLiteral("grpThreshold"));
  grpThreshold->setGeometry(5, 347, 700, 41);
  pbxResults = new AudiogramBox(*this, false, grpThreshold);
  pbxResults->setObjectName(QStringLiteral("pbxResults"));
  pbxResults->setGeometry(20, 17, 657, ThresholdRowHeight);

  grpData = new QGroupBox(Client);
  grpData->setObjectName(QStringLiteral("grpData"));
  grpData->setGeometry(5, 391, 700, 120);

  auto field = [this](QLineEdit*& edit, QLabel*& label, const char* name, const char* labelName, int x, int y,
                      int h) {
    edit = new QLineEdit(grpData);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(x, y, 219, h);
    edit->installEventFilter(this);
    label = new QLabel(grpData);
    label->setObjectName(QString::fromLatin1(labelName));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(edit);
  };
  field(txtFirstName, lblFirstName, "txtFirstName", "lblFirstName", 94, 20, 26);
  field(txtLastName, lblLastName, "txtLastName", "lblLastName", 466, 22, 26);
  field(txtOrganisation, lblOrganisation, "txtOrganisation", "lblOrganisation", 94, 54, 26);
  field(txtReferenceNumber, lblReferenceNumber, "txtReferenceNumber", "lblReferenceNumber", 466, 56, 26);
  field(txtComment, lblComment, "txtComment", "lblComment", 466, 89, 24);
  dtpDOB = new QDateEdit(QDate(1960, 1, 1), grpData);
  dtpDOB->setObjectName(QStringLiteral("dtpDOB"));
  dtpDOB->setGeometry(96, 88, 105, 24);
  dtpDOB->setCalendarPopup(true);
  dtpDOB->setDisplayFormat(DatePickerFormat(session_->Regional));
  dtpDOB->installEventFilter(this);
  lblDOB = new QLabel(grpData);
  lblDOB->setObjectName(QStringLiteral("lblDOB"));
  lblDOB->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lblDOB->setBuddy(dtpDOB);
  // Labels stand right-aligned to the left of their field.
  for (QLabel* l : {lblFirstName, lblLastName, lblOrganisation, lblReferenceNumber, lblComment, lblDOB}) {
    const QRect f = l->buddy()->geometry();
    const int width = f.x() < 200 ? 86 : 136;
    l->setGeometry(f.x() - 6 - width, f.y(), width, f.height());
  }
  setTabOrder(txtFirstName, txtLastName);
  setTabOrder(txtLastName, txtOrganisation);
  setTabOrder(txtOrganisation, txtReferenceNumber);
  setTabOrder(txtReferenceNumber, dtpDOB);
  setTabOrder(dtpDOB, txtComment);

  lblDateTime = new QLabel(Client);
  lblDateTime->setObjectName(QStringLiteral("lblDateTime"));
  lblDateTime->move(9, 512);
  lblDateTime->resize(600, 17);
  lblCalFilename = new QLabel(Client);
  lblCalFilename->setObjectName(QStringLiteral("lblCalFilename"));
  lblCalFilename->setGeometry(208, 512, 497, 17);
  lblCalFilename->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lblCalFilename->hide();

  // The fields are the personal data of the state: the files, the export and the results read
  // them there.
  auto bind = [this](QLineEdit* edit, std::string PersonalData::*member, bool isName) {
    connect(edit, &QLineEdit::textChanged, this, [this, member, isName](const QString& text) {
      State().Personal.*member = text.toStdString();
      if (isName) NameChanged();
    });
  };
  bind(txtFirstName, &PersonalData::FirstName, true);
  bind(txtLastName, &PersonalData::LastName, true);
  bind(txtOrganisation, &PersonalData::Organisation, false);
  bind(txtReferenceNumber, &PersonalData::ReferenceNumber, false);
  bind(txtComment, &PersonalData::Comment, false);
  connect(dtpDOB, &QDateEdit::dateChanged, this, [this](const QDate& d) {
    if (d.isValid()) State().Personal.DateOfBirth = {d.year(), d.month(), d.day()};
  });
}

void TfrmMain::BuildMenus() {
  auto action = [this](QMenu* menu, const char* name, const char* text, const QKeySequence& key = {}) {
    auto* a = new QAction(QString::fromUtf8(text), this);
    a->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty()) {
      a->setShortcut(key);
      // The shortcut works wherever the focus is in this window, text fields included.
      a->setShortcutContext(Qt::WindowShortcut);
      addAction(a);
    }
    menu->addAction(a);
    return a;
  };

  File1 = menuBar()->addMenu(QString());
  File1->setObjectName(QStringLiteral("File1"));
  New1 = action(File1, "New1", "&New", QKeySequence(Qt::CTRL | Qt::Key_N));
  Open1 = action(File1, "Open1", "&Open", QKeySequence(Qt::CTRL | Qt::Key_O));
  Save1 = action(File1, "Save1", "&Save", QKeySequence(Qt::CTRL | Qt::Key_S));
  File1->addSeparator();
  Print1 = action(File1, "Print1", "&Print", QKeySequence(Qt::CTRL | Qt::Key_P));
  PrinterSetup1 = action(File1, "PrinterSetup1", "P&rinter Setup");
  File1->addSeparator();
  Options1 = action(File1, "Options1", "&Options");
  File1->addSeparator();
  Exit1 = action(File1, "Exit1", "Exit", QKeySequence(Qt::CTRL | Qt::Key_X));

  Calibration2 = menuBar()->addMenu(QString());
  Calibration2->setObjectName(QStringLiteral("Calibration2"));
  EarCalibration1 =
      action(Calibration2, "EarCalibration1", "New &Calibration by Ear", QKeySequence(Qt::Key_F3));
  Calibration2->addSeparator();
  LoadCalibration1 = action(Calibration2, "LoadCalibration1", "&Load Calibration", QKeySequence(Qt::Key_F2));
  CheckorRecalibratebyEar1 = action(Calibration2, "CheckorRecalibratebyEar1", "Check or Recalibrate by Ear",
                                    QKeySequence(Qt::Key_F4));
  Calibration2->addSeparator();
  CalInfo1 = action(Calibration2, "CalInfo1", "Calibration &Info", QKeySequence(Qt::CTRL | Qt::Key_I));
  TestCompatibility1 = action(Calibration2, "TestCompatibility1", "Test Compatibility");

  Test1 = menuBar()->addMenu(QString());
  Test1->setObjectName(QStringLiteral("Test1"));
  NewTest1 = action(Test1, "NewTest1", "&New Test", QKeySequence(Qt::Key_F5));
  Retest1 = action(Test1, "Retest1", "&Retest", QKeySequence(Qt::Key_F6));
  Test1->addSeparator();
  ViewResults1 = action(Test1, "ViewResults1", "View Results", QKeySequence(Qt::Key_F8));

  Help1 = menuBar()->addMenu(QString());
  Help1->setObjectName(QStringLiteral("Help1"));
  MainHelp1 = action(Help1, "MainHelp1", "&Main Help", QKeySequence(Qt::Key_F1));
  Help1->addSeparator();
  Gettingstarted1 = action(Help1, "Gettingstarted1", "Getting started");
  FAQ1 = action(Help1, "FAQ1", "&FAQ");
  Help1->addSeparator();
  Emailtheauthor1 = action(Help1, "Emailtheauthor1", "Email the author");
  Help1->addSeparator();
  About1 = action(Help1, "About1", "&About");

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  Retest2 = action(PopupMenu1, "Retest2", "&Retest");
  ViewResults2 = action(PopupMenu1, "ViewResults2", "&View Results");
  SaveAs1 = action(PopupMenu1, "SaveAs1", "&Save As...");
  PopupMenu1->addSeparator();
  GraphSettings1 = action(PopupMenu1, "GraphSettings1", "&Graph Settings");

  for (QMenu* m : {File1, Calibration2, Test1, Help1, PopupMenu1})
    connect(m, &QMenu::aboutToShow, this, &TfrmMain::UpdateMenus);

  connect(New1, &QAction::triggered, this, &TfrmMain::New1Click);
  connect(Open1, &QAction::triggered, this, &TfrmMain::Open1Click);
  connect(Save1, &QAction::triggered, this, &TfrmMain::Save1Click);
  connect(SaveAs1, &QAction::triggered, this, &TfrmMain::Save1Click);
  connect(Exit1, &QAction::triggered, this, &QWidget::close);
  connect(LoadCalibration1, &QAction::triggered, this, &TfrmMain::LoadCalibration1Click);
  connect(MainHelp1, &QAction::triggered, this, &TfrmMain::MainHelp1Click);
  connect(Gettingstarted1, &QAction::triggered, this, [this] { host_.OpenHelp(10); });
  connect(FAQ1, &QAction::triggered, this, [this] { host_.OpenHelp(21); });
  connect(Emailtheauthor1, &QAction::triggered, this, &TfrmMain::Emailtheauthor1Click);
  connect(About1, &QAction::triggered, this, &TfrmMain::About1Click);
  connect(pbxAudiogram, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu1->popup(pbxAudiogram->mapToGlobal(at)); });
  UpdateMenus();
}

void TfrmMain::SetGermanCaptions() {
  File1->setTitle(QStringLiteral("&Datei"));
  New1->setText(QStringLiteral("&Neu"));
  Open1->setText(QStringLiteral("&Öffnen"));
  Save1->setText(QStringLiteral("&Speichern"));
  PrinterSetup1->setText(QStringLiteral("&Druckereinstellungen"));
  Print1->setText(QStringLiteral("&Drucken"));
  Options1->setText(QStringLiteral("&Einstellungen"));
  Calibration2->setTitle(QStringLiteral("&Kalibrierung"));
  Test1->setTitle(QStringLiteral("&Hörtest"));
  LoadCalibration1->setText(QStringLiteral("Kalibrierungsdaten &laden"));
  EarCalibration1->setText(QStringLiteral("&Neue Kalibrierung nach Gehör"));
  CheckorRecalibratebyEar1->setText(QStringLiteral("Kalibrierung nach Gehör &testen oder wiederholen"));
  CalInfo1->setText(QStringLiteral("Kalibrierungsinformationen &anzeigen"));
  TestCompatibility1->setText(QStringLiteral("Kompatibilitätstest"));
  NewTest1->setText(QStringLiteral("&Neuen Test durchführen"));
  Retest1->setText(QStringLiteral("Test &wiederholen (Nur Ausreißer)"));
  ViewResults1->setText(QStringLiteral("Testergebnisse anzeigen"));
  Help1->setTitle(QStringLiteral("&Hilfe"));
  MainHelp1->setText(QStringLiteral("&Hilfe Hauptbildschirm"));
  Gettingstarted1->setText(QStringLiteral("Erste Schritte"));
  About1->setText(QStringLiteral("&Über dieses Programm"));
  Emailtheauthor1->setText(QStringLiteral("Email an den Autor"));
  grpGraph->setTitle(QStringLiteral(" Audiogramm "));
  grpThreshold->setTitle(QStringLiteral(" Hörschwellenwerte [dB] "));
  grpData->setTitle(QStringLiteral(" Persönliche Daten "));
  lblFirstName->setText(QStringLiteral("Vorname:"));
  lblLastName->setText(QStringLiteral("Nachname:"));
  lblOrganisation->setText(QStringLiteral("Abteilung:"));
  lblReferenceNumber->setText(QStringLiteral("Referenznummer:"));
  lblDOB->setText(QStringLiteral("Geboren:"));
  lblComment->setText(QStringLiteral("Bemerkung:"));
}

void TfrmMain::FormResize(int cw, int ch) {
  lblDateTime->move(lblDateTime->x(), ch - 18);
  lblCalFilename->move(lblCalFilename->x(), ch - 18);
  grpData->setGeometry(grpData->x(), ch - 147, cw - 2 * grpData->x(), grpData->height());
  grpThreshold->setGeometry(grpThreshold->x(), ch - 192, cw - 2 * grpThreshold->x(), grpThreshold->height());
  grpGraph->setGeometry(grpGraph->x(), grpGraph->y(), cw - 2 * grpGraph->x(), ch - 199);
  pbxAudiogram->resize(grpGraph->width() - 40, grpGraph->height() - 51);
  pbxResults->setGeometry(pbxResults->x(), ThresholdRowTop(*grpThreshold), grpThreshold->width() - 40,
                          pbxResults->height());
}

QString TfrmMain::CaptionText() const {
  return QStringLiteral("%1 %2").arg(ProductName, ProductVersion) + captionNote_;
}

void TfrmMain::SetCaptionNote(const QString& note) {
  captionNote_ = note;
  setWindowTitle(CaptionText());
}

void TfrmMain::NameChanged() {
  setWindowTitle(CaptionText() + " - " + txtFirstName->text() + " " + txtLastName->text());
}

void TfrmMain::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Each activation shows the plain caption again, replacing one that a name edit set.
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) setWindowTitle(CaptionText());
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Client && event->type() == QEvent::Resize) {
    FormResize(Client->width(), Client->height());
    return false;
  }
  // The menu shortcuts win over the text fields' own keys (Ctrl+X closes, Ctrl+N clears).
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(key->keyCombination());
    for (QAction* a : actions()) {
      if (a->shortcut() == pressed) {
        event->ignore();
        return true;
      }
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::UpdateMenus() {
  const AppState& s = State();
  const MenuEnabling m =
      EvaluateMenus({s.ResultsPresent, s.CalibrationLoaded, waveDevicePresent_, s.Run.Active});
  New1->setEnabled(m.New);
  Open1->setEnabled(m.Open);
  Save1->setEnabled(m.Save);
  Print1->setEnabled(m.Print);
  PrinterSetup1->setEnabled(m.PrinterSetup);
  Options1->setEnabled(m.Options);
  Exit1->setEnabled(m.Exit);
  Calibration2->setEnabled(m.CalibrationMenu);
  Calibration2->menuAction()->setEnabled(m.CalibrationMenu);
  // A disabled menu's shortcuts must not reach its items either.
  EarCalibration1->setEnabled(m.CalibrationMenu && m.EarCalibration);
  LoadCalibration1->setEnabled(m.CalibrationMenu && m.LoadCalibration);
  CheckorRecalibratebyEar1->setEnabled(m.CalibrationMenu && m.CheckorRecalibratebyEar);
  CalInfo1->setEnabled(m.CalibrationMenu && m.CalInfo);
  TestCompatibility1->setEnabled(m.CalibrationMenu && m.TestCompatibility);
  NewTest1->setEnabled(m.NewTest);
  Retest1->setEnabled(m.Retest);
  ViewResults1->setEnabled(m.ViewResults);
  Retest2->setEnabled(m.PopupRetest);
  ViewResults2->setEnabled(m.PopupViewResults);
  SaveAs1->setEnabled(m.PopupSaveAs);
  GraphSettings1->setEnabled(m.PopupGraphSettings);
}

// ---------------------------------------------------------------------------------------------
// Start-up.

void TfrmMain::FormCreate(const std::vector<std::string>& arguments) {
  State().UseEndpointVolume = useEndpointVolume_;
  if (devices_.waveOut.GetNumDevs() <= 0) {
    waveDevicePresent_ = false;
    host_.ShowMessage("Keine Audiokarte gefunden! Test und Kalibrierung nicht verfügbar");
  }
  UpdateMenus();
  session_->OpenCommandLine(arguments);
  AfterAudiogramChange();
}

void TfrmMain::LoadSettings() {
  // The settings window's creation: the device lists, the load, the mixer device check.
  settings_->FormCreate();
  RepaintAudiogram();
}

void TfrmMain::ShowAtStart() {
  show();
  if (settings_->isVisible()) {
    settings_->raise();
    settings_->activateWindow();
  } else {
    activateWindow();
  }
}

void TfrmMain::LoadStartupCalibration() {
  session_->LoadStartupCalibration();
  UpdateMenus();
}

// ---------------------------------------------------------------------------------------------
// The chart.

void TfrmMain::PaintChartImages() {
  const QPalette palette = QGuiApplication::palette();
  const GraphColourSet& colours = State().Settings.GraphColours;
  const int w = std::max(1, pbxAudiogram->width()), h = std::max(1, pbxAudiogram->height());
  const int rw = std::max(1, pbxResults->width()), rh = std::max(1, pbxResults->height());
  ImageCanvas chart(w, h, colours[ColourAudiogramBackground], palette, ChartFont());
  ImageCanvas row(rw, rh, colours[ColourApplicationBackground], palette, ChartFont());
  const std::string label = pbxAudiogramPaint(chart, row, State());
  chartImage_ = chart.TakeImage();
  rowImage_ = row.TakeImage();
  const QString text = Q(label);
  if (lblDateTime->text() != text) {
    lblDateTime->setText(text);
    lblDateTime->adjustSize();
  }
}

void TfrmMain::SetEnabled(bool enabled) {
  if (enabled && SecondaryWindowOpen()) return;
  setEnabled(enabled);
}

bool TfrmMain::SecondaryWindowOpen() const {
  if (about_->isVisible() || settings_->isVisible() || results_->isVisible()) return true;
  return calibration_ && calibration_->DisablesMain();
}

void TfrmMain::RepaintAudiogram() {
  PaintChartImages();
  pbxAudiogram->update();
  pbxResults->update();
}

void TfrmMain::SetAudiogramFrameColour(Colour colour) {
  QPalette p = grpGraph->palette();
  p.setColor(QPalette::Window, ResolveColour(colour, p));
  grpGraph->setPalette(p);
  grpGraph->setAutoFillBackground(true);
}

void TfrmMain::ApplyMainWindowColour(Colour colour) {
  if ((colour & SystemColourFlag) != 0) {
    setPalette(QPalette());
  } else {
    QPalette p = palette();
    p.setColor(QPalette::Window, ResolveColour(colour, p));
    setPalette(p);
  }
  RepaintAudiogram();
}

// ---------------------------------------------------------------------------------------------
// The file commands.

void TfrmMain::PersonalFieldsFromState() {
  const PersonalData p = State().Personal;
  txtLastName->setText(Q(p.LastName));
  txtFirstName->setText(Q(p.FirstName));
  txtOrganisation->setText(Q(p.Organisation));
  txtReferenceNumber->setText(Q(p.ReferenceNumber));
  txtComment->setText(Q(p.Comment));
  dtpDOB->setDate(QDate(p.DateOfBirth.Year, p.DateOfBirth.Month, p.DateOfBirth.Day));
}

void TfrmMain::AfterAudiogramChange() {
  PersonalFieldsFromState();
  RepaintAudiogram();
  UpdateMenus();
}

std::optional<FileChoice> TfrmMain::AskFile(const FileDialogRequest& r) { return desktop_->ChooseFile(this, r); }

void TfrmMain::New1Click() {
  if (!session_->NewAudiogram()) return;
  AfterAudiogramChange();
}

void TfrmMain::Open1Click() {
  // The shortcut may reach the command while a test runs; its audiogram stays its own.
  if (session_->TestRunning()) return;
  const auto choice = AskFile({false,
                               QStringLiteral("Open Audiogram File"),
                               {QStringLiteral("Audiogramme (*.aud *.AUD *.Aud)")},
                               WorkingDirectory(),
                               QString(),
                               QString()});
  if (!choice) return;
  session_->RememberFolderOf(choice->FileName.toStdString());
  session_->OpenAudiogram(choice->FileName.toStdString());
  AfterAudiogramChange();
}

void TfrmMain::Save1Click() {
  const AppState& s = State();
  const QString suggested =
      Q(SuggestedFileName(s.Settings, s.Personal, s.CurrentAudiogram, session_->Regional));
  const auto choice = AskFile({true,
                               QStringLiteral("Save Audiogram"),
                               {QStringLiteral("Audiogram (*.aud)"), QStringLiteral("ASCII-Text (*.txt)")},
                               WorkingDirectory(),
                               suggested,
                               QStringLiteral("aud")});
  if (!choice) return;
  session_->RememberFolderOf(choice->FileName.toStdString());
  session_->SaveAudiogram(choice->FileName.toStdString(), choice->FileType);
}

void TfrmMain::LoadCalibration1Click() {
  if (session_->TestRunning()) return;
  const auto choice = AskFile({false,
                               QStringLiteral("Open Calibration Data File"),
                               {QStringLiteral("Calibration Data (*.cal)")},
                               WorkingDirectory(),
                               QString(),
                               QStringLiteral("cal")});
  if (choice) session_->LoadCalibration(choice->FileName.toStdString());
  UpdateMenus();
}

// ---------------------------------------------------------------------------------------------
// Help, e-mail, about.

void TfrmMain::Emailtheauthor1Click() {
  const QString address = QStringLiteral("mailto:%1?subject=%2 V%3 feedback")
                              .arg(QString::fromUtf8(FeedbackAddress), QString::fromUtf8(ProductName),
                                   QString::fromUtf8(ProductVersion));
  const QUrl url(address, QUrl::TolerantMode);
  desktop_->OpenUrl(url);
}

void TfrmMain::About1Click() {
  setEnabled(false);
  CentreOver(*about_, *this);
  about_->show();
  about_->raise();
  about_->activateWindow();
}

// ---------------------------------------------------------------------------------------------
// The run and the end of the program.

void TfrmMain::RunStarted(const TestProperties&, bool) {
  // Held from the start of every run: the abort of the run before (also the usual trial run
  // ended with Cancel) leaves AbortRequested set until this run clears it.
  if (State().Settings.chkDisableSS) screenSaver_->Inhibit();
  RunStateChanged();
}

void TfrmMain::PresentationStarted(int32_t, int32_t, double) {
  if (State().AbortRequested) screenSaver_->Release();
}

void TfrmMain::RunEnded(bool) {
  screenSaver_->Release();
  // The run is still active while it reports its end; the menus follow once it has returned.
  QMetaObject::invokeMethod(this, &TfrmMain::RunStateChanged, Qt::QueuedConnection);
}

void TfrmMain::RunStateChanged() {
  UpdateMenus();
  emit TestRunChanged(State().Run.Active);
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  // Nothing is saved and nothing is asked. A running test sees the request at its next check
  // and stops at the end of the current presentation; the program ends once it has returned.
  RequestClose(State());
  screenSaver_->Release();
  if (!session_->Procedure().Running()) session_->Output.CloseToneOutput();
  if (help_) help_->close();
  about_->hide();
  calibration_->CloseAll();
  results_->hide();
  if (!session_->Procedure().Running()) testWindow_->hide();
  // Closing the main window ends the program whatever else is open (the settings window among
  // them); only a running test's window waits for the end of its tone.
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != this && w != testWindow_.get() && w->isVisible()) w->hide();
  event->accept();
}

}  // namespace sonavel
