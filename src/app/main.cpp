// sonavel: the desktop audiometer.
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/demo.h"
#include "app/program.h"
#include "app/version.h"
#include "core/error.h"

int main(int argc, char* argv[]) {
  sonavel::Application app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(sonavel::ProductName));
  QApplication::setApplicationVersion(QString::fromUtf8(sonavel::ProductVersion));
  QApplication::setDesktopFileName(QStringLiteral("sonavel"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/sonavel.svg")));
  // Qt's own dialogs (open and save, printer, page set-up) speak German, as the program does.
  QTranslator qtGerman;
  if (qtGerman.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtGerman);

  sonavel::ProgramOptions options;
  // A simulated sound card of one's own choosing, for scripted runs and screenshots.
  if (const char* fixture = std::getenv("SONAVEL_MIXER_FIXTURE")) options.Drivers.mixerFixture = fixture;
  bool demo = false;
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    // Only a leading option is the program's; everything else is the command line, as typed.
    if (arguments.empty() && std::strcmp(argv[i], "--no-splash") == 0) {
      options.Splash = false;
      continue;
    }
    if (arguments.empty() && std::strcmp(argv[i], "--demo") == 0) {
      demo = true;
      continue;
    }
    arguments.emplace_back(argv[i]);
  }

  try {
    if (demo) {
      size_t consumed = 0;
      const sonavel::ListenerSettings listener = sonavel::ParseDemoOptions(arguments, consumed);
      arguments.erase(arguments.begin(), arguments.begin() + static_cast<std::ptrdiff_t>(consumed));
      sonavel::Demonstration demonstration(listener, options.Splash);
      app.SetHost(&demonstration.GetProgram().GetHost());
      demonstration.Start(arguments);
      return QApplication::exec();
    }
    sonavel::Program program(options);
    app.SetHost(&program.GetHost());
    program.Start(arguments);
    return QApplication::exec();
  } catch (const sonavel::SonavelError& e) {
    // Nothing to start on (an unknown SONAVEL_AUDIO, a broken mixer fixture).
    sonavel::QtHost host;
    host.MessageBox(e.what(), "Sonavel", sonavel::MessageIcon::Error, sonavel::ButtonOk);
    return 1;
  }
}
