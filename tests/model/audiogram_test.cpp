#include "model/audiogram.h"

#include <gtest/gtest.h>

#include <cstddef>

#include "model/state.h"

namespace sonavel {
namespace {

TEST(Audiogram, FrequencyTable) {
  const AppState state;
  EXPECT_EQ(state.FrequencyTable,
            (FrequencyTableType{0, 125, 250, 500, 750, 1000, 1500, 2000, 3000, 4000, 6000, 8000, 1000}));
  EXPECT_EQ(RecordSlotFrequency(state.FrequencyTable, 0), 125);
  EXPECT_EQ(RecordSlotFrequency(state.FrequencyTable, 11), 1000);
}

TEST(Audiogram, RecordShapes) {
  PatientFile p;
  static_assert(sizeof(p.Reverse) == 2 * 12 * 22 * 4);
  static_assert(sizeof(p.Threshold) == 2 * 12 * 4);
  static_assert(std::is_same_v<decltype(p.Reverse[0][0][0]), int32_t&>);
  // Ear-major run flags: the thirteen flags of ear 0, then those of ear 1.
  TestProperties t;
  const auto* base = reinterpret_cast<const unsigned char*>(&t);
  EXPECT_EQ(reinterpret_cast<const unsigned char*>(&t.RunThisFreq[1][0]) - base, 13);
  EXPECT_EQ(reinterpret_cast<const unsigned char*>(&t.Retest) - base, 26);
}

TEST(Audiogram, ClearingKeepsStaleEntries) {
  PatientFile p;
  for (int e = 0; e < 2; ++e)
    for (int r = 0; r < 12; ++r) {
      EXPECT_EQ(p.Reverse[e][r][0], 0);
      EXPECT_EQ(p.Threshold[e][r], NoResult);
      EXPECT_FALSE(p.HasResult(e, r));
    }
  p.Reverse[1][3] = {4, 40, 30, 45, 35, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 15};
  p.Threshold[1][3] = 40;
  EXPECT_TRUE(p.HasResult(1, 3));
  p.ClearAll();
  EXPECT_EQ(p.Reverse[1][3][0], 0);
  EXPECT_EQ(p.Reverse[1][3][1], 40);
  EXPECT_EQ(p.Reverse[1][3][21], 15);
  EXPECT_EQ(p.Threshold[1][3], NoResult);
}

TEST(Audiogram, Stamps) {
  EXPECT_EQ(TestDateStampOf({2018, 3, 7}), "07-03-2018");
  EXPECT_EQ(TestDateStampOf({2026, 12, 10}), "10-12-2026");
  EXPECT_EQ(TestTimeStampOf(9, 5), "9h5");
  EXPECT_EQ(TestTimeStampOf(14, 30), "14h30");
  EXPECT_EQ(TestTimeStampOf(0, 0), "0h0");
}

TEST(AppState, StartsEmpty) {
  const AppState s;
  EXPECT_FALSE(s.CalibrationLoaded);
  EXPECT_FALSE(s.ResultsPresent);
  for (const auto& ear : s.CalibrationData)
    for (const auto& entry : ear) EXPECT_EQ(entry, CalibrationEntry{});
  EXPECT_EQ(s.Personal.DateOfBirth, (Date{1960, 1, 1}));
  EXPECT_TRUE(s.Personal.LastName.empty());
}

TEST(AppState, EarChannels) {
  AppState s;
  SelectEarChannel(s, LeftEar);
  EXPECT_EQ(s.Run.LeftChannelGain, 1);
  EXPECT_EQ(s.Run.RightChannelGain, 0);
  SelectEarChannel(s, RightEar);
  EXPECT_EQ(s.Run.LeftChannelGain, 0);
  EXPECT_EQ(s.Run.RightChannelGain, 1);
}

}  // namespace
}  // namespace sonavel
