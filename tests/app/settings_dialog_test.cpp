// The settings window on the simulated devices: the bounds of the fields, the follow-ups, the
// colours, OK, Cancel and the close box, the light, the device lists and a key from Windows.
#include "app/settings_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "app/program.h"
#include "app_test_support.h"
#include "platform/qt/qpainter_canvas.h"
#include "results/analysis.h"

namespace sonavel::apptest {
namespace {

const char* const KeyPath = "config/Brantel/Sonavel.reg";

// A rig whose key holds `fixture` (a file of tests/data/reg), loaded as the start does.
struct SettingsRig : MainWindowRig {
  explicit SettingsRig(const std::string& fixture = "reg/full_utf8.reg", bool waveDevice = true)
      : MainWindowRig(waveDevice) {
    std::filesystem::create_directories(Dir("config/Brantel"));
    WriteBytes(Dir(KeyPath), ReadBytes(Fixture(fixture)));
    // The fixtures name mixer device 1; the simulated card is device 0.
    std::string bytes = ReadBytes(Dir(KeyPath));
    const std::string stored = "\"Mixer Device Number\"=dword:00000001";
    if (const auto at = bytes.find(stored); at != std::string::npos) {
      bytes.replace(at, stored.size(), "\"Mixer Device Number\"=dword:00000000");
      WriteBytes(Dir(KeyPath), bytes);
    }
    window->FormCreate({});
    InstallSettingsKeyIfMissing(keys, Dir(KeyPath), host);
    window->LoadSettings();
  }
  TfrmSettings& dialog() { return window->SettingsWindow(); }
  SettingsRecord& settings() { return window->State().Settings; }
};

void Leave(QLineEdit* edit) {
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  QCoreApplication::sendEvent(edit, &out);
}

void Type(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  edit->del();
  QTest::keyClicks(edit, text);
}

TEST(SettingsDialog, WindowPagesAndTexts) {
  SettingsRig rig;
  TfrmSettings& d = rig.dialog();
  d.ShowSettings(PageTestProcedure);
  EXPECT_EQ(d.windowTitle(), "Sonavel Settings");
  EXPECT_EQ(d.size(), QSize(657, 433));
  EXPECT_TRUE(d.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(d.windowFlags() & Qt::WindowMinMaxButtonsHint);
  const QStringList captions{"Testverfahren", "Hardware", "Dateien", "Diagramm", "Calibration"};
  ASSERT_EQ(d.SettingsPages->count(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(d.SettingsPages->tabText(i), captions[i]);
  EXPECT_EQ(d.OK->geometry(), QRect(657 - 8 - 80, 388, 80, 30));
  EXPECT_TRUE(d.OK->isDefault());
  EXPECT_EQ(d.Cancel->text(), "Abbrechen");
  EXPECT_EQ(d.SettingsHelp->text(), "Hilfe");
  EXPECT_EQ(d.Label6->text(), "Lücken- dauer");
  EXPECT_EQ(d.Check1500->text(), "1.5 kHz");
  EXPECT_EQ(d.GroupBox3->title(), "Sound Output Device");
  EXPECT_EQ(d.light->toolTip(), "When the response button is pressed, this should turn red.");
  EXPECT_EQ(d.WaveOutDevice->toolTip(), "BItte wählen Sie die Soundkarte aus, mit der Sie testen möchten");
  EXPECT_TRUE(d.rdoJoystick->toolTip().isEmpty());
  EXPECT_EQ(d.ColourList->count(), 7);
  EXPECT_EQ(d.ColourList->itemText(2), "Audiogramm Achsen & Gitter");
  EXPECT_FALSE(d.chkDisableSS->isVisibleTo(&d));
  // Two columns of frequencies: 1.5 kHz closes the left one, 2 kHz opens the right one.
  EXPECT_LT(d.Check1500->x(), d.Check2000->x());
  EXPECT_EQ(d.Check125->x(), d.Check1500->x());
  // The device lists of the simulated devices.
  ASSERT_EQ(d.WaveOutDevice->count(), 1);
  EXPECT_EQ(d.WaveOutDevice->itemText(0), "Sonavel Simulated Output Driver Version 1.0");
  ASSERT_EQ(d.MixerDevice->count(), 1);
  EXPECT_EQ(d.MixerDevice->itemText(0), "Sonavel Simulated Mixer Driver Version 1.0");
  d.close();
}

TEST(SettingsDialog, BoundsOnLeavingAFieldInTheUsersNumberFormat) {
  SettingsRig rig;
  TfrmSettings& d = rig.dialog();
  struct Case {
    QLineEdit* edit;
    const char* typed;
    const char* left;
  } cases[] = {
      {d.TestTimeEdit, "7", "10"},    {d.TestTimeEdit, "75", "60"},   {d.TestTimeEdit, "abc", "30"},
      {d.TestTimeEdit, "10", "10"},   {d.TestTimeEdit, "030", "030"}, {d.ReverseEdit, "007", "007"},
      {d.PauseTimeEdit, "-1", "0"},   {d.PauseTimeEdit, "9", "5"},    {d.PauseTimeEdit, "", "1"},
      {d.BeepTimeEdit, "0,5", "0,5"}, {d.BeepTimeEdit, "0.5", "1"},   {d.ReverseEdit, "1", "2"},
  };
  for (const Case& c : cases) {
    Type(c.edit, QString::fromUtf8(c.typed));
    Leave(c.edit);
    EXPECT_EQ(c.edit->text(), c.left) << c.edit->objectName().toStdString() << " \"" << c.typed << "\"";
  }
  // The record holds what the fields show.
  EXPECT_EQ(rig.settings().ReverseEdit, "2");
  EXPECT_EQ(rig.settings().BeepTimeEdit, "1");

  // Leaving the pause field never touches the pulse field.
  Type(d.BeepTimeEdit, "abc");
  Type(d.PauseTimeEdit, "9");
  Leave(d.PauseTimeEdit);
  EXPECT_EQ(d.BeepTimeEdit->text(), "abc");
  EXPECT_EQ(rig.settings().BeepTimeEdit, "abc");
  // The record is live: the test reads the typed text before OK.
  Type(d.LevelStep, "4");
  EXPECT_EQ(rig.settings().LevelStep, "4");
}

TEST(SettingsDialog, RetestLocksCheck1000ThroughOffClearOn) {
  SettingsRig rig;
  TfrmSettings& d = rig.dialog();
  d.Retest->setChecked(true);
  ASSERT_FALSE(d.Check1000->isEnabled());
  d.Retest->click();  // off
  EXPECT_TRUE(d.Check1000->isEnabled());
  d.Check1000->click();  // clear
  EXPECT_FALSE(rig.settings().Check1000);
  d.Retest->click();  // on
  EXPECT_TRUE(d.Check1000->isChecked());
  EXPECT_FALSE(d.Check1000->isEnabled());
  EXPECT_TRUE(rig.settings().Check1000);
  EXPECT_TRUE(rig.settings().Retest);
}

TEST(SettingsDialog, JoystickControlsFollowTheRadioButtons) {
  SettingsRig rig;
  TfrmSettings& d = rig.dialog();
  d.ShowSettings(PageSoundCard);
  d.rdoCTRL->click();
  EXPECT_FALSE(d.light->isVisible());
  EXPECT_FALSE(d.Button1->isVisible());
  EXPECT_FALSE(rig.settings().rdoJoystick);
  d.rdoJoystick->click();
  EXPECT_TRUE(d.light->isVisible());
  EXPECT_TRUE(d.Label26->isVisible());
  EXPECT_TRUE(rig.settings().rdoJoystick);
  EXPECT_FALSE(rig.settings().rdoCTRL);
  d.close();
}

TEST(SettingsDialog, Colour3ThenCancelReloadsTheAreaAndKeepsTheFrame) {
  SettingsRig rig;
  TfrmSettings& d = rig.dialog();
  TfrmMain& w = *rig.window;
  const Colour stored = rig.settings().GraphColours[ColourAudiogramBackground];
  d.ShowSettings(PageGraphSettings);
  d.ColourList->setCurrentIndex(3);
  rig.desktop.Colours = [](Colour) { return std::optional<Colour>(0x000000FF); };
  d.ChangeClick();
  EXPECT_EQ(rig.settings().GraphColours[ColourAudiogramBackground], 0x000000FFu);
  EXPECT_EQ(w.ChartImage().pixelColor(w.ChartImage().width() - 2, 2), QColor(255, 0, 0));
  EXPECT_EQ(w.grpGraph->palette().color(QPalette::Window), QColor(255, 0, 0));
  EXPECT_EQ(d.ColourSample->palette().color(QPalette::Window), QColor(255, 0, 0));

  d.Cancel->click();
  EXPECT_FALSE(d.isVisible());
  EXPECT_TRUE(w.isEnabled());
  EXPECT_EQ(rig.settings().GraphColours[ColourAudiogramBackground], stored);
  EXPECT_EQ(w.ChartImage().pixelColor(w.ChartImage().width() - 2, 2), ResolveColour(stored, w.palette()));
  EXPECT_EQ(w.grpGraph->palette().color(QPalette::Window), QColor(255, 0, 0));
}

TEST(SettingsDialog, CloseBoxKeepsChangesForTheRunAndTheNextStartHasTheStoredOnes) {
  SettingsRig rig;
  TfrmSettings& d = rig.dialog();
  const bool stored = rig.settings().IncludeTime;
  d.ShowSettings();
  EXPECT_FALSE(rig.window->isEnabled());
  d.IncludeTime->click();
  d.close();
  EXPECT_TRUE(rig.window->isEnabled());
  EXPECT_EQ(rig.settings().IncludeTime, !stored);
  // Opened again, the window shows the change.
  d.ShowSettings();
  EXPECT_EQ(d.IncludeTime->isChecked(), !stored);
  d.close();

  MainWindowRig next;
  std::filesystem::create_directories(next.Dir("config/Brantel"));
  WriteBytes(next.Dir(KeyPath), ReadBytes(rig.Dir(KeyPath)));
  InstallSettingsKeyIfMissing(next.keys, next.Dir(KeyPath), next.host);
  next.window->LoadSettings();
  EXPECT_EQ(next.window->State().Settings.IncludeTime, stored);
  EXPECT_EQ(next.window->SettingsWindow().IncludeTime->isChecked(), stored);
}

TEST(SettingsDialog, OkStoresAndAFailingStoreKeepsTheWindowOpen) {
  SettingsRig rig;
  TfrmSettings& d = rig.dialog();
  d.ShowSettings();
  d.IncludeDOB->setChecked(!rig.settings().IncludeDOB);
  const bool wanted = rig.settings().IncludeDOB;

  // The key's folder cannot take the new file: the store fails and names the value.
  const std::string folder = rig.Dir("config/Brantel");
  std::filesystem::permissions(folder,
                               std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const bool writable = ::access(folder.c_str(), W_OK) == 0;  // root writes anyway
  if (!writable) {
    rig.host.Messages.clear();
    d.OK->click();
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(rig.window->isEnabled());
    ASSERT_FALSE(rig.host.Messages.empty());
    EXPECT_NE(rig.host.Messages.back().text.find("Failed to set data for"), std::string::npos);
  }
  std::filesystem::permissions(folder, std::filesystem::perms::owner_all);

  // A key that is gone fails the same way, whoever runs the test.
  const std::string bytes = ReadBytes(rig.Dir(KeyPath));
  std::filesystem::remove(rig.Dir(KeyPath));
  rig.host.Messages.clear();
  d.OK->click();
  EXPECT_TRUE(d.isVisible());
  ASSERT_EQ(rig.host.Messages.size(), 1u);
  EXPECT_EQ(rig.host.Messages[0].text.rfind("Failed to set data for 'Test 125Hz'", 0), 0u);

  WriteBytes(rig.Dir(KeyPath), bytes);
  d.OK->click();
  EXPECT_FALSE(d.isVisible());
  EXPECT_TRUE(rig.window->isEnabled());
  KeyFileStore later(rig.keys.Paths());
  EXPECT_EQ(later.OpenKey(KeyPaths::FirstOnly)->Value("Include DOB")->Number, wanted ? 1u : 0u);
}

TEST(SettingsDialog, Reject1stOnAnOpenedAudiogramRecomputesItsThresholds) {
  SettingsRig rig;
  TfrmMain& w = *rig.window;
  ASSERT_TRUE(w.GetSession().OpenAudiogram(Fixture("aud/full.aud")));
  TfrmSettings& d = rig.dialog();
  d.Reject1st->setChecked(true);
  PatientFile expected = w.State().CurrentAudiogram;
  CalcThreshold(expected, false);
  ASSERT_NE(expected.Threshold, w.State().CurrentAudiogram.Threshold);
  d.Reject1st->click();
  EXPECT_FALSE(w.State().Settings.Reject1st);
  EXPECT_EQ(w.State().CurrentAudiogram.Threshold, expected.Threshold);
}

TEST(SettingsDialog, LightFollowsTheControllerOnlyWhileTheUserHasTheHardwarePage) {
  SettingsRig rig;
  TfrmSettings& d = rig.dialog();
  d.rdoJoystick->click();
  // Opened on the Hardware page by a command: no polling.
  d.ShowSettings(PageSoundCard);
  EXPECT_FALSE(d.LightTimerRunning());
  const int64_t readsBefore = rig.joystick.Reads;
  QTest::qWait(120);
  EXPECT_EQ(rig.joystick.Reads, readsBefore);

  // The user picks another page, then the Hardware page: the light polls every 50 ms.
  QTabBar* tabs = d.SettingsPages->tabBar();
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(PageGraphSettings).center());
  EXPECT_EQ(d.HelpContext(), 9);
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(PageSoundCard).center());
  EXPECT_EQ(d.HelpContext(), 6);
  ASSERT_TRUE(d.LightTimerRunning());
  EXPECT_EQ(d.findChild<QTimer*>("Timer1")->interval(), 50);
  rig.joystick.Set(rig.host.MonotonicSeconds(), 0x4);
  EXPECT_TRUE(QTest::qWaitFor([&] { return d.light->FillColour() == LightPressed; }, 1000));
  rig.joystick.Set(rig.host.MonotonicSeconds() + 0.001, 0);
  rig.host.Sleep(10);
  EXPECT_TRUE(QTest::qWaitFor([&] { return d.light->FillColour() == LightReleased; }, 1000));
  rig.joystick.Connected = false;
  rig.joystick.Set(rig.host.MonotonicSeconds(), 0x1);
  QTest::qWait(120);
  EXPECT_EQ(d.light->FillColour(), LightReleased);

  // Another page stops the polling; so does closing.
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(PageFileHandling).center());
  EXPECT_FALSE(d.LightTimerRunning());
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(PageSoundCard).center());
  EXPECT_TRUE(d.LightTimerRunning());
  d.close();
  EXPECT_FALSE(d.LightTimerRunning());
  // Reopened on the Hardware page it last showed: still no polling until the user picks it.
  d.ShowSettings();
  EXPECT_FALSE(d.LightTimerRunning());
  d.close();
}

TEST(SettingsDialog, HelpOpensThePagesContext) {
  SettingsRig rig;
  TfrmSettings& d = rig.dialog();
  d.ShowSettings(PageFileHandling);
  rig.host.HelpOpened.clear();
  d.SettingsHelp->click();  // until the user picks a page: the window's own context
  QTabBar* tabs = d.SettingsPages->tabBar();
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(PageFileHandling).center());
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(PageTestProcedure).center());
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(PageFileHandling).center());
  d.SettingsHelp->click();
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(PageCalibration).center());
  d.SettingsHelp->click();
  EXPECT_EQ(rig.host.HelpOpened, (std::vector<int32_t>{5, 7, 11}));
  d.close();
}

TEST(SettingsDialog, MixerDeviceCheckAtCreation) {
  // The stored mixer device 1 is gone (the simulated card is device 0).
  MainWindowRig rig;
  std::filesystem::create_directories(rig.Dir("config/Brantel"));
  WriteBytes(rig.Dir(KeyPath), ReadBytes(Fixture("reg/full_utf8.reg")));
  InstallSettingsKeyIfMissing(rig.keys, rig.Dir(KeyPath), rig.host);
  rig.window->LoadSettings();
  TfrmSettings& d = rig.window->SettingsWindow();
  EXPECT_TRUE(rig.HostShowed(MixerDeviceGoneText));
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(d.SettingsPages->currentIndex(), PageSoundCard);
  EXPECT_FALSE(d.LightTimerRunning());
  EXPECT_FALSE(rig.window->isEnabled());
  EXPECT_EQ(d.MixerDevice->currentIndex(), -1);
  // The user picks the device; OK stores it.
  d.MixerDevice->setCurrentIndex(0);
  emit d.MixerDevice->activated(0);
  EXPECT_EQ(rig.window->GetSession().MixerAccess.DeviceNumber, 0);
  d.OK->click();
  EXPECT_FALSE(d.isVisible());
  KeyFileStore later(rig.keys.Paths());
  EXPECT_EQ(later.OpenKey(KeyPaths::FirstOnly)->Value("Mixer Device Number")->Number, 0u);

  // A device that is there opens without a word.
  SettingsRig present;
  EXPECT_FALSE(present.HostShowed(MixerDeviceGoneText));
  EXPECT_FALSE(present.dialog().isVisible());
  EXPECT_EQ(present.window->GetSession().MixerAccess.DeviceNumber, 0);
}

TEST(SettingsDialog, NoWaveDeviceDisablesBothLists) {
  SettingsRig rig("reg/full_utf8.reg", false);
  TfrmSettings& d = rig.dialog();
  d.ShowSettings(PageSoundCard);
  EXPECT_FALSE(d.WaveOutDevice->isEnabled());
  EXPECT_FALSE(d.MixerDevice->isEnabled());
  EXPECT_EQ(d.WaveOutDevice->count(), 0);
  EXPECT_EQ(d.WaveOutDevice->placeholderText(), "No Devices present");
  EXPECT_EQ(d.MixerDevice->placeholderText(), "No Devices present");
  d.close();
}

TEST(SettingsDialog, AWindowsExportLoadsAndOkWritesItBackInItsEncoding) {
  SettingsRig rig("reg/windows_utf16.reg");
  TfrmSettings& d = rig.dialog();
  EXPECT_EQ(d.BeepTimeEdit->text(), "0,5");
  EXPECT_EQ(d.TestTimeEdit->text(), "45");
  EXPECT_TRUE(d.rdoJoystick->isChecked());
  EXPECT_TRUE(d.Check1500->isChecked());
  EXPECT_FALSE(d.Check1000->isChecked());
  EXPECT_TRUE(d.Check1000->isEnabled());
  EXPECT_TRUE(d.chkLoadCal->isChecked());
  EXPECT_EQ(d.Label24->text(), "%USERPROFILE%\\Kalibrierung Müller.cal");
  const std::string before = ReadBytes(rig.Dir(KeyPath));

  d.ShowSettings();
  d.IncludeTime->click();
  Type(d.ReverseEdit, "9");
  d.OK->click();
  ASSERT_FALSE(d.isVisible());
  const std::string after = ReadBytes(rig.Dir(KeyPath));
  ASSERT_GE(after.size(), 2u);
  EXPECT_EQ(after.substr(0, 2), std::string("\xFF\xFE"));  // still UTF-16LE
  const KeyFileDocument doc = KeyFileDocument::Parse(after);
  EXPECT_EQ(doc.FileEncoding(), KeyFileDocument::Encoding::Utf16Le);
  EXPECT_EQ(doc.Value("Include Test Time")->Number, 0u);
  EXPECT_EQ(doc.Value("Min. Reversals")->Text, "9");
  // Every other line is kept as it was. The expandable file name comes back as a plain text,
  // the type the store writes.
  const auto lines = [](const std::string& bytes) {
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.data() + 2),
                                            static_cast<qsizetype>(bytes.size() / 2 - 1));
    std::vector<std::string> kept;
    for (const QString& line : text.split(QStringLiteral("\r\n"))) {
      if (line.startsWith(QStringLiteral("  ")) || line.startsWith(QStringLiteral("\"Include Test Time\"")) ||
          line.startsWith(QStringLiteral("\"Min. Reversals\"")) ||
          line.startsWith(QStringLiteral("\"Cal Filename\"")) ||
          line.startsWith(QStringLiteral("\"Wave Out Device Number\"")) ||
          line.startsWith(QStringLiteral("\"Mixer Device Number\"")))
        continue;
      kept.push_back(line.toStdString());
    }
    return kept;
  };
  EXPECT_EQ(lines(after), lines(before));
  EXPECT_GT(lines(before).size(), 45u);
  // The stored devices 1 are not in the lists of one device each: nothing is selected (the mixer
  // device check asked for a new one, and the user picked none), and the store says so.
  EXPECT_EQ(doc.Value("Wave Out Device Number")->Number, 0xFFFFFFFFu);
  EXPECT_EQ(doc.Value("Mixer Device Number")->Number, 0xFFFFFFFFu);
}

TEST(SettingsDialog, ChoosingTheCalibrationFileAndTheDesktopTools) {
  SettingsRig rig;
  TfrmSettings& d = rig.dialog();
  d.chkLoadCal->setChecked(false);
  rig.desktop.File = [&](const FileDialogRequest&) {
    return std::optional<FileChoice>(FileChoice{QString::fromStdString(rig.Dir("a b.cal")), 1});
  };
  d.btnChooseCalClick();
  EXPECT_EQ(rig.settings().CalFilename, rig.Dir("a b.cal"));
  EXPECT_EQ(d.Label24->text().toStdString(), rig.Dir("a b.cal"));
  EXPECT_TRUE(rig.settings().chkLoadCal);

  std::vector<std::string> started;
  rig.desktop.Installed = [](const std::string& p) { return p == "pavucontrol"; };
  rig.desktop.Start = [&](const DesktopTool& t) {
    started.push_back(t.Program);
    return true;
  };
  rig.host.Messages.clear();
  d.Button2->click();
  EXPECT_EQ(started, std::vector<std::string>{"pavucontrol"});
  d.Button1Click();  // no joystick tool installed: the message says what to install
  ASSERT_EQ(rig.host.Messages.size(), 1u);
  EXPECT_EQ(rig.host.Messages[0].text, MissingToolText(SettingsTool::Joystick));
}

TEST(SettingsDialog, MenuCommandsOpenTheWindow) {
  SettingsRig rig;
  TfrmMain& w = *rig.window;
  w.UpdateMenus();
  ASSERT_TRUE(w.Options1->isEnabled());
  ASSERT_TRUE(w.GraphSettings1->isEnabled());
  w.GraphSettings1->trigger();
  EXPECT_TRUE(rig.dialog().isVisible());
  EXPECT_EQ(rig.dialog().SettingsPages->currentIndex(), PageGraphSettings);
  EXPECT_FALSE(w.isEnabled());
  rig.dialog().close();
  EXPECT_TRUE(w.isEnabled());
  w.Options1->trigger();  // the page it last showed
  EXPECT_EQ(rig.dialog().SettingsPages->currentIndex(), PageGraphSettings);
  rig.dialog().close();
}

}  // namespace
}  // namespace sonavel::apptest
