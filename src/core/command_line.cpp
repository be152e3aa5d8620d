#include "core/command_line.h"

namespace sonavel {

namespace {

std::optional<std::string> FileWithExtension(const std::string& commandLine, const char* extension,
                                             bool ignoreCase) {
  if (commandLine.size() < 5 || commandLine.back() != ' ') return std::nullopt;
  const std::string name = commandLine.substr(0, commandLine.size() - 1);
  const std::string ext = name.substr(name.size() - 4);
  for (size_t i = 0; i < 4; ++i) {
    char c = ext[i];
    if (ignoreCase && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != extension[i]) return std::nullopt;
  }
  return name;
}

}  // namespace

std::string JoinCommandLine(const std::vector<std::string>& arguments) {
  std::string out;
  for (const auto& a : arguments) out += a + " ";
  return out;
}

std::optional<std::string> AudiogramFileFromCommandLine(const std::string& CommandLine) {
  return FileWithExtension(CommandLine, ".aud", true);
}

std::optional<std::string> CalibrationFileFromCommandLine(const std::string& CommandLine) {
  return FileWithExtension(CommandLine, ".cal", false);
}

}  // namespace sonavel
