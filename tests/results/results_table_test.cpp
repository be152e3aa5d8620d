// The threshold table of the results window: rows at their pixel positions, the right cell
// empty without a result, no row without a left result, the repeat slot never listed.
#include "results/results_table.h"

#include <gtest/gtest.h>

#include "core/recording_canvas.h"

namespace sonavel {
namespace {

std::vector<RecordingCanvas::Record> Texts(const RecordingCanvas& c) {
  std::vector<RecordingCanvas::Record> out;
  for (const auto& r : c.Records)
    if (r.op == RecordingCanvas::Op::TextOut) out.push_back(r);
  return out;
}

TEST(ResultsTable, TenRowsFrom55To190WithResultsAt250To8000Hz) {
  PatientFile a;
  a.ClearAll();
  for (int32_t slot = 1; slot <= 10; ++slot) {
    a.Threshold[0][slot] = slot;
    a.Threshold[1][slot] = 100 + slot;
  }
  RecordingCanvas c(214, 316, ColourButtonFace);
  ResultsTablePaint(c, a, DefaultFrequencyTable);
  const auto texts = Texts(c);
  ASSERT_EQ(texts.size(), 30u);
  EXPECT_EQ(texts.front().y1, 55);
  EXPECT_EQ(texts.back().y1, 190);
  EXPECT_EQ(texts[0].text, "250");
  EXPECT_EQ(texts[27].text, "8000");
  for (size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(texts[i].x1, (std::array<int32_t, 3>{10, 80, 150})[i % 3]);
    EXPECT_EQ(texts[i].brush, ColourButtonFace);
  }
}

TEST(ResultsTable, MissingRightResultLeavesItsCellEmptyAndRightOnlySlotsGetNoRow) {
  PatientFile a;
  a.ClearAll();
  a.Threshold[0][2] = 20;  // 500 Hz: left only
  a.Threshold[1][4] = 30;  // 1000 Hz: right only, no row
  a.Threshold[0][11] = 5;  // the repeat: never listed
  a.Threshold[0][6] = -5;  // 2000 Hz: both
  a.Threshold[1][6] = 0;
  RecordingCanvas c(214, 316, ColourWhite);
  ResultsTablePaint(c, a, DefaultFrequencyTable);
  const auto texts = Texts(c);
  ASSERT_EQ(texts.size(), 5u);
  EXPECT_EQ(texts[0].text, "500");
  EXPECT_EQ(texts[1].text, "20");
  EXPECT_EQ(texts[2].text, "2000");
  EXPECT_EQ(texts[2].y1, 70);
  EXPECT_EQ(texts[3].text, "-5");
  EXPECT_EQ(texts[4].text, "0");
  EXPECT_EQ(texts[4].x1, 150);
}

}  // namespace
}  // namespace sonavel
