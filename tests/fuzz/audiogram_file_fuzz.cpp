// Any bytes as an audiogram file: the reader never reads out of bounds, and whatever it accepts
// the writer writes back into a file that reads as the same audiogram.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "files/audiogram_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sonavel;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto content = ParseAudiogramFile(bytes);
  if (!content) return 0;
  for (const RegionalFormat& regional : {RegionalDeDe(), RegionalEnUs()}) {
    PatientFile audiogram;
    PersonalData personal;
    ApplyAudiogramFile(*content, audiogram, personal, regional, 2024, true);
    const auto again = ParseAudiogramFile(AudiogramFileBytes(audiogram, personal, regional));
    if (!again || again->Reverse != audiogram.Reverse || again->Threshold != audiogram.Threshold ||
        again->TestDateStamp.size() > 4 * 255)
      std::abort();
  }
  return 0;
}
