#include "session/session.h"

#include <gtest/gtest.h>

#include <fstream>

#include "cli/cli_test_support.h"
#include "hearingtest/response_button.h"
#include "platform/sim/sim_endpoint_volume.h"
#include "platform/sim/sim_host.h"
#include "platform/sim/sim_joystick.h"
#include "platform/sim/sim_listener.h"
#include "platform/sim/sim_mixer.h"
#include "platform/sim/sim_views.h"
#include "platform/sim/sim_wave_out.h"
#include "platform/sim/simulation.h"
#include "test_data.h"

namespace sonavel {
namespace {

using test::DataPath;
using test::TempDir;

// A session on the simulated drivers, as the simulator and the CLI build theirs.
struct SimSession {
  explicit SimSession(const std::string& mixerFixture = FullScaleMixerFixture)
      : mixerDriver(ParseMixerFixture(mixerFixture)),
        session(
            {{wave, mixerDriver, endpoint, joystick}, host, keys, RegionalDeDe(), testWindow, mainWindow}) {
    testWindow.Bind(session.State);
  }

  SimHost host;
  SimWaveOut wave{host};
  SimMixer mixerDriver;
  SimEndpointVolume endpoint;
  SimJoystick joystick{host};
  AbsentKeyStore keys;
  SimTestWindow testWindow;
  SimMainWindow mainWindow;
  Session session;
};

TEST(Session, RunsANewTestOnTheSimulatedDrivers) {
  SimSession s;
  AppState& state = s.session.State;
  state.Settings.Trial = false;
  state.Settings.AutoRetest = false;
  state.Settings.MixerDevice = 0;
  ASSERT_TRUE(s.session.OpenMixerDevice(0));
  state.CalibrationData = FullScaleCalibration(s.session.MixerAccess.Controls, false);
  state.CalibrationLoaded = true;

  ListenerSettings hearing;
  for (auto& ear : hearing.thresholds) ear.fill(20.0);
  SimListener listener(hearing, s.host, s.wave, s.mixerDriver, s.session.MixerAccess, s.endpoint,
                       state.UseEndpointVolume, [&](bool pressed) {
                         if (pressed)
                           FormKeyDown(state.Run.ButtonPressed, 0x11, true);
                         else
                           FormKeyUp(state.Run.ButtonPressed, 0x11);
                       });
  listener.Attach();
  s.session.NewTest();

  EXPECT_TRUE(state.ResultsPresent);
  EXPECT_FALSE(s.wave.Submissions().empty());
  EXPECT_GT(s.mainWindow.Repaints, 0);
  for (int32_t ear = 0; ear < EarCount; ++ear) {
    ASSERT_TRUE(state.CurrentAudiogram.HasResult(ear, 4)) << ear;  // 1 kHz
    EXPECT_NEAR(state.CurrentAudiogram.Threshold[ear][4], 20, 3) << ear;
  }
  ASSERT_FALSE(s.host.Messages.empty());
  EXPECT_EQ(s.host.Messages.back().text, "Test procedure completed!");
}

TEST(Session, EachCommandShowsItsFailureThroughTheHostAndChangesNothing) {
  TempDir dir;
  const std::string junk = dir.File("junk.bin");
  std::ofstream(junk, std::ios::binary) << "not a file of this system";
  const struct {
    const char* name;
    std::function<bool(Session&)> command;
    std::string text;  // the text shown, or a part of it
  } cases[] = {
      {"open an audiogram that is none", [&](Session& s) { return s.OpenAudiogram(junk); },
       "File is not a valid Audiogram!"},
      {"open an audiogram that is missing", [&](Session& s) { return s.OpenAudiogram(dir.File("no.aud")); },
       "no.aud"},
      {"load a calibration that is none", [&](Session& s) { return s.LoadCalibration(junk); },
       "Not a valid Calibration Data File"},
      {"save into a missing folder",
       [&](Session& s) { return s.SaveAudiogram(dir.File("no/such/folder/a.aud"), 1); },
       "There was an error trying to save"},
      {"load the settings from no key",
       [&](Session& s) {
         PlainSettingsFollowUp followUp;
         return s.LoadRegistryValues(followUp).Succeeded;
       },
       "Fehler beim Lesen der Registry! Benutze Standardwerte."},
      {"open a mixer device that is not there", [&](Session& s) { return s.OpenMixerDevice(7); },
       "Invalid Device Number !"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimSession s;
    s.session.State.Personal.LastName = "Alt";
    const AppState before = s.session.State;
    EXPECT_FALSE(c.command(s.session));
    ASSERT_EQ(s.host.Messages.size(), 1u);
    EXPECT_NE(s.host.Messages[0].text.find(c.text), std::string::npos) << s.host.Messages[0].text;
    EXPECT_EQ(s.session.State.CurrentAudiogram, before.CurrentAudiogram);
    EXPECT_EQ(s.session.State.Personal, before.Personal);
    EXPECT_EQ(s.session.State.ResultsPresent, before.ResultsPresent);
    EXPECT_EQ(s.session.State.CalibrationLoaded, before.CalibrationLoaded);
  }
}

// A run measures one audiogram with one calibration on one set of devices: during it, the
// commands that would change any of them are refused and change nothing, and after it they work.
TEST(Session, DuringARunTheCommandsThatWouldChangeItAreRefused) {
  SimSession s;
  AppState& state = s.session.State;
  state.Settings.Trial = false;
  state.Settings.AutoRetest = false;
  state.Settings.MixerDevice = 0;
  ASSERT_TRUE(s.session.OpenMixerDevice(0));
  state.CalibrationData = FullScaleCalibration(s.session.MixerAccess.Controls, false);
  state.CalibrationLoaded = true;
  const CalibrationTable calibration = state.CalibrationData;
  // A calibration by ear waiting in the hand-over that must not go into use mid-run.
  s.session.NewCalibrationPending = true;
  for (auto& ear : s.session.WorkingCalibration) ear.fill({1, 1, 1, 0, 5.0});

  ListenerSettings hearing;
  for (auto& ear : hearing.thresholds) ear.fill(20.0);
  SimListener listener(hearing, s.host, s.wave, s.mixerDriver, s.session.MixerAccess, s.endpoint,
                       state.UseEndpointVolume, [&](bool pressed) {
                         if (pressed)
                           FormKeyDown(state.Run.ButtonPressed, 0x11, true);
                         else
                           FormKeyUp(state.Run.ButtonPressed, 0x11);
                       });
  listener.Attach();

  struct Commands : RunObserver {
    Session* session = nullptr;
    std::vector<std::pair<std::string, bool>> results;
    void PresentationStarted(int32_t ear, int32_t slot, double) override {
      if (!results.empty() || ear != 1 || slot != 3) return;
      Session& x = *session;
      results = {{"open", x.OpenAudiogram(DataPath("aud/full.aud"))},
                 {"load calibration", x.LoadCalibration(DataPath("full-scale.cal"))},
                 {"new", x.NewAudiogram()},
                 {"accept calibration", x.AcceptNewCalibration("P", "H", "C")},
                 {"open mixer", x.OpenMixerDevice(0)},
                 {"second test", x.Procedure().RunTest({}, false) != RunOutcome::Refused}};
    }
  } commands;
  commands.session = &s.session;
  s.session.Procedure().SetObserver(&commands);
  s.session.NewTest();

  ASSERT_EQ(commands.results.size(), 6u);
  for (const auto& [name, accepted] : commands.results) EXPECT_FALSE(accepted) << name;
  // The refusals are silent: the run's own boxes are all there is.
  std::vector<std::string> texts;
  for (const auto& m : s.host.Messages) texts.push_back(m.text);
  EXPECT_EQ(texts, (std::vector<std::string>{InstructionsQuestionText, TestStartText, CompletedText}));
  for (int32_t e = 0; e < EarCount; ++e)
    for (int32_t i = 1; i <= MeasuredSlotCount; ++i) EXPECT_EQ(state.CalibrationData[e][i], calibration[e][i]);
  EXPECT_TRUE(s.session.NewCalibrationPending);
  EXPECT_TRUE(state.Personal.LastName.empty());  // the file was not opened
  for (int32_t ear = 0; ear < EarCount; ++ear)
    for (int32_t slot = 0; slot < MeasuredSlotCount; ++slot)
      if (FrequencyCheck(state.Settings, slot + 1)) {
        EXPECT_NEAR(state.CurrentAudiogram.Threshold[ear][slot], 20, 3) << ear << " " << slot;
      }

  // Once the run has ended, the commands work again.
  EXPECT_TRUE(s.session.AcceptNewCalibration("P", "H", "C"));
  EXPECT_EQ(state.CalibrationData[0][1].LevelOffset, 5.0);
  EXPECT_TRUE(s.session.OpenAudiogram(DataPath("aud/full.aud")));
}

// The file dialogs start where the last audiogram was opened or saved; a bare name moves nothing.
TEST(Session, TheWorkingDirectoryFollowsTheFilesChosen) {
  SimSession s;
  s.session.WorkingDirectory = "/home/anna";
  s.session.RememberFolderOf("/data/Hörtests/Muster.aud");
  EXPECT_EQ(s.session.WorkingDirectory, "/data/Hörtests");
  s.session.RememberFolderOf("Muster.aud");
  EXPECT_EQ(s.session.WorkingDirectory, "/data/Hörtests");
}

TEST(Session, StartUpShowsWhatItCouldNotOpenAndGoesOn) {
  SimSession s;
  s.session.State.Settings.chkLoadCal = true;
  s.session.State.Settings.CalFilename = "/nowhere/default.cal";
  s.session.OpenCommandLine({"/nowhere/Hans.aud"});
  s.session.LoadStartupCalibration();
  ASSERT_EQ(s.host.Messages.size(), 2u);
  EXPECT_NE(s.host.Messages[0].text.find("Hans.aud"), std::string::npos);
  EXPECT_NE(s.host.Messages[1].text.find("default.cal"), std::string::npos);
  EXPECT_FALSE(s.session.State.ResultsPresent);
  EXPECT_FALSE(s.session.State.CalibrationLoaded);

  SimSession good;
  // The command line names one file; the calibration comes from the settings.
  good.session.State.Settings.chkLoadCal = true;
  good.session.State.Settings.CalFilename = DataPath("full-scale.cal");
  good.session.OpenCommandLine({DataPath("aud/full.aud")});
  good.session.LoadStartupCalibration();
  EXPECT_TRUE(good.host.Messages.empty());
  EXPECT_TRUE(good.session.State.ResultsPresent);
  EXPECT_TRUE(good.session.State.CalibrationLoaded);
}

}  // namespace
}  // namespace sonavel
