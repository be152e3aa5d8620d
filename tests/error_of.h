// The text of the SonavelError that a call throws, if it throws one.
#pragma once

#include <optional>
#include <string>

#include "core/error.h"

namespace sonavel::test {

template <typename Call>
std::optional<std::string> ErrorOf(Call call) {
  try {
    call();
  } catch (const SonavelError& e) {
    return std::string(e.what());
  }
  return std::nullopt;
}

}  // namespace sonavel::test
