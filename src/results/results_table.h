// The threshold table of the results window, drawn at its fixed pixel positions: one row per
// record slot 125 Hz .. 8 kHz in which the left ear has a result, the right cell empty without
// one.
#pragma once

#include "core/canvas.h"
#include "model/audiogram.h"

namespace sonavel {

// Row q (from 1) stands at y = 15 q + 40: frequency at x = 10, left at 80, right at 150.
int32_t ResultsTableRowY(int32_t row);

// FormPaint of the table area: pen and brush in the area's background colour, then the rows.
void ResultsTablePaint(Canvas& table, const PatientFile& audiogram, const FrequencyTableType& FrequencyTable);

}  // namespace sonavel
