#include "core/cp1252.h"

#include <gtest/gtest.h>

#include <set>

namespace sonavel {
namespace {

TEST(Cp1252, EveryByteSurvivesTheRoundTrip) {
  std::set<std::string> decoded;
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const std::string utf8 = Cp1252ToUtf8(byte);
    EXPECT_EQ(Utf8ToCp1252(utf8), byte) << "byte " << b;
    decoded.insert(utf8);
  }
  EXPECT_EQ(decoded.size(), 256u);  // no two bytes share a character
}

TEST(Cp1252, MapsTheCharactersOfGermanTexts) {
  struct Case {
    const char* utf8;
    const char* cp1252;
  } cases[] = {
      {"Müller", "M\xFCller"},
      {"Hörtest", "H\xF6rtest"},
      {"Größe",
       "Gr\xF6\xDF"
       "e"},
      {"ÄÖÜäöü", "\xC4\xD6\xDC\xE4\xF6\xFC"},
      {"€ 5", "\x80 5"},
      {"„Anführung“",
       "\x84"
       "Anf\xFChrung\x93"},
      {"‰ – — ™ Ÿ", "\x89 \x96 \x97 \x99 \x9F"},
      {"\u00A0\u00FF", "\xA0\xFF"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToCp1252(c.utf8), c.cp1252) << c.utf8;
    EXPECT_EQ(Cp1252ToUtf8(c.cp1252), c.utf8) << c.utf8;
  }
}

TEST(Cp1252, TheUndefinedBytesDecodeToC1Controls) {
  for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
    const std::string utf8 = Cp1252ToUtf8(std::string(1, static_cast<char>(b)));
    ASSERT_EQ(utf8.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(utf8[0]), 0xC2);
    EXPECT_EQ(static_cast<unsigned char>(utf8[1]), b);
  }
}

TEST(Cp1252, WhatItCannotHoldBecomesAQuestionMark) {
  struct Case {
    std::string utf8;
    std::string cp1252;
  } cases[] = {
      {"Ā", "?"},               // Latin Extended-A outside the code page
      {"日本", "??"},           // one mark per character, not per byte
      {"a😀b", "a?b"},           // four-byte sequence
      {"\xFF", "?"},            // not UTF-8 at all
      {"x\xC3", "x?"},          // truncated sequence
      {"\xC0\xAF", "??"},       // overlong encoding of "/"
      {"\xED\xA0\x80", "???"},  // a surrogate
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToCp1252(c.utf8), c.cp1252);
}

}  // namespace
}  // namespace sonavel
