// Reading the hand-built fixtures of tests/data.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

namespace sonavel::test {

inline std::string DataPath(const std::string& name) { return std::string(SONAVEL_TEST_DATA) + "/" + name; }

inline std::string DataBytes(const std::string& name) {
  std::ifstream in(DataPath(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace sonavel::test
