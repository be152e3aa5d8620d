// sonavel-cli import: a text export back into an audiogram file.
#include <ostream>

#include "cli/cli_support.h"
#include "core/error.h"
#include "files/audiogram_file.h"
#include "files/text_export.h"

namespace sonavel::cli {

namespace {

const std::string ImportHelp =
    std::string(
        "Usage: sonavel-cli import TXT --out AUD [--locale de_DE|en_US]\n\n"
        "Reads a text export (560 lines, ended by CR LF or LF, Windows-1252) and writes the\n"
        "audiogram file AUD with the same personal data, test date and time, reversal rows and\n"
        "thresholds. A file with another number of lines, a date of birth that is not a date or a\n"
        "non-number where a number belongs is refused, naming the line.\n\n"
        "  --out AUD             the audiogram file to write (replaced whole, or not at all)\n") +
    LocaleHelp;

int RunImport(const std::vector<std::string>& args, Io& io) {
  const Options opts(args, {"out", "locale"}, {});
  opts.ExpectPositionals(1, "text export TXT");
  const std::string out = opts.Required("out");
  const RegionalFormat regional = RegionalFromOptions(opts);
  const std::string& in = opts.Positionals()[0];
  const std::string bytes = ReadWholeFile(in, 1u << 20);
  AsciiFileContent content;
  try {
    content = ReadAsciiFile(bytes, regional, LocalNow().Day.Year);
  } catch (const SonavelError& e) {
    throw UsageError(in + ": " + e.what());
  }
  WriteOutput([&] { WriteFile(out, content.Audiogram, content.Personal, regional); });
  io.out << "wrote " << out << "\n";
  return ExitOk;
}

const CommandRegistration Registration{
    {"import", "write an audiogram file from a text export", ImportHelp, RunImport}};

}  // namespace

}  // namespace sonavel::cli
