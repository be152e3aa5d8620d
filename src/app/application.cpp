#include "app/application.h"

#include <QMessageBox>
#include <exception>

namespace sonavel {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  ReportError = [](const std::string& text) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), QString::fromStdString(text),
                    QMessageBox::Ok);
    box.exec();
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
