// The program's application object: the general error report. An error that a handler does not
// catch ends that handler and is shown in a message box with its text; the program keeps running.
#pragma once

#include <QApplication>
#include <functional>
#include <string>

#include "core/host.h"

namespace sonavel {

class Application : public QApplication {
 public:
  Application(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;
  // The host whose message boxes report the error (the program's).
  void SetHost(Host* host) { host_ = host; }

  // Shows the report; the tests replace it to read the text back.
  std::function<void(const std::string&)> ReportError;

 private:
  Host* host_ = nullptr;
};

}  // namespace sonavel
