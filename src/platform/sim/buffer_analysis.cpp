#include "platform/sim/buffer_analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace sonavel {

namespace {
int32_t SampleAt(const std::vector<uint8_t>& b, size_t frame, int32_t channel) {
  const size_t at = frame * 4 + static_cast<size_t>(channel) * 2;
  return static_cast<int16_t>(b[at] | (b[at + 1] << 8));
}
}  // namespace

BufferAnalysis AnalyseBuffer(const std::vector<uint8_t>& bytes) {
  BufferAnalysis a;
  const size_t frames = bytes.size() / 4;
  size_t first[2] = {0, 0}, last[2] = {0, 0};
  bool sounding[2] = {false, false};
  for (size_t f = 0; f < frames; ++f)
    for (int32_t c = 0; c < 2; ++c)
      if (SampleAt(bytes, f, c) != 0) {
        if (!sounding[c]) first[c] = f;
        sounding[c] = true;
        last[c] = f;
      }
  if (!sounding[0] && !sounding[1]) return a;
  a.silent = false;
  a.channel = sounding[0] && (!sounding[1] || last[0] >= last[1]) ? 0 : 1;
  // The ramps are symmetric: a quiet tone's first and last frames round to silence alike, so the
  // tone ends as far after its last sounding frame as it began before its first.
  a.toneFrames = first[a.channel] + last[a.channel] + 1;

  // The middle half of the tone is the plateau of a ramped tone (and all of an unramped one).
  const size_t from = a.toneFrames / 4, to = std::max(from + 1, a.toneFrames * 3 / 4);
  int32_t peak = 0;
  size_t crossings = 0, firstCrossing = 0, lastCrossing = 0;
  for (size_t f = from; f < to && f < frames; ++f) {
    const int32_t s = SampleAt(bytes, f, a.channel);
    peak = std::max(peak, std::abs(s));
    if (f > from && SampleAt(bytes, f - 1, a.channel) <= 0 && s > 0) {
      if (crossings == 0) firstCrossing = f;
      lastCrossing = f;
      ++crossings;
    }
  }
  a.peakDbfs = peak > 0 ? 20.0 * std::log10(peak / 32767.0) : -1e9;
  if (crossings >= 2)
    a.frequency =
        44100.0 * static_cast<double>(crossings - 1) / static_cast<double>(lastCrossing - firstCrossing);
  return a;
}

}  // namespace sonavel
