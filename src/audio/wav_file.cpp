#include "audio/wav_file.h"

#include <cstdint>

namespace sonavel {

namespace {
void Put16(std::string& s, uint16_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>(v >> 8));
}
void Put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
}  // namespace

std::string WavFileBytes(const ToneBuffer& buffer) {
  const auto dataSize = static_cast<uint32_t>(buffer.Size());
  std::string s;
  s.reserve(WavHeaderSize + buffer.Size());
  s += "RIFF";
  Put32(s, 36 + dataSize);
  s += "WAVE";
  s += "fmt ";
  Put32(s, 16);
  Put16(s, 1);  // PCM
  Put16(s, 2);  // channels
  Put32(s, SampleRate);
  Put32(s, SampleRate * BytesPerFrame);
  Put16(s, BytesPerFrame);
  Put16(s, 16);
  s += "data";
  Put32(s, dataSize);
  s.append(reinterpret_cast<const char*>(buffer.Data()), buffer.Size());
  return s;
}

}  // namespace sonavel
