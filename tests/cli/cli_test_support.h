// Running sonavel-cli commands in-process and reading the files they write.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace sonavel::test {

struct CliResult {
  int status;
  std::string out;
  std::string err;
};

inline CliResult RunCliCommand(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  cli::Io io{out, err};
  const int status = cli::RunCli(args, io);
  return {status, out.str(), err.str()};
}

inline std::string ReadBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A fresh folder under the system's temp directory, removed with the object.
class TempDir {
 public:
  TempDir() {
    path_ = std::filesystem::temp_directory_path() /
            ("sonavel-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
             std::to_string(reinterpret_cast<uintptr_t>(this)) + "-" + std::to_string(counter_++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& Path() const { return path_; }

 private:
  static inline int counter_ = 0;
  std::filesystem::path path_;
};

}  // namespace sonavel::test
