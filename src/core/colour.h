// Colour values as the settings key and the charts keep them.
#pragma once

#include <cstdint>

namespace sonavel {

// Colour values: 0x00BBGGRR for a fixed colour, 0xFF000000 + index for a system colour.
using Colour = uint32_t;
constexpr Colour SystemColourFlag = 0xFF000000u;
constexpr Colour ColourButtonFace = 0xFF00000Fu;
constexpr Colour ColourNavy = 0x00800000u;
constexpr Colour ColourMaroon = 0x00000080u;
constexpr Colour ColourGrey = 0x00808080u;
constexpr Colour ColourOlive = 0x00008080u;
constexpr Colour ColourBlue = 0x00FF0000u;
constexpr Colour ColourRed = 0x000000FFu;
constexpr Colour ColourWhite = 0x00FFFFFFu;
constexpr Colour ColourBlack = 0x00000000u;

}  // namespace sonavel
