// The output watch on the private sound server (run by with_pulse.sh): a New Test on a session
// with the libpulse wave output, endpoint volume and watch (the mixer and joystick simulated, the
// host in real time, 0.3 s tones with 0.2 s pauses) during which another client changes the
// server as a user or another program would. Each change must end the run with its message
// within the presentation during which it was made; the run's own endpoint volume changes must
// not. The checks before a run read the server's mute and the device.bus of a sink.
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/pulse/pulse_endpoint_volume.h"
#include "platform/pulse/pulse_output_watch.h"
#include "platform/pulse/pulse_wave_out.h"
#include "platform/sim/sim_joystick.h"
#include "platform/sim/sim_mixer.h"
#include "platform/sim/sim_views.h"
#include "platform/sim/simulation.h"
#include "session/session.h"

namespace sonavel {
namespace {

using Clock = std::chrono::steady_clock;
constexpr double Period = 0.5;  // 0.3 s tone + 0.2 s pause
const char* const SinkDescription = "Sonavel-Testausgang";

double Since(Clock::time_point a) { return std::chrono::duration<double>(Clock::now() - a).count(); }

// Runs a shell command; its exit status.
int Shell(const std::string& command) {
  const int status = std::system((command + " >/dev/null 2>&1").c_str());
  return status == -1 ? -1 : WEXITSTATUS(status);
}

// A host on the real clock. Nothing is queued between polls; message boxes are kept with the
// moment they appeared and take their default button (No for the instructions).
class RealTimeHost : public Host {
 public:
  struct Shown {
    std::string text;
    Clock::time_point at;
  };
  LocalDateTime Now() override { return {{2024, 5, 6}, 14, 0, 0, 0}; }
  double MonotonicSeconds() override {
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
  }
  void Sleep(int32_t milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
  void ProcessMessages() override {}
  int32_t MessageBox(const std::string& text, const std::string&, MessageIcon, uint32_t buttons,
                     int32_t) override {
    Messages.push_back({text, Clock::now()});
    return (buttons & ButtonOk) ? ResultOk : (buttons & ButtonYes) ? ResultYes : ResultCancel;
  }
  int32_t CheckBoxMessageBox(const std::string& text, const std::string&, MessageIcon, uint32_t,
                             const std::string&, bool& checked) override {
    Messages.push_back({text, Clock::now()});
    checked = false;
    return ResultNo;
  }
  void OpenHelp(int32_t) override {}

  std::vector<Shown> Messages;
};

// Makes a change on the server a moment into the n-th presentation of a run, from another
// thread, and keeps when the change was asked for and when the server had made it.
class Changer : public RunObserver {
 public:
  Changer(int32_t presentation, std::function<void()> change)
      : presentation_(presentation), change_(std::move(change)) {}
  ~Changer() override { Join(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

  void PresentationStarted(int32_t, int32_t, double) override {
    Starts.push_back(Clock::now());
    if (static_cast<int32_t>(Starts.size()) != presentation_) return;
    thread_ = std::thread([this] {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      asked = Clock::now();
      change_();
      made = Clock::now();
      done = true;
    });
  }

  std::vector<Clock::time_point> Starts;
  Clock::time_point asked, made;
  std::atomic<bool> done{false};

 private:
  int32_t presentation_;
  std::function<void()> change_;
  std::thread thread_;
};

class WatchedRun : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    pulse = PulseConnection::Connect(error);
    ASSERT_TRUE(pulse) << error;
    wave = std::make_unique<PulseWaveOut>(pulse);
    endpoint = std::make_unique<PulseEndpointVolume>(pulse);
    watch = std::make_unique<PulseOutputWatch>(pulse);
    session = std::make_unique<Session>(SessionWiring{Devices{*wave, mixer, *endpoint, joystick, watch.get()},
                                                      host, keys, RegionalDeDe(), testWindow, mainWindow});
    testWindow.Bind(session->State);
    ASSERT_TRUE(session->OpenMixerDevice(0));
    AppState& s = session->State;
    s.UseEndpointVolume = true;
    s.CalibrationData = FullScaleCalibration(session->MixerAccess.Controls, true);
    for (auto& ear : s.CalibrationData)
      for (auto& entry : ear) entry.LevelOffset = 10;  // the loudest tone stays below full scale
    // The second slot plays at 80 % of the server's volume: a level change of the run itself.
    for (auto& ear : s.CalibrationData) ear[9].MasterLevel = 800;
    s.CalibrationLoaded = true;
    SettingsRecord& r = s.Settings;
    for (int32_t slot = 1; slot <= MeasuredSlotCount; ++slot) FrequencyCheck(r, slot) = false;
    r.Check1000 = r.Check4000 = true;  // for each ear: 55 .. 75 dB HL, five tones a slot
    r.Trial = r.Retest = r.AutoRetest = false;
    r.BeepTimeEdit = "0,3";
    r.PauseTimeEdit = "0,2";
    r.LevelStep = "5";
    r.LevelStart = "50";
    r.WaveOutDevice = SinkNumber(SinkDescription);
    ASSERT_GE(r.WaveOutDevice, 0) << "the wave output does not list the null sink";
    ASSERT_EQ(Shell("pactl set-default-sink sonavel_null"), 0);
    ASSERT_EQ(Shell("pactl set-sink-volume sonavel_null 100%"), 0);
    ASSERT_EQ(Shell("pactl set-sink-mute sonavel_null 0"), 0);
  }
  void TearDown() override {
    session.reset();
    Shell("pactl set-default-sink sonavel_null");
    Shell("pactl set-sink-volume sonavel_null 100%");
    Shell("pactl set-sink-mute sonavel_null 0");
    for (const std::string& m : modules_) Shell("pactl unload-module " + m);
  }

  int32_t SinkNumber(const std::string& description) {
    for (int32_t d = 0; d < wave->GetNumDevs(); ++d) {
      WaveOutCaps caps;
      if (wave->GetDevCaps(d, caps) == WaveOk && caps.Name == description) return d;
    }
    return -1;
  }
  // A further null sink; unloaded again after the test.
  void LoadSink(const std::string& name, const std::string& properties) {
    FILE* p = popen(("pactl load-module module-null-sink sink_name=" + name +
                     " rate=44100 \"sink_properties='" + properties + "'\" 2>/dev/null")
                        .c_str(),
                    "r");
    ASSERT_TRUE(p);
    char line[64] = {};
    const bool read = std::fgets(line, sizeof line, p) != nullptr;
    pclose(p);
    ASSERT_TRUE(read) << "module-null-sink did not load";
    modules_.push_back(std::to_string(std::atoi(line)));
  }
  // The sink-input of the session's own stream (its connection's client), or -1.
  int64_t OwnSinkInput() {
    PulseConnection::Lock lock(*pulse);
    struct Q {
      uint32_t client;
      int64_t index = -1;
    } q{pa_context_get_index(pulse->Context())};
    pa_operation* op = pa_context_get_sink_input_info_list(
        pulse->Context(),
        [](pa_context*, const pa_sink_input_info* i, int eol, void* u) {
          auto* q = static_cast<Q*>(u);
          if (eol == 0 && i && i->client == q->client) q->index = i->index;
        },
        &q);
    pulse->WaitOperation(op, 2);
    return q.index;
  }

  // A New Test with `change` made 0.1 s into the n-th presentation; checks that it ends the
  // run with `expected` (followed by the abort lines) within that presentation and keeps
  // nothing. Returns the seconds from asking for the change to the message.
  double RunWithChange(const char* name, int32_t presentation, std::function<void()> change,
                       const std::string& expected) {
    Changer changer(presentation, std::move(change));
    session->Procedure().SetObserver(&changer);
    const auto started = Clock::now();
    session->NewTest();
    changer.Join();
    session->Procedure().SetObserver(nullptr);
    EXPECT_LT(Since(started), 10.0) << name;
    EXPECT_TRUE(changer.done) << name << ": the run ended before the change";
    if (host.Messages.empty() || !changer.done) return -1;
    const RealTimeHost::Shown& last = host.Messages.back();
    EXPECT_EQ(last.text, expected + "\n" + OutputChangedText + "\nTestprozedur unterbrochen!") << name;
    const double fromAsked = std::chrono::duration<double>(last.at - changer.asked).count();
    const double fromMade = std::chrono::duration<double>(last.at - changer.made).count();
    std::printf(
        "[ watch ] %-22s change asked for -> run ended %.0f ms (after the change was made: %.0f ms)\n", name,
        1000 * fromAsked, 1000 * fromMade);
    EXPECT_LE(fromAsked, Period) << name;
    // No tone started after the change: the run ended in the presentation it was made in.
    for (const auto& start : changer.Starts) EXPECT_LT(start, changer.made) << name;
    EXPECT_EQ(static_cast<int32_t>(changer.Starts.size()), presentation) << name;
    EXPECT_FALSE(session->State.ResultsPresent) << name;
    for (int32_t r = 0; r < RecordSlotCount; ++r)
      EXPECT_EQ(session->State.CurrentAudiogram.Reverse[0][r][0], 0);
    return fromAsked;
  }

  RealTimeHost host;
  std::shared_ptr<PulseConnection> pulse;
  std::unique_ptr<PulseWaveOut> wave;
  std::unique_ptr<PulseEndpointVolume> endpoint;
  std::unique_ptr<PulseOutputWatch> watch;
  SimMixer mixer{ParseMixerFixture(FullScaleMixerFixture)};
  SimJoystick joystick{host};
  AbsentKeyStore keys;
  SimTestWindow testWindow;
  SimMainWindow mainWindow;
  std::unique_ptr<Session> session;

 private:
  std::vector<std::string> modules_;
};

TEST_F(WatchedRun, TheRunsOwnLevelChangesLeaveItRunning) {
  const auto started = Clock::now();
  session->NewTest();
  ASSERT_FALSE(host.Messages.empty());
  EXPECT_EQ(host.Messages.back().text, CompletedText);
  EXPECT_TRUE(session->State.ResultsPresent);
  EXPECT_LT(Since(started), 20.0);  // 20 presentations of 0.5 s
}

TEST_F(WatchedRun, AnotherClientsChangesEndTheRunWithinThePresentation) {
  LoadSink("sonavel_other", "device.description=Zweiter-Ausgang");
  ASSERT_EQ(Shell("pactl set-default-sink sonavel_null"), 0);
  struct Case {
    const char* name;
    int32_t presentation;  // 1..5 the left ear's 1 kHz, 6..10 its 4 kHz (at 80 %)
    std::function<void()> change;
    std::string expected;
  };
  const Case cases[] = {
      {"sink volume 50 %", 3, [] { Shell("pactl set-sink-volume sonavel_null 50%"); },
       "Die Lautstärke des Ausgabegeräts „Sonavel-Testausgang“ wurde von 100 % auf 50 % geändert."},
      {"sink volume in slot 2", 8, [] { Shell("pactl set-sink-volume sonavel_null 90%"); },
       "Die Lautstärke des Ausgabegeräts „Sonavel-Testausgang“ wurde von 80 % auf 90 % geändert."},
      {"sink mute", 2, [] { Shell("pactl set-sink-mute sonavel_null 1"); },
       "Das Ausgabegerät „Sonavel-Testausgang“ wurde stummgeschaltet."},
      {"default sink", 4, [] { Shell("pactl set-default-sink sonavel_other"); },
       "Die Standardausgabe des Audioservers wurde von „Sonavel-Testausgang“ auf „Zweiter-Ausgang“ "
       "umgestellt."},
      {"own stream volume", 3,
       [this] { Shell("pactl set-sink-input-volume " + std::to_string(OwnSinkInput()) + " 50%"); },
       "Die Lautstärke des Wiedergabestroms von Sonavel wurde von 100 % auf 50 % geändert."},
      {"own stream mute", 7,
       [this] { Shell("pactl set-sink-input-mute " + std::to_string(OwnSinkInput()) + " 1"); },
       "Der Wiedergabestrom von Sonavel wurde stummgeschaltet."},
  };
  double worst = 0;
  for (const Case& c : cases) {
    host.Messages.clear();
    ASSERT_EQ(Shell("pactl set-default-sink sonavel_null"), 0);
    ASSERT_EQ(Shell("pactl set-sink-volume sonavel_null 100%"), 0);
    ASSERT_EQ(Shell("pactl set-sink-mute sonavel_null 0"), 0);
    worst = std::max(worst, RunWithChange(c.name, c.presentation, c.change, c.expected));
  }
  std::printf("[ watch ] slowest reaction %.0f ms (presentation period %.0f ms)\n", 1000 * worst,
              1000 * Period);
}

TEST_F(WatchedRun, AMutedSinkIsRefusedAndABluetoothSinkWarnedAbout) {
  ASSERT_EQ(Shell("pactl set-sink-mute sonavel_null 1"), 0);
  session->NewTest();
  ASSERT_EQ(host.Messages.size(), 1u);
  EXPECT_EQ(host.Messages[0].text, MutedOutputText(SinkDescription));
  EXPECT_FALSE(session->Output.IsOpen());
  ASSERT_EQ(Shell("pactl set-sink-mute sonavel_null 0"), 0);

  LoadSink("sonavel_bt", "device.description=Funkkopfhörer device.bus=bluetooth");
  ASSERT_EQ(Shell("pactl set-default-sink sonavel_null"), 0);
  const int32_t bluetooth = SinkNumber("Funkkopfhörer");
  ASSERT_GE(bluetooth, 0);
  const std::optional<OutputInfo> info = watch->DescribeOutput(bluetooth);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->Description, "Funkkopfhörer");
  EXPECT_TRUE(info->Bluetooth);
  EXPECT_FALSE(info->Muted);
  const std::optional<OutputInfo> plain = watch->DescribeOutput(WaveMapper);
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->Description, SinkDescription);
  EXPECT_FALSE(plain->Bluetooth);
  EXPECT_FALSE(watch->DescribeOutput(99));
}

// Runs alone against its own daemon: the server does not survive it.
TEST_F(WatchedRun, ServerLossEndsTheRun) {
  const char* pid = std::getenv("SONAVEL_PULSE_PID");
  ASSERT_TRUE(pid) << "with_pulse.sh names no daemon";
  const pid_t daemon = static_cast<pid_t>(std::atoi(pid));
  RunWithChange(
      "server killed", 3, [daemon] { kill(daemon, SIGKILL); }, ServerGoneText);
  EXPECT_FALSE(watch->DescribeOutput(WaveMapper));
}

}  // namespace
}  // namespace sonavel
