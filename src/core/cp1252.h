// The ANSI code page of the files: conversion between UTF-8 (inside the program) and
// Windows-1252 (inside audiogram, calibration and text files).
#pragma once

#include <string>
#include <string_view>

namespace sonavel {

// Every character that Windows-1252 cannot hold becomes "?", as does every malformed UTF-8
// sequence (one "?" per offending byte).
std::string Utf8ToCp1252(std::string_view utf8);

// Every byte maps to one character; the five bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control characters of the same value, as the
// platform's conversion does, so that any byte string survives the round trip.
std::string Cp1252ToUtf8(std::string_view bytes);

}  // namespace sonavel
