// The text of the label under the audiogram chart that tells when the test was made.
#pragma once

#include <string>

#include "model/audiogram.h"

namespace sonavel {

// "Testdatum: 07-03-2018 Uhrzeit: 9h5." while the audiogram holds results, else empty.
inline std::string DateTimeLabelText(const PatientFile& audiogram, bool ResultsPresent) {
  if (!ResultsPresent) return "";
  return "Testdatum: " + audiogram.TestDateStamp + " Uhrzeit: " + audiogram.TestTimeStamp + ".";
}

}  // namespace sonavel
