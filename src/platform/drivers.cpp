#include "platform/drivers.h"

#include <cstdlib>

#include "core/error.h"
#include "platform/alsa/alsa_mixer.h"
#include "platform/alsa/alsa_wave_out.h"
#include "platform/pulse/pulse_endpoint_volume.h"
#include "platform/pulse/pulse_output_watch.h"
#include "platform/pulse/pulse_wave_out.h"
#include "platform/sdl/sdl_joystick.h"
#include "platform/sim/sim_endpoint_volume.h"
#include "platform/sim/sim_joystick.h"
#include "platform/sim/sim_mixer.h"
#include "platform/sim/sim_output_watch.h"
#include "platform/sim/sim_wave_out.h"

namespace sonavel {

namespace {

// A wave output whose sound system could not be reached: no devices, and every open says why.
class UnavailableWaveOut : public WaveOut {
 public:
  explicit UnavailableWaveOut(std::string why) : why_(std::move(why)) {}
  int32_t GetNumDevs() override { return 0; }
  int32_t GetDevCaps(int32_t, WaveOutCaps&) override { return WaveBadDeviceId; }
  int32_t Open(int32_t) override { return WaveNoDriver; }
  int32_t Write(const uint8_t*, size_t, uint32_t) override { return WaveInvalidHandle; }
  WaveState Poll() override { return WaveState::Idle; }
  int32_t Reset() override { return WaveInvalidHandle; }
  int32_t Close() override { return WaveInvalidHandle; }
  std::string LastError() const override { return why_; }

 private:
  std::string why_;
};

// Without a sound server there is no endpoint volume; the mixer's master control is used.
class NoEndpointVolume : public EndpointVolume {
 public:
  int32_t SetMasterVolumeLevelScalar(float) override { return 1; }
};

}  // namespace

PlatformDrivers MakeDrivers(Host& host, const DriverOptions& options) {
  std::string choice = options.audio;
  if (choice.empty()) {
    const char* env = std::getenv("SONAVEL_AUDIO");
    choice = env ? env : "";
  }
  if (!choice.empty() && choice != "pulse" && choice != "alsa" && choice != "sim")
    throw SonavelError("SONAVEL_AUDIO muss pulse, alsa oder sim sein, nicht \"" + choice + "\"");

  PlatformDrivers d;
  if (choice == "sim") {
    d.audioSystem = "sim";
    d.waveOut = std::make_unique<SimWaveOut>(host);
    auto endpoint = std::make_unique<SimEndpointVolume>();
    // A quiet simulated server whose default output follows the endpoint volume.
    d.outputWatch = std::make_unique<SimOutputWatch>(
        host, std::vector<SimOutputWatch::Output>{{"Sonavel Simulated Output"}}, endpoint.get());
    d.endpointVolume = std::move(endpoint);
    d.joystick = std::make_unique<SimJoystick>(host);
  } else {
    std::shared_ptr<PulseConnection> pulse;
    if (choice != "alsa") {
      std::string error;
      pulse = PulseConnection::Connect(error);
      if (!pulse) {
        if (choice == "pulse") {
          d.audioSystem = "pulse";
          d.waveOut = std::make_unique<UnavailableWaveOut>(error);
        } else {
          d.note = error + " ALSA wird verwendet.";
        }
      }
    }
    if (pulse) {
      d.audioSystem = "pulse";
      d.waveOut = std::make_unique<PulseWaveOut>(pulse);
      d.useEndpointVolume = pulse->DefaultSinkAnswers();
      d.endpointVolume = std::make_unique<PulseEndpointVolume>(pulse);
      d.outputWatch = std::make_unique<PulseOutputWatch>(pulse);
    } else {
      if (!d.waveOut) {
        d.audioSystem = "alsa";
        d.waveOut = std::make_unique<AlsaWaveOut>();
      }
      d.endpointVolume = std::make_unique<NoEndpointVolume>();
    }
    d.joystick = std::make_unique<SdlJoystick>();
  }
  if (!options.mixerFixture.empty())
    d.mixer = std::make_unique<SimMixer>(LoadMixerFixture(options.mixerFixture));
  else if (choice == "sim")
    d.mixer = std::make_unique<SimMixer>(ParseMixerFixture(DefaultMixerFixture));
  else
    d.mixer = std::make_unique<AlsaMixer>();
  return d;
}

}  // namespace sonavel
