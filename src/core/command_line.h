// The program's command line as one text, every argument followed by one blank, and the two
// rules that find a file to open in it: an audiogram (".aud" in any case) and a calibration
// (".cal" exactly).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sonavel {

// "" when there are no arguments. A path with a blank given unquoted arrives as two arguments
// and is joined back into one name.
std::string JoinCommandLine(const std::vector<std::string>& arguments);

// The file to open as an audiogram: the command line without its final blank, when the four
// characters before that blank are ".aud" in any mix of case.
std::optional<std::string> AudiogramFileFromCommandLine(const std::string& CommandLine);

// The file to load as a calibration: the command line without its final blank, when the four
// characters before that blank are exactly ".cal".
std::optional<std::string> CalibrationFileFromCommandLine(const std::string& CommandLine);

}  // namespace sonavel
