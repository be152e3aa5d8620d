// The first start, the Qt host's message boxes and closing the window while a test runs.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>

#include "app/qt_host.h"
#include "app/screen_saver.h"
#include "app/program.h"
#include "app_test_support.h"
#include "settings/suppressible_message.h"
#include "test_run_rig.h"

namespace sonavel::apptest {
namespace {

const char* const FirstStartQuestion =
    "Dies ist das erste Mal, dass Sie dieses Programm starten. Möchten Sie eine kurze Einführung lesen?";
const char* const FirstStartHardwareText =
    "Da Sie das Programm zum ersten mal starten, überprüfen und bestätigen Sie bitte auch die Einstellungen "
    "für "
    "Soundkarte und Joystick.";

TEST(FirstStart, NoKeyAnywhereWritesOneAndAsksTheFirstStartQuestion) {
  MainWindowRig rig;
  const std::string first = rig.Dir("config/Brantel/Sonavel.reg");
  ASSERT_FALSE(std::filesystem::exists(first));
  rig.window->FormCreate({});
  InstallSettingsKeyIfMissing(rig.keys, first, rig.host);
  rig.window->LoadSettings();

  ASSERT_TRUE(std::filesystem::exists(first));
  ASSERT_GE(rig.host.Messages.size(), 2u);
  EXPECT_EQ(rig.host.Messages[0].text, FirstStartQuestion);
  EXPECT_EQ(rig.host.Messages[0].helpContext, 10);
  EXPECT_EQ(rig.host.Messages[0].buttons, ButtonYes | ButtonNo);
  EXPECT_EQ(rig.host.Messages[1].text, FirstStartHardwareText);
  // The defaults loaded without the registry's error message; Yes opened the introduction.
  EXPECT_FALSE(rig.HostShowed("Fehler beim Lesen der Registry! Benutze Standardwerte."));
  EXPECT_EQ(rig.host.HelpOpened, (std::vector<int32_t>{10}));
  EXPECT_EQ(rig.window->State().Settings.MixerDevice, 0);

  // The sequence marked the key: the next start asks nothing.
  auto key = rig.keys.OpenKey(KeyPaths::FirstOnly);
  ASSERT_TRUE(key);
  const auto firstRun = key->Value("FirstRun");
  ASSERT_TRUE(firstRun);
  EXPECT_EQ(firstRun->Number, 0u);
  MainWindowRig again;
  std::filesystem::create_directories(again.Dir("config/Brantel"));
  WriteBytes(again.Dir("config/Brantel/Sonavel.reg"), ReadBytes(first));
  InstallSettingsKeyIfMissing(again.keys, again.Dir("config/Brantel/Sonavel.reg"), again.host);
  again.window->LoadSettings();
  EXPECT_TRUE(again.host.Messages.empty());
}

TEST(FirstStart, AKeyAtTheAlternativePathIsUsedAndNotCopied) {
  MainWindowRig rig;
  std::filesystem::create_directories(rig.Dir("etc/Brantel"));
  WriteBytes(rig.Dir("etc/Brantel/Sonavel.reg"), ReadBytes(Fixture("reg/full_utf8.reg")));
  InstallSettingsKeyIfMissing(rig.keys, rig.Dir("config/Brantel/Sonavel.reg"), rig.host);
  rig.window->LoadSettings();
  EXPECT_FALSE(std::filesystem::exists(rig.Dir("config/Brantel/Sonavel.reg")));
  // The key names mixer device 1; the simulated card is device 0, so the settings window asks
  // for a new one, and that is all it says.
  ASSERT_EQ(rig.host.Messages.size(), 1u);
  EXPECT_EQ(rig.host.Messages[0].text,
            "Previously used Sound Device no longer present. Please select new Device!");
  EXPECT_NE(rig.window->State().Settings, SettingsRecord{});
}

TEST(QtHostBoxes, SuppressibleMessageIsNotShownAgainAfterTheTick) {
  MainWindowRig rig;
  std::filesystem::create_directories(rig.Dir("config/Brantel"));
  WriteBytes(rig.Dir("config/Brantel/Sonavel.reg"), ReadBytes(Fixture("reg/full_utf8.reg")));
  QtHost host;
  int shown = 0;
  host.AnswerHook = [&](QMessageBox& box, QCheckBox* check) {
    ++shown;
    EXPECT_EQ(box.windowTitle(), "Information");
    EXPECT_EQ(box.text(), "Soll eine Bedienungsanleitung für die Testperson angezeigt werden?");
    EXPECT_EQ(box.icon(), QMessageBox::Information);
    EXPECT_EQ(box.buttons().size(), 2);
    EXPECT_TRUE(check != nullptr && check->text() == "Diese Meldung nicht wieder anzeigen.");
    if (check) check->setChecked(true);
    return static_cast<int32_t>(ResultYes);
  };
  const std::string valueName =
      "Das Audiometer muß zunächst kalibriert werden. Möchten Sie detailierte Informationen zur "
      "Kalibrierung?";
  auto ask = [&] {
    return SuppressibleMessage(host, rig.keys,
                               "Soll eine Bedienungsanleitung für die Testperson angezeigt werden?",
                               "Information", MessageIcon::Information, ButtonYes | ButtonNo, valueName);
  };
  EXPECT_EQ(ask(), ResultYes);
  EXPECT_EQ(ask(), 0);
  EXPECT_EQ(shown, 1);
  // Also in a later run: the mark is in the key file.
  KeyFileStore later(rig.keys.Paths());
  EXPECT_EQ(SuppressibleMessage(host, later, "x", "Information", MessageIcon::Information,
                                ButtonYes | ButtonNo, valueName),
            0);
  EXPECT_EQ(shown, 1);
}

TEST(QtHostBoxes, ButtonsResultsAndTheHelpButton) {
  QtHost host;
  std::vector<int32_t> help;
  host.HelpHandler = [&](int32_t context) { help.push_back(context); };
  QStringList texts;
  host.AnswerHook = [&](QMessageBox& box, QCheckBox*) {
    texts.clear();
    QAbstractButton* helpButton = nullptr;
    QAbstractButton* no = nullptr;
    for (QAbstractButton* b : box.buttons()) {
      texts << b->text();
      if (b->text() == "Hilfe") helpButton = b;
      if (b->text() == "&Nein") no = b;
    }
    if (helpButton) helpButton->click();
    return no ? ModalResultOf(box, no) : static_cast<int32_t>(ResultOk);
  };
  EXPECT_EQ(host.MessageBox("Frage?", "", MessageIcon::Confirmation, ButtonYes | ButtonNo, 10), ResultNo);
  texts.sort();
  EXPECT_EQ(texts, (QStringList{"&Ja", "&Nein", "Hilfe"}));
  EXPECT_EQ(help, (std::vector<int32_t>{10}));
  host.ShowMessage("Nur OK");
  EXPECT_EQ(texts, (QStringList{"OK"}));
  EXPECT_EQ(help.size(), 1u);
}

// Closing the main window during a run: the run stops at the end of the presentation that is
// sounding, the wave device is closed, and nothing is asked or saved.
TEST(CloseDuringRun, RunEndsAtTheEndOfThePresentationAndTheDeviceCloses) {
  TestRunRig r;
  MainWindowRig& rig = r.rig;
  TfrmMain& w = r.Window();
  Session& s = w.GetSession();
  AppState& state = r.State();
  state.Settings.Trial = false;
  state.Settings.BeepTimeEdit = "1";
  state.Settings.PauseTimeEdit = "1";

  constexpr double CloseAt = 20.3;
  bool inhibitedDuringRun = false;
  size_t submissionsAtClose = 0;
  size_t messagesAtClose = 0;
  rig.host.At(10.0, [&] { inhibitedDuringRun = w.ScreenSaver().Inhibited(); });
  rig.host.At(CloseAt, [&] {
    submissionsAtClose = rig.waveOut.Submissions().size();
    messagesAtClose = rig.host.Messages.size();
    w.close();
  });
  s.Procedure().NewTest1Click();
  const double endedAt = rig.host.Seconds();

  ASSERT_GT(submissionsAtClose, 0u);
  const auto& subs = rig.waveOut.Submissions();
  // No presentation started after the close; the one that sounded then played to its end.
  ASSERT_EQ(subs.size(), submissionsAtClose);
  EXPECT_LT(subs.back().startSeconds, CloseAt);
  EXPECT_GE(endedAt, subs.back().EndSeconds());
  EXPECT_FALSE(subs.back().stoppedSeconds.has_value() &&
               *subs.back().stoppedSeconds < subs.back().EndSeconds());
  EXPECT_LT(endedAt, subs.back().EndSeconds() + 1.0);
  EXPECT_FALSE(s.Output.IsOpen());
  EXPECT_TRUE(w.CloseRequested());
  EXPECT_FALSE(w.isVisible());
  EXPECT_TRUE(state.AbortRequested);
  EXPECT_FALSE(state.ResultsPresent);
  EXPECT_TRUE(inhibitedDuringRun);
  EXPECT_FALSE(w.ScreenSaver().Inhibited());
  EXPECT_FALSE(s.Procedure().Running());
  // No automatic retest follows; the run reports its abort and asks nothing more.
  for (size_t i = messagesAtClose; i < rig.host.Messages.size(); ++i)
    EXPECT_EQ(rig.host.Messages[i].buttons & (ButtonYes | ButtonNo), 0u) << rig.host.Messages[i].text;
}

}  // namespace
}  // namespace sonavel::apptest
