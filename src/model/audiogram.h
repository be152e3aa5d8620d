// The vocabulary of a hearing test: ears, frequency slots, the run flags of one test and the
// audiogram record with its level scales and "no result" marker.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/date_time.h"

namespace sonavel {

// Ears: 0 = left (left channel), 1 = right.
constexpr int32_t LeftEar = 0;
constexpr int32_t RightEar = 1;
constexpr int32_t EarCount = 2;

// Frequency slots 0..12: 0 = trial run, 1..11 = 125 Hz .. 8 kHz, 12 = repeat at 1 kHz.
constexpr int32_t FrequencySlotCount = 13;
constexpr int32_t TrialSlot = 0;
constexpr int32_t RepeatSlot = 12;
// Record slots 0..11: record slot r holds frequency slot r + 1.
constexpr int32_t RecordSlotCount = 12;
constexpr int32_t RepeatRecordSlot = 11;
// The measured frequencies: frequency slots 1..11, record slots 0..10.
constexpr int32_t MeasuredSlotCount = 11;
constexpr int32_t RecordSlotOf(int32_t frequencySlot) { return frequencySlot - 1; }
// The 1 kHz measurement that the repeat is compared with.
constexpr int32_t Slot1000 = 5;
constexpr int32_t RecordSlot1000 = RecordSlotOf(Slot1000);
// Elements of a reversal row: 0 = count N, 1..20 = entries, 21 = spread.
constexpr int32_t ReverseRowSize = 22;
constexpr int32_t MaxReversalEntries = 20;
constexpr int32_t SpreadElement = 21;

constexpr int32_t NoResult = 1000;
constexpr int32_t CeilingHL = 70;
constexpr int32_t SpreadLimit = 10;

using FrequencyTableType = std::array<int32_t, FrequencySlotCount>;

// Slot 0 has no frequency of its own: the test procedure writes the trial run's frequency into it.
constexpr FrequencyTableType DefaultFrequencyTable = {0,    125,  250,  500,  750,  1000, 1500,
                                                      2000, 3000, 4000, 6000, 8000, 1000};

// The run flags of one test: one byte per flag, all thirteen of ear 0 first.
struct TestProperties {
  std::array<std::array<bool, FrequencySlotCount>, EarCount> RunThisFreq{};
  bool Retest = false;
};
static_assert(sizeof(bool) == 1);
static_assert(sizeof(TestProperties) == 27);

using ReverseRow = std::array<int32_t, ReverseRowSize>;

// A measured row whose reversals spread wider than SpreadLimit: a retest measures it again.
inline bool SpreadTooWide(const ReverseRow& row) { return row[0] > 0 && row[SpreadElement] > SpreadLimit; }

struct PatientFile {
  std::array<std::array<ReverseRow, RecordSlotCount>, EarCount> Reverse{};
  std::string TestDateStamp;  // "07-03-2018"
  std::string TestTimeStamp;  // "9h5"
  std::array<std::array<int32_t, RecordSlotCount>, EarCount> Threshold{};

  PatientFile() { ClearAll(); }

  // Count 0 and no threshold; the other reversal elements stay as they are.
  void ClearSlot(int32_t ear, int32_t slot) {
    Reverse[ear][slot][0] = 0;
    Threshold[ear][slot] = NoResult;
  }
  void ClearAll() {
    for (int32_t e = 0; e < EarCount; ++e)
      for (int32_t r = 0; r < RecordSlotCount; ++r) ClearSlot(e, r);
  }
  bool HasResult(int32_t ear, int32_t slot) const { return Threshold[ear][slot] < NoResult; }

  friend bool operator==(const PatientFile&, const PatientFile&) = default;
};

inline int32_t RecordSlotFrequency(const FrequencyTableType& table, int32_t recordSlot) {
  return table[recordSlot + 1];
}

// Level scales: dB HL as shown and stored; internal level = dB HL - CeilingHL.
inline double InternalLevel(double dBHL) { return dBHL - CeilingHL; }
inline double HearingLevel(double internalLevel) { return internalLevel + CeilingHL; }

// The stamps of a completed run: "07-03-2018" and "9h5".
std::string TestDateStampOf(const Date& date);
std::string TestTimeStampOf(int32_t hour, int32_t minute);

}  // namespace sonavel
