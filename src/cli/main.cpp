// sonavel-cli entry point.
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  sonavel::cli::Io io{std::cout, std::cerr};
  const int status = sonavel::cli::RunCli(args, io);
  std::cout.flush();
  return status;
}
