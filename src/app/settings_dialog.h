// The settings window: its controls are the settings record, so every change takes effect at
// once; OK stores the record in the settings key, Abbrechen reloads it from there, the close box
// keeps the edits for this run. The rules it applies live in settings/settings_rules.h.
#pragma once

#include <QColor>
#include <QDialog>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "app/round_light.h"
#include "settings/registry.h"
#include "settings/settings_rules.h"

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimer;
class QTreeView;

namespace sonavel {

class TfrmMain;
class Session;

// The light of the response-button check: a small filled circle.
class TLight : public RoundLight {
 public:
  explicit TLight(QWidget* parent);
  void SetColour(Colour colour);
  Colour FillColour() const { return colour_; }

 private:
  Colour colour_ = ColourRed;
};

class TfrmSettings : public QDialog, private SettingsDialogView {
  Q_OBJECT
 public:
  explicit TfrmSettings(TfrmMain& main);
  ~TfrmSettings() override;

  // Start-up: the device lists, the load (which may run the first-start sequence and show this
  // window on the Hardware page), the mixer device check. An error of the load ends it there and
  // is shown as the general error report.
  void FormCreate();
  // What a load sets off in this window and the main window.
  SettingsFollowUp& LoadFollowUp();

  // Shows the window with the main window disabled: on `page` when given (selected by the
  // command, which starts no light timer), else on the page it last showed.
  void ShowSettings(std::optional<int32_t> page = std::nullopt);

  // The handlers.
  void OKClick();
  void CancelClick();
  void SettingsHelpClick();
  void ChangeClick();
  void btnChooseCalClick();
  void Button1Click();
  void Button2Click();
  void Timer1Timer();
  // Leaving one of the bounded fields.
  void FieldExit(BoundedField field);

  int32_t HelpContext() const { return helpContext_; }
  bool LightTimerRunning() const;


  // The controls, named as the system names them.
  QTabWidget* SettingsPages;
  QWidget *TestProcedure, *SoundCard, *FileHandling, *GraphSettings, *TabSheet1;
  QPushButton *OK, *Cancel, *SettingsHelp;
  QGroupBox *GroupBox1, *GroupBox4, *Miscanelleous;
  QCheckBox *Check125, *Check250, *Check500, *Check750, *Check1000, *Check1500, *Check2000, *Check3000,
      *Check4000, *Check6000, *Check8000;
  QCheckBox *Trial, *Retest, *FirstEar, *AutoRetest, *chkDisableSS;
  QLabel *Label2, *Label6, *Label17, *Label21, *Label11, *Label12, *Label13, *lblMaximum, *lblMinimum;
  QLineEdit *BeepTimeEdit, *PauseTimeEdit, *LevelStep, *LevelStart, *TestTimeEdit, *ReverseEdit;
  QGroupBox *GroupBox3, *GroupBox7;
  QLabel *Label10, *Label1, *Label26, *lblJoystickState;
  QComboBox *WaveOutDevice, *MixerDevice;
  QPushButton *Button2, *Button1;
  QRadioButton *rdoCTRL, *rdoJoystick;
  TLight* light;
  QTimer* Timer1;
  QLabel *Label9, *Label8, *Dir;
  QComboBox* DriveComboBox1;
  QTreeView* DirectoryListBox1;
  QGroupBox* GroupBox2;
  QCheckBox *IncludeLName, *IncludeFName, *IncludeRef, *IncludeDept, *IncludeDOB, *IncludeDate, *IncludeTime;
  QGroupBox *GroupBox6, *GroupBox5;
  QCheckBox *ShowReversals, *ShowThresholds, *MarkSuspicious, *Reject1st, *RealTimeCalc;
  QComboBox* ColourList;
  QFrame* ColourSample;
  QPushButton* Change;
  QCheckBox *chkLoadCal, *chkPrintCal;
  QLabel* Label24;
  QPushButton* btnChooseCal;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void reject() override { CancelClick(); }

 private:
  class FollowUp;
  struct CheckBinding {
    QCheckBox* box;
    bool SettingsRecord::*field;
  };
  // A check box to make: where its pointer goes, its object name and the field it edits.
  struct BoundCheck {
    QCheckBox** box;
    const char* name;
    bool SettingsRecord::*field;
  };
  // Makes the check boxes in `group`, one under the other, each bound to its field.
  void AddBoundChecks(QGroupBox* group, std::initializer_list<BoundCheck> checks);

  void BuildPages();
  void BuildTestProcedure();
  void BuildSoundCard();
  void BuildFileHandling();
  void BuildGraphSettings();
  void BuildCalibration();
  void SetGermanTexts();
  void Connect();
  void FillDeviceLists();

  // The controls from the record, without any follow-up.
  void SyncControls();
  void SyncField(const RegistryField& field);
  void CheckChanged(bool SettingsRecord::*field, bool checked);
  void RadioChanged();
  void SelectPage(int32_t page);
  void SettingsPagesChange(int32_t page);
  void FormActivate();
  void UpdateDeviceChoices();
  void ShowColourSample(Colour colour);
  void ShowWorkingDirectory(const QString& path);
  void SetWorkingDirectory(const QString& path);
  void StartTool(SettingsTool tool);
  void StopLightTimer();

  // SettingsDialogView.
  void SetCheck1000Enabled(bool enabled) override;
  void SetJoystickControlsVisible(bool visible) override;
  void RepaintAudiogram() override;
  void RepaintTestGraph() override;
  void SetAudiogramAreaColour(Colour colour) override;
  void SetAudiogramFrameColour(Colour colour) override;
  void SetMainWindowColour(Colour colour) override;

  TfrmMain& main_;
  Session& session_;
  std::unique_ptr<FollowUp> followUp_;
  std::vector<CheckBinding> checks_;
  std::vector<std::string> waveEntries_, mixerEntries_;
  QFileSystemModel* dirModel_ = nullptr;
  LightTimerRule lightRule_;
  int32_t helpContext_ = SettingsInitialHelpContext;
  bool selectingByCommand_ = false;
  bool syncing_ = false;
  QColor lastColour_;
  Colour areaColour_ = ColourOlive;
  Colour windowColour_ = ColourButtonFace;
};


}  // namespace sonavel
