#include "calibration/calibration_file.h"

#include "core/command_line.h"
#include "core/cp1252.h"
#include "core/error.h"
#include "files/binary_io.h"

namespace sonavel {

namespace {

constexpr std::string_view Identification = "Calibration Data";
constexpr int32_t MaxTextBlockCount = 257;
constexpr size_t MaxCalibrationFileBytes = 1u << 20;

std::optional<CalibrationEntry> ReadEntry(ByteReader& in) {
  CalibrationEntry e;
  const auto wave = in.I32();
  const auto master = in.I32();
  const auto gain = in.I32();
  const auto reserved = in.I32();
  const auto offset = in.F64();
  if (!offset) return std::nullopt;
  e.WaveLevel = *wave;
  e.MasterLevel = *master;
  e.GainLevel = *gain;
  e.Reserved = *reserved;
  e.LevelOffset = *offset;
  return e;
}

}  // namespace

std::optional<CalibrationFileContent> ParseCalibrationFile(std::string_view bytes) {
  ByteReader in(bytes);
  const auto id = in.CountedText(MaxTextBlockCount);
  if (!id || *id != Identification) return std::nullopt;

  CalibrationFileContent c;
  CalibrationHeader& h = c.Header;
  for (std::string* text :
       {&h.Person, &h.Headphones, &h.Soundcard, &h.Comment, &h.CalibrationDate, &h.CalibrationTime}) {
    const auto t = in.CountedText(MaxTextBlockCount);
    if (!t) return std::nullopt;
    *text = Cp1252ToUtf8(*t);
  }
  for (auto& ear : c.Entries)
    for (auto& entry : ear) {
      const auto e = ReadEntry(in);
      if (!e) return std::nullopt;
      entry = *e;
    }
  return c;
}

void ReadCal(const std::string& Filename, CalibrationTable& CalibrationData, CalibrationHeader& header,
             bool& CalibrationLoaded) {
  const std::string bytes = ReadWholeFile(Filename, MaxCalibrationFileBytes);
  const auto content = ParseCalibrationFile(bytes);
  if (!content) throw SonavelError(InvalidCalibrationText);
  header = content->Header;
  for (int32_t e = 0; e < EarCount; ++e)
    for (int32_t k = 0; k < MeasuredSlotCount; ++k) CalibrationData[e][k + 1] = content->Entries[e][k];
  CalibrationLoaded = true;
}

void ReadCal(const std::string& Filename, AppState& state, CalibrationHeader& header) {
  ReadCal(Filename, state.CalibrationData, header, state.CalibrationLoaded);
}

std::string CalibrationFileBytes(const CalibrationHeader& h, const CalibrationTable& table) {
  std::string out;
  out.reserve(586 + 6 * 255);
  PutCountedText(out, Identification);
  for (const std::string* text :
       {&h.Person, &h.Headphones, &h.Soundcard, &h.Comment, &h.CalibrationDate, &h.CalibrationTime})
    PutCountedText(out, FileText(*text));
  for (const auto& ear : table)
    for (int32_t k = 1; k <= MeasuredSlotCount; ++k) {
      const CalibrationEntry& e = ear[k];
      PutI32(out, e.WaveLevel);
      PutI32(out, e.MasterLevel);
      PutI32(out, e.GainLevel);
      PutI32(out, 0);
      PutF64(out, e.LevelOffset);
    }
  return out;
}

void WriteCal(AtomicFileWriter& out, const CalibrationHeader& header,
              const CalibrationTable& CalibrationData) {
  out.Write(CalibrationFileBytes(header, CalibrationData));
  out.Commit();
}

void WriteCal(const std::string& FileName, const CalibrationHeader& header,
              const CalibrationTable& CalibrationData) {
  AtomicFileWriter out(FileName);
  WriteCal(out, header, CalibrationData);
}

std::optional<std::string> StartupCalibrationFile(const std::string& CommandLine,
                                                  const SettingsRecord& Settings) {
  if (auto file = CalibrationFileFromCommandLine(CommandLine)) return file;
  if (Settings.chkLoadCal) return Settings.CalFilename;
  return std::nullopt;
}

std::optional<std::string> LoadStartupCalibration(AppState& state, CalibrationHeader& header) {
  const auto file = StartupCalibrationFile(state.CommandLine, state.Settings);
  if (!file) return std::nullopt;
  try {
    ReadCal(*file, state, header);
  } catch (const SonavelError& e) {
    return std::string(e.what());
  }
  return std::nullopt;
}

}  // namespace sonavel
