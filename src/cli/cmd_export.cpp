// sonavel-cli export: an audiogram file as the 560-line text export.
#include <ostream>

#include "cli/cli_support.h"
#include "files/audiogram_file.h"
#include "files/text_export.h"

namespace sonavel::cli {

namespace {

const std::string ExportHelp =
    std::string(
        "Usage: sonavel-cli export AUD [--out TXT] [--locale de_DE|en_US]\n\n"
        "Reads the audiogram file AUD and writes its text export: 560 lines ended by CR LF\n"
        "in Windows-1252 (personal data, test date and time, the reversal rows and the\n"
        "thresholds), to TXT or, without --out, to standard output. The date of birth is\n"
        "read and written in the short date format of the regional profile.\n\n"
        "  --out TXT             the text file to write (replaced whole, or not at all)\n") +
    LocaleHelp;

int RunExport(const std::vector<std::string>& args, Io& io) {
  const Options opts(args, {"out", "locale"}, {});
  opts.ExpectPositionals(1, "audiogram file AUD");
  const RegionalFormat regional = RegionalFromOptions(opts);
  AppState state = FreshState();
  ReadAudiogramInput(opts.Positionals()[0], state, regional, LocalNow());
  if (const auto out = opts.Value("out")) {
    WriteOutput([&] { WriteAsciiFile(*out, state.CurrentAudiogram, state.Personal, regional); });
    io.out << "wrote " << *out << "\n";
  } else {
    io.out << AsciiFileBytes(state.CurrentAudiogram, state.Personal, regional);
  }
  return ExitOk;
}

const CommandRegistration Registration{
    {"export", "write the text export of an audiogram file", ExportHelp, RunExport}};

}  // namespace

}  // namespace sonavel::cli
