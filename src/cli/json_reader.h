// A small, strict JSON reader for the CLI's input files: the grammar of RFC 8259 and nothing
// more (no comments, no trailing commas, no duplicate keys, well-formed UTF-8 and escapes),
// with a bound on nesting so that a hostile file cannot exhaust the stack.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sonavel::cli {

struct JsonValue {
  enum class Kind { Null, Boolean, Number, String, Array, Object };

  Kind kind = Kind::Null;
  bool boolean = false;
  double number = 0;
  bool integral = false;  // written without fraction or exponent
  int64_t integer = 0;    // when integral and within 64 bits
  std::string text;       // a string's value, or a number as written
  std::vector<JsonValue> items;
  std::vector<std::pair<std::string, JsonValue>> members;  // in file order

  // The member of that name; nullptr when there is none.
  const JsonValue* Find(std::string_view name) const;
};

constexpr int JsonMaxDepth = 32;

// Throws UsageError naming the line and column of the first fault.
JsonValue ParseJson(std::string_view text);

}  // namespace sonavel::cli
