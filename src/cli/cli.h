// sonavel-cli: a command-line companion over the core. Every command lives in its own file and
// registers itself here; RunCli dispatches to it.
#pragma once

#include <iosfwd>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/error.h"

namespace sonavel::cli {

constexpr int ExitOk = 0;
constexpr int ExitFailure = 1;  // a device or system error
constexpr int ExitUsage = 2;    // bad or missing options, bad input

// Thrown for bad input; RunCli prints the one-line message and exits with ExitUsage.
class UsageError : public SonavelError {
 public:
  explicit UsageError(const std::string& message) : SonavelError(message) {}
};

// Thrown for a failure outside the input (a device, the file system); exit status ExitFailure.
class RunError : public SonavelError {
 public:
  explicit RunError(const std::string& message) : SonavelError(message) {}
};

struct Io {
  std::ostream& out;
  std::ostream& err;
};

struct Command {
  std::string name;
  std::string summary;  // one line for the overview
  std::string help;     // the full usage text
  int (*run)(const std::vector<std::string>& args, Io& io);
};

// Registers a command at static initialisation time.
struct CommandRegistration {
  explicit CommandRegistration(Command command);
};

const std::map<std::string, Command>& Commands();

int RunCli(const std::vector<std::string>& args, Io& io);

// Options of one command: "--name value" options and "--flag" switches, plus positionals.
class Options {
 public:
  // valueOptions and flagOptions list the names without the leading "--".
  Options(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
          const std::set<std::string>& flagOptions);

  bool Has(const std::string& name) const { return values_.count(name) > 0 || flags_.count(name) > 0; }
  bool Flag(const std::string& name) const { return flags_.count(name) > 0; }
  std::optional<std::string> Value(const std::string& name) const;
  std::string Required(const std::string& name) const;
  const std::vector<std::string>& Positionals() const { return positionals_; }
  // The positionals must number exactly `count`; `what` names them in the error.
  void ExpectPositionals(size_t count, const std::string& what) const;

  // Typed values; a malformed value is a UsageError naming the option.
  double Number(const std::string& name, double fallback) const;
  double RequiredNumber(const std::string& name) const;
  long long Integer(const std::string& name, long long fallback) const;

  bool HelpRequested() const { return help_; }

 private:
  std::map<std::string, std::string> values_;
  std::set<std::string> flags_;
  std::vector<std::string> positionals_;
  bool help_ = false;
};

double ParseNumberOption(const std::string& option, const std::string& text);
long long ParseIntegerOption(const std::string& option, const std::string& text);

// Writes a JSON string literal.
std::string JsonString(const std::string& s);

}  // namespace sonavel::cli
