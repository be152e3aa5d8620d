// The program's application object: the general error report. An error that a handler does not
// catch ends that handler and is shown in a message box with its text; the program keeps running.
#pragma once

#include <QApplication>
#include <functional>
#include <string>

namespace sonavel {

class Application : public QApplication {
 public:
  Application(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

  // Shows the report; the tests replace it to read the text back.
  std::function<void(const std::string&)> ReportError;
};

}  // namespace sonavel
