#include "platform/sim/sim_listener.h"

#include <cmath>
#include <limits>

namespace sonavel {

namespace {
constexpr double TestFrequencies[11] = {125, 250, 500, 750, 1000, 1500, 2000, 3000, 4000, 6000, 8000};
constexpr double Silent = -std::numeric_limits<double>::infinity();
}  // namespace

int32_t NearestTestFrequencySlot(double hz) {
  int32_t best = 0;
  for (int32_t r = 1; r < 11; ++r)
    if (std::abs(std::log(hz / TestFrequencies[r])) < std::abs(std::log(hz / TestFrequencies[best])))
      best = r;
  return best;
}

SimListener::SimListener(ListenerSettings settings, SimHost& host, const SimWaveOut& wave,
                         const SimMixer& mixer, const Mixer& mixerAccess, const SimEndpointVolume& endpoint,
                         const bool& useEndpointVolume, std::function<void(bool)> press)
    : settings_(settings),
      host_(host),
      wave_(wave),
      mixer_(mixer),
      mixerAccess_(mixerAccess),
      endpoint_(endpoint),
      useEndpointVolume_(useEndpointVolume),
      press_(std::move(press)),
      rng_(settings.seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}

void SimListener::Attach() {
  host_.OnEveryPump([this] { Poll(); });
}

double SimListener::Uniform() {
  // splitmix64: the same sequence for a seed on every platform.
  uint64_t z = (rng_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return static_cast<double>(z >> 11) * 0x1.0p-53;
}

double SimListener::GainDb(const TMixUnsignedControl& control, int32_t channel) const {
  if (!control.Exist) return 0.0;  // a line without the control is not attenuated by it
  if (control.Maxvalue <= 0 || mixerAccess_.DeviceNumber < 0) return Silent;
  const std::vector<int32_t> values =
      mixer_.Values(static_cast<uint32_t>(mixerAccess_.DeviceNumber), control.CtrlID);
  if (values.empty()) return Silent;
  const size_t at = control.Uniform || values.size() < 2 ? 0 : static_cast<size_t>(channel);
  const double v = values[at];
  return v > 0 ? 20.0 * std::log10(v / control.Maxvalue) : Silent;
}

std::optional<double> SimListener::LevelAtEar(const SimWaveOut::Submission&, const BufferAnalysis& a) const {
  if (a.silent) return std::nullopt;
  const MixerControls& c = mixerAccess_.Controls;
  double master;
  if (useEndpointVolume_)
    master = endpoint_.Level && *endpoint_.Level > 0 ? 20.0 * std::log10(*endpoint_.Level) : Silent;
  else
    master = GainDb(c.MasterVolume, a.channel);
  return a.peakDbfs + settings_.fullScaleHL + GainDb(c.WaveVolume, a.channel) + master;
}

bool SimListener::Decide(double levelHL, double threshold) {
  double p;
  switch (settings_.kind) {
    case ListenerKind::Never:
      p = 0;
      break;
    case ListenerKind::Always:
      p = 1;
      break;
    default:
      if (settings_.slope && *settings_.slope > 0)
        p = 1.0 / (1.0 + std::exp(-(levelHL - threshold) / *settings_.slope));
      else
        p = levelHL >= threshold ? 1.0 : 0.0;
  }
  p = settings_.falseAlarm + (1.0 - settings_.falseAlarm - settings_.lapse) * p;
  if (p <= 0) return false;
  if (p >= 1) return true;
  return Uniform() < p;
}

void SimListener::Poll() {
  size_t frame = 0;
  const SimWaveOut::Submission* s = wave_.PlayingAt(host_.MonotonicSeconds(), &frame);
  bool want = false;
  if (s != nullptr && !s->bytes.empty()) {
    const auto index = static_cast<size_t>(s - wave_.Submissions().data());
    if (index != current_) {
      current_ = index;
      analysis_ = AnalyseBuffer(s->bytes);
      heard_ = false;
      if (const auto level = LevelAtEar(*s, analysis_)) {
        const int32_t slot = NearestTestFrequencySlot(analysis_.frequency);
        heard_ = Decide(*level, settings_.thresholds[analysis_.channel][slot]);
      }
    }
    const double since = static_cast<double>(frame) / 44100.0;
    want = heard_ && since >= settings_.reactionSeconds - 1e-9 && frame < analysis_.toneFrames;
  }
  if (want != pressed_) {
    pressed_ = want;
    if (want) ++Presses;
    press_(want);
  }
}

}  // namespace sonavel
