// A scripted sound device and listener for running the test procedure on the virtual clock
// without the device drivers.
#pragma once

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "hearingtest/sound.h"
#include "platform/sim/buffer_analysis.h"
#include "platform/sim/sim_host.h"
#include "model/state.h"

namespace sonavel::test {

// A presentation as the fake device saw it.
struct Presentation {
  int32_t ear;
  int32_t frequency;
  double levelHL;
  size_t frames;
  double start;
};

class FakeSound : public TestSound {
 public:
  FakeSound(AppState& state, SimHost& host) : state_(state), host_(host) {}

  // The listener: pressed or not, given the presentation (its index in Played) and the seconds
  // since its start. It answers while a presentation plays and lets go of the button between
  // them. Without one, the button is whatever the test sets.
  std::function<bool(const Presentation&, size_t index, double sinceStart)> Listener;
  int FailOpen = 0;              // 1: opening fails
  size_t FailPlayAt = SIZE_MAX;  // the presentation index whose submit fails

  // What the mixer preparation and the levels of a slot do to the rest of the chain (the sound
  // server's volume, say).
  std::function<void()> OnLevelChange;

  void PrepareSoundCard() override {
    ++Prepared;
    if (OnLevelChange) OnLevelChange();
  }
  void SetOutputLevels(int32_t ear, int32_t slot) override {
    Levels.push_back({ear, slot});
    if (OnLevelChange) OnLevelChange();
  }
  bool OpenToneOutput(int32_t device) override {
    OpenedDevice = device;
    if (FailOpen) failure_ = "Gerät nicht verfügbar";
    open_ = !FailOpen;
    return open_;
  }
  bool PlayToneBuffer(const ToneBuffer& buffer) override {
    if (!open_ || Played.size() == FailPlayAt) {
      failure_ = "Puffer abgelehnt";
      return false;
    }
    Played.push_back(
        {state_.Run.CurrentEar, 0, state_.Run.CurrentLevel + 70, buffer.FrameCount(), host_.Seconds()});
    Played.back().frequency = static_cast<int32_t>(std::lround(AnalyseBuffer(buffer.Bytes()).frequency));
    doneAt_ = host_.Seconds() + static_cast<double>(buffer.FrameCount()) / 44100.0;
    playing_ = true;
    return true;
  }
  bool ToneDone() override {
    const bool done = !failure_.empty() || host_.Seconds() + 1e-9 >= doneAt_;
    if (done) playing_ = false;
    return done;
  }
  bool Failed() const override { return !failure_.empty(); }
  std::string FailureText() const override { return failure_; }
  void CloseToneOutput() override {
    ++Closed;
    open_ = false;
    playing_ = false;  // closing stops a tone that an ended wait left playing
  }
  bool PollResponse(ResponseSource source) override {
    Sources.push_back(source);
    if (Listener)
      state_.Run.ButtonPressed =
          playing_ && Listener(Played.back(), Played.size() - 1, host_.Seconds() - Played.back().start);
    return state_.Run.ButtonPressed;
  }

  int Prepared = 0, Closed = 0;
  int32_t OpenedDevice = -100;
  std::vector<std::pair<int32_t, int32_t>> Levels;
  std::vector<Presentation> Played;
  std::vector<ResponseSource> Sources;

 private:
  AppState& state_;
  SimHost& host_;
  bool open_ = false;
  bool playing_ = false;
  std::string failure_;
  double doneAt_ = 0;
};

}  // namespace sonavel::test
