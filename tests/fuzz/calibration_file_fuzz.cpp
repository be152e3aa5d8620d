// Any bytes as a calibration file: the reader never reads out of bounds, and whatever it
// accepts the writer writes back into a file with the same header and entries.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "calibration/calibration_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sonavel;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto content = ParseCalibrationFile(bytes);
  if (!content) return 0;
  CalibrationTable table{};
  for (int e = 0; e < EarCount; ++e)
    for (int k = 0; k < 11; ++k) table[e][k + 1] = content->Entries[e][k];
  const auto again = ParseCalibrationFile(CalibrationFileBytes(content->Header, table));
  if (!again || !(again->Header == content->Header)) std::abort();
  for (int e = 0; e < EarCount; ++e)
    for (int k = 0; k < 11; ++k) {
      const CalibrationEntry& a = again->Entries[e][k];
      const CalibrationEntry& b = content->Entries[e][k];
      if (a.WaveLevel != b.WaveLevel || a.MasterLevel != b.MasterLevel || a.GainLevel != b.GainLevel ||
          a.Reserved != 0 || std::memcmp(&a.LevelOffset, &b.LevelOffset, sizeof(double)) != 0)
        std::abort();
    }
  return 0;
}
