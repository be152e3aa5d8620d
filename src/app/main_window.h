// The main window: the audiogram chart and threshold row, the personal-data fields, the menus
// with their enabling rules and shortcuts, the file commands, help and the about window. It
// owns the session that the commands work on.
#pragma once

#include <QImage>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/desktop_services.h"
#include "session/menu_enabling.h"
#include "core/host.h"
#include "core/regional.h"
#include "hearingtest/views.h"
#include "session/devices.h"
#include "session/session.h"
#include "settings/key_store.h"
#include "settings/registry.h"

class QAction;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;

namespace sonavel {

class CalibrationWindows;
class ScreenSaverInhibitor;
class TfrmAbout;
class TfrmSettings;
class TfrmResults;
class TfrmTest;
class PrintService;
class THelpWindow;
class TfrmMain;

// What the main window is built from. Everything named here must outlive the window.
struct MainWindowWiring {
  Devices devices;
  bool useEndpointVolume = false;  // what the drivers found
  Host& host;
  KeyStore& keyStore;
  RegionalFormat regional;
  // The desktop's dialogs and services; the Qt ones when none is given.
  DesktopServices* desktop = nullptr;
};

// A drawing area of the chart: pbxAudiogram or pbxResults. Painting either draws both.
class AudiogramBox : public QWidget {
  Q_OBJECT
 public:
  AudiogramBox(TfrmMain& owner, bool isChart, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TfrmMain& owner_;
  bool isChart_;
};


class TfrmMain : public QMainWindow, public MainWindowView, private RunObserver {
  Q_OBJECT
 public:
  explicit TfrmMain(const MainWindowWiring& wiring, QWidget* parent = nullptr);
  ~TfrmMain() override;

  Session& GetSession() { return *session_; }
  AppState& State() { return session_->State; }

  // Start-up, in the program's order: FormCreate (no wave device, the command line), the
  // settings load with the first-start sequence, the calibration of the command line or the
  // settings.
  void FormCreate(const std::vector<std::string>& arguments);
  void LoadSettings();
  void LoadStartupCalibration();
  // Shows the window at the end of start-up; a window the start opened over it (the settings of
  // the first start) keeps the keyboard.
  void ShowAtStart();

  // MainWindowView. The end of a run enables the window only when no secondary window that
  // disabled it (results, settings, about, calibration) is still open.
  void RepaintAudiogram() override;
  // The window's background (a system colour: the desktop's), and the chart box's frame.
  void ApplyMainWindowColour(Colour colour);
  void SetAudiogramFrameColour(Colour colour);
  void SetEnabled(bool enabled) override;
  bool SecondaryWindowOpen() const;

  // The commands.
  void New1Click();
  void Open1Click();
  void Save1Click();
  void LoadCalibration1Click();
  void MainHelp1Click() { host_.OpenHelp(1); }
  void Emailtheauthor1Click();
  void About1Click();
  // The test, results and print commands (test_commands.cpp).
  void NewTest1Click();
  void Retest1Click();
  void ViewResults1Click();
  void Print1Click();
  void PrinterSetup1Click();
  // Evaluates the enabling of every menu item (done as each menu opens).
  void UpdateMenus();

  // The window's caption as the rules set it.
  QString CaptionText() const;
  // The chart images last drawn (for printing and tests).
  const QImage& ChartImage() const { return chartImage_; }
  const QImage& ThresholdRowImage() const { return rowImage_; }
  void PaintChartImages();

  // The desktop's dialogs and services, for every window of the program.
  DesktopServices& Desktop() { return *desktop_; }
  // Where the help window shows topics (the host's OpenHelp is wired to it by the program).
  THelpWindow& HelpWindow();
  TfrmAbout& AboutWindow() { return *about_; }
  TfrmSettings& SettingsWindow() { return *settings_; }
  // Where the open and save dialogs start; the settings window's "Dateien" page sets it.
  QString WorkingDirectory() const { return QString::fromStdString(session_->WorkingDirectory); }
  void SetWorkingDirectory(const QString& directory) { session_->WorkingDirectory = directory.toStdString(); }
  TfrmTest& TestWindow() { return *testWindow_; }
  TfrmResults& ResultsWindow() { return *results_; }
  PrintService& Printing() { return *printing_; }
  // A note after the caption (the demonstration says so in the title bar).
  void SetCaptionNote(const QString& note);
  ScreenSaverInhibitor& ScreenSaver() { return *screenSaver_; }
  CalibrationWindows& Calibration() { return *calibration_; }

  // The closing of the main window was asked for (the program ends once a running test stopped).
  bool CloseRequested() const { return session_->State.Closing; }
  bool WaveDevicePresent() const { return waveDevicePresent_; }

  // The widgets, named as the system names them.
  QWidget* Client;
  QGroupBox *grpGraph, *grpThreshold, *grpData;
  AudiogramBox *pbxAudiogram, *pbxResults;
  QLabel *lblDateTime, *lblCalFilename;
  QLabel *lblFirstName, *lblLastName, *lblOrganisation, *lblReferenceNumber, *lblDOB, *lblComment;
  QLineEdit *txtFirstName, *txtLastName, *txtOrganisation, *txtReferenceNumber, *txtComment;
  QDateEdit* dtpDOB;
  QMenu *File1, *Calibration2, *Test1, *Help1, *PopupMenu1;
  QAction *New1, *Open1, *Save1, *Print1, *PrinterSetup1, *Options1, *Exit1;
  QAction *EarCalibration1, *LoadCalibration1, *CheckorRecalibratebyEar1, *CalInfo1, *TestCompatibility1;
  QAction *NewTest1, *Retest1, *ViewResults1;
  QAction *MainHelp1, *Gettingstarted1, *FAQ1, *Emailtheauthor1, *About1;
  QAction *Retest2, *ViewResults2, *SaveAs1, *GraphSettings1;

 signals:
  // A test run started or ended: the windows that must not change its devices follow.
  void TestRunChanged(bool running);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class AudiogramBox;

  void BuildLayout();
  void BuildMenus();
  void SetGermanCaptions();
  void FormResize(int clientWidth, int clientHeight);
  void NameChanged();
  void PersonalFieldsFromState();
  std::optional<FileChoice> AskFile(const FileDialogRequest& request);
  void AfterAudiogramChange();
  void ConnectTestAndResults();
  void AfterRun();
  // The menus and the windows follow the run's state.
  void RunStateChanged();

  // RunObserver: the screen saver stays off while a run goes on.
  void RunStarted(const TestProperties& props, bool autoRetest) override;
  void PresentationStarted(int32_t ear, int32_t frequencySlot, double levelHL) override;
  void RunEnded(bool aborted) override;

  Host& host_;
  KeyStore& keys_;
  std::unique_ptr<QtDesktopServices> ownDesktop_;
  DesktopServices* desktop_;
  Devices devices_;
  bool useEndpointVolume_;
  std::unique_ptr<TfrmTest> testWindow_;
  std::unique_ptr<Session> session_;
  // Windows of their own, not children: a disabled main window must not disable them.
  std::unique_ptr<TfrmAbout> about_;
  std::unique_ptr<THelpWindow> help_;
  std::unique_ptr<TfrmSettings> settings_;
  std::unique_ptr<CalibrationWindows> calibration_;
  std::unique_ptr<TfrmResults> results_;
  std::unique_ptr<PrintService> printing_;
  QString captionNote_;
  ScreenSaverInhibitor* screenSaver_;
  QImage chartImage_, rowImage_;
  bool waveDevicePresent_ = true;
  bool fillingFields_ = false;
};

}  // namespace sonavel
