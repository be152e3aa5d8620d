#include "app/application.h"

#include <cstdio>
#include <exception>

namespace sonavel {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  ReportError = [this](const std::string& text) {
    // Through the program's host, like every other box; before there is one, nowhere but the
    // error stream.
    if (host_)
      host_->MessageBox(text, "Sonavel", MessageIcon::Error, ButtonOk);
    else
      std::fputs((text + "\n").c_str(), stderr);
  };
}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ReportError(e.what());
  } catch (...) {
    ReportError("Unbekannter Fehler");
  }
  return false;
}

}  // namespace sonavel
