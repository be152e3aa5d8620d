// The general error report: an error a handler lets through is shown, and the program goes on.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/qt_host.h"
#include "core/error.h"

namespace sonavel {
namespace {

class ThrowingObject : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw SonavelError("Die Datei kann nicht gelesen werden");
    return QObject::event(e);
  }
};

TEST(GeneralErrorReport, AnErrorLeftByAHandlerIsShownAndTheEventLoopGoesOn) {
  auto* app = static_cast<Application*>(QCoreApplication::instance());
  std::vector<std::string> shown;
  const auto previous = app->ReportError;
  app->ReportError = [&](const std::string& text) { shown.push_back(text); };

  ThrowingObject target;
  QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
  QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
  QCoreApplication::processEvents();
  app->ReportError = previous;

  EXPECT_EQ(shown, (std::vector<std::string>{"Die Datei kann nicht gelesen werden",
                                             "Die Datei kann nicht gelesen werden"}));
}

}  // namespace
}  // namespace sonavel
