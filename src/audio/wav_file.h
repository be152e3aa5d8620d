// The RIFF/WAVE form of a tone buffer: a 44-byte PCM header (2 channels, 44100 Hz, 16 bits)
// followed by exactly the buffer's bytes.
#pragma once

#include <string>

#include "audio/tone_synthesis.h"

namespace sonavel {

constexpr size_t WavHeaderSize = 44;

std::string WavFileBytes(const ToneBuffer& buffer);

}  // namespace sonavel
