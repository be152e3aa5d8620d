// The one exception type of the core: it carries the text that the user sees.
#pragma once

#include <stdexcept>
#include <string>

namespace sonavel {

class SonavelError : public std::runtime_error {
 public:
  explicit SonavelError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace sonavel
