// What a listener can tell from a presentation's samples: which ear it reaches, how long the
// tone lasts, its frequency and the peak level of its full-amplitude middle part.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sonavel {

struct BufferAnalysis {
  bool silent = true;
  int32_t channel = 0;     // 0 = left, 1 = right
  size_t toneFrames = 0;   // frames up to the last sounding one
  double peakDbfs = -1e9;  // of the middle half of the tone, dB relative to 32767
  double frequency = 0;    // Hz, from the zero crossings of the middle half
};

// `bytes` holds 16-bit little-endian stereo frames.
BufferAnalysis AnalyseBuffer(const std::vector<uint8_t>& bytes);

}  // namespace sonavel
