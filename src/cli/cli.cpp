#include "cli/cli.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <exception>
#include <ostream>

#include "core/error.h"

namespace sonavel::cli {

namespace {
std::map<std::string, Command>& Registry() {
  static std::map<std::string, Command> registry;
  return registry;
}

void PrintOverview(std::ostream& os) {
  os << "sonavel-cli: the command-line companion of the Sonavel audiometer\n\n"
        "Usage: sonavel-cli COMMAND [OPTIONS]\n"
        "       sonavel-cli COMMAND --help\n\n"
        "Commands:\n";
  size_t width = 0;
  for (const auto& [name, cmd] : Registry()) width = std::max(width, name.size());
  for (const auto& [name, cmd] : Registry())
    os << "  " << name << std::string(width - name.size() + 2, ' ') << cmd.summary << "\n";
  os << "\nExit status: 0 on success, 1 when a device or the system fails, 2 on bad input.\n";
}
}  // namespace

CommandRegistration::CommandRegistration(Command command) {
  Registry().emplace(command.name, std::move(command));
}

const std::map<std::string, Command>& Commands() { return Registry(); }

int RunCli(const std::vector<std::string>& args, Io& io) {
  if (args.empty()) {
    io.err << "sonavel-cli: missing command (see sonavel-cli --help)\n";
    return ExitUsage;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    PrintOverview(io.out);
    return ExitOk;
  }
  const auto it = Registry().find(args[0]);
  if (it == Registry().end()) {
    io.err << "sonavel-cli: unknown command \"" << args[0] << "\" (see sonavel-cli --help)\n";
    return ExitUsage;
  }
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  for (const auto& a : rest)
    if (a == "--help" || a == "-h") {
      io.out << it->second.help;
      return ExitOk;
    }
  try {
    return it->second.run(rest, io);
  } catch (const RunError& e) {
    io.err << "sonavel-cli " << args[0] << ": " << e.what() << "\n";
    return ExitFailure;
  } catch (const SonavelError& e) {
    // Bad input: a UsageError, or a file the core refused.
    io.err << "sonavel-cli " << args[0] << ": " << e.what() << "\n";
    return ExitUsage;
  } catch (const std::exception& e) {
    io.err << "sonavel-cli " << args[0] << ": " << e.what() << "\n";
    return ExitFailure;
  }
}

Options::Options(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
                 const std::set<std::string>& flagOptions) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      help_ = true;
      continue;
    }
    if (a.rfind("--", 0) == 0 && a.size() > 2) {
      std::string name = a.substr(2);
      std::optional<std::string> inlineValue;
      if (const auto eq = name.find('='); eq != std::string::npos) {
        inlineValue = name.substr(eq + 1);
        name = name.substr(0, eq);
      }
      if (valueOptions.count(name)) {
        if (values_.count(name)) throw UsageError("option --" + name + " given twice");
        if (inlineValue) {
          values_[name] = *inlineValue;
        } else {
          if (i + 1 >= args.size()) throw UsageError("option --" + name + " needs a value");
          values_[name] = args[++i];
        }
      } else if (flagOptions.count(name)) {
        if (inlineValue) throw UsageError("option --" + name + " takes no value");
        flags_.insert(name);
      } else {
        throw UsageError("unknown option --" + name);
      }
      continue;
    }
    positionals_.push_back(a);
  }
}

std::optional<std::string> Options::Value(const std::string& name) const {
  const auto it = values_.find(name);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

std::string Options::Required(const std::string& name) const {
  auto v = Value(name);
  if (!v) throw UsageError("missing option --" + name);
  return *v;
}

void Options::ExpectPositionals(size_t count, const std::string& what) const {
  if (positionals_.size() < count) throw UsageError("missing " + what);
  if (positionals_.size() > count) throw UsageError("unexpected argument \"" + positionals_[count] + "\"");
}

double ParseNumberOption(const std::string& option, const std::string& text) {
  double v = 0;
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin != end && *begin == '+') ++begin;
  const auto [ptr, ec] = std::from_chars(begin, end, v);
  if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(v))
    throw UsageError("option --" + option + ": \"" + text + "\" is not a number");
  return v;
}

long long ParseIntegerOption(const std::string& option, const std::string& text) {
  long long v = 0;
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin != end && *begin == '+') ++begin;
  const auto [ptr, ec] = std::from_chars(begin, end, v);
  if (text.empty() || ec != std::errc() || ptr != end)
    throw UsageError("option --" + option + ": \"" + text + "\" is not a whole number");
  return v;
}

double Options::Number(const std::string& name, double fallback) const {
  auto v = Value(name);
  return v ? ParseNumberOption(name, *v) : fallback;
}

double Options::RequiredNumber(const std::string& name) const {
  return ParseNumberOption(name, Required(name));
}

long long Options::Integer(const std::string& name, long long fallback) const {
  auto v = Value(name);
  return v ? ParseIntegerOption(name, *v) : fallback;
}

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out.push_back(static_cast<char>(c));
        }
    }
  }
  return out + "\"";
}

}  // namespace sonavel::cli
