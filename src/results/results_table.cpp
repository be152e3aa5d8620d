#include "results/results_table.h"

#include <string>

#include "results/results_summary.h"

namespace sonavel {

int32_t ResultsTableRowY(int32_t row) { return 15 * row + 40; }

void ResultsTablePaint(Canvas& table, const PatientFile& audiogram,
                       const FrequencyTableType& FrequencyTable) {
  table.SetPenColour(table.BackgroundColour());
  table.SetBrush(BrushStyle::Solid, table.BackgroundColour());
  int32_t q = 0;
  for (const ThresholdRow& row : ThresholdTableRows(audiogram, FrequencyTable)) {
    const int32_t y = ResultsTableRowY(++q);
    table.TextOut(10, y, std::to_string(row.Frequency));
    table.TextOut(80, y, std::to_string(row.Left));
    if (row.Right) table.TextOut(150, y, std::to_string(*row.Right));
  }
}

}  // namespace sonavel
