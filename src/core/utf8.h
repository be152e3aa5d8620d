// UTF-8, the program's own text encoding: encoding and decoding code points, checking a text,
// and cutting a text to a number of characters without splitting one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sonavel {

void AppendUtf8(std::string& out, char32_t cp);

// Decodes the sequence at s[i]: its length, with the code point in `cp`; 0 when it is malformed
// (truncated, overlong, a surrogate or beyond U+10FFFF).
size_t DecodeUtf8(std::string_view s, size_t i, char32_t& cp);

bool IsValidUtf8(std::string_view s);

// The first `maxChars` characters (code points) of a UTF-8 text.
std::string Utf8Prefix(const std::string& text, size_t maxChars);

}  // namespace sonavel
