#include "platform/sim/sim_output_watch.h"

#include <algorithm>

namespace sonavel {

SimOutputWatch::SimOutputWatch(Host& host, std::vector<Output> outputs, const SimEndpointVolume* follows)
    : host_(host), follows_(follows) {
  server_.outputs = std::move(outputs);
}

void SimOutputWatch::At(double seconds, std::function<void(Server&)> change) {
  scheduled_.push_back({seconds, nextOrder_++, std::move(change)});
  std::stable_sort(scheduled_.begin(), scheduled_.end(), [](const Scheduled& a, const Scheduled& b) {
    return a.at < b.at || (a.at == b.at && a.order < b.order);
  });
}

std::optional<size_t> SimOutputWatch::OutputOf(int32_t device) const {
  const size_t n = device < 0 ? server_.defaultOutput : static_cast<size_t>(device);
  if (device < WaveMapper || n >= server_.outputs.size() || !server_.outputs[n].present) return std::nullopt;
  return n;
}

std::string SimOutputWatch::DescriptionOf(size_t output) const {
  return output < server_.outputs.size() ? server_.outputs[output].description : "?";
}

bool SimOutputWatch::Absorbed(double at) const {
  return at >= windowStart_ && (ownDepth_ > 0 || at <= settleUntil_);
}

void SimOutputWatch::Judge(double at) {
  if (!watching_ || !change_.empty()) return;
  if (!server_.up) {
    change_ = ServerGoneText;
    return;
  }
  const Output* output = watched_ < server_.outputs.size() ? &server_.outputs[watched_] : nullptr;
  if (!output || !output->present) {
    change_ = OutputGoneText(DescriptionOf(watched_));
    return;
  }
  if (server_.defaultOutput != baseDefault_) {
    change_ = DefaultOutputChangeText(DescriptionOf(baseDefault_), DescriptionOf(server_.defaultOutput));
    return;
  }
  if (Absorbed(at))
    baseLevels_ = output->levels;
  else
    change_ = OutputChangeText(output->description, baseLevels_, output->levels);
  // The run never sets its stream's volume: a change there is always somebody else's.
  if (change_.empty())
    change_ = StreamChangeText(DescriptionOf(baseStream_.Output), DescriptionOf(server_.stream.Output),
                               baseStream_, server_.stream);
}

void SimOutputWatch::Look() {
  const double now = host_.MonotonicSeconds();
  while (!scheduled_.empty() && scheduled_.front().at <= now) {
    Scheduled due = std::move(scheduled_.front());
    scheduled_.erase(scheduled_.begin());
    due.change(server_);
    Judge(due.at);
  }
  // The server's default output takes the volume the run sets on the endpoint.
  if (follows_ && follows_->Level && follows_->Level != followed_) {
    followed_ = follows_->Level;
    if (server_.defaultOutput < server_.outputs.size()) {
      std::vector<double>& volume = server_.outputs[server_.defaultOutput].levels.Volume;
      std::fill(volume.begin(), volume.end(), static_cast<double>(*followed_));
    }
  }
  Judge(now);
}

std::optional<OutputInfo> SimOutputWatch::DescribeOutput(int32_t device) {
  ++DescribeCount;
  Look();
  if (!server_.up) return std::nullopt;
  const std::optional<size_t> n = OutputOf(device);
  if (!n) return std::nullopt;
  const Output& o = server_.outputs[*n];
  return OutputInfo{o.description, o.bluetooth, o.levels.Muted};
}

void SimOutputWatch::StartWatching(int32_t device) {
  ++StartCount;
  Look();
  change_.clear();
  watching_ = true;
  if (!server_.up) {
    change_ = ServerGoneText;
    return;
  }
  const std::optional<size_t> n = OutputOf(device);
  if (!n) {
    change_ = OutputUnknownText;
    return;
  }
  watched_ = *n;
  // The run has just opened its stream on that output.
  server_.stream.Output = static_cast<uint32_t>(*n);
  baseLevels_ = server_.outputs[*n].levels;
  baseStream_ = server_.stream;
  baseDefault_ = server_.defaultOutput;
}

void SimOutputWatch::StopWatching() {
  watching_ = false;
  change_.clear();
}

void SimOutputWatch::BeginOwnChange() {
  ++OwnChangeCount;
  Look();
  if (ownDepth_++ == 0) windowStart_ = host_.MonotonicSeconds();
}

void SimOutputWatch::EndOwnChange() {
  Look();
  if (ownDepth_ > 0 && --ownDepth_ == 0) settleUntil_ = host_.MonotonicSeconds() + OwnChangeSettleSeconds;
}

std::string SimOutputWatch::Change() {
  if (!watching_) return "";
  Look();
  return change_;
}

}  // namespace sonavel
