// Device names from drivers are cut to a number of characters, never in the middle of one.
#pragma once

#include <cstddef>
#include <string>

namespace sonavel {

// The first `maxChars` characters (code points) of a UTF-8 text.
inline std::string Utf8Prefix(const std::string& text, size_t maxChars) {
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if ((c & 0xC0) != 0x80) {
      if (chars == maxChars) return text.substr(0, i);
      ++chars;
    }
  }
  return text;
}

}  // namespace sonavel
