// Keeps the screen saver off while a hearing test runs: a screen saver starting in the middle of
// a run would hide the test window from the operator. Uses org.freedesktop.ScreenSaver on the
// session bus; without a bus or without the service the program works on and says nothing.
#pragma once

#include <QObject>
#include <cstdint>

namespace sonavel {

class ScreenSaverInhibitor : public QObject {
  Q_OBJECT
 public:
  explicit ScreenSaverInhibitor(QObject* parent = nullptr) : QObject(parent) {}
  ~ScreenSaverInhibitor() override;

  // Both are idempotent.
  void Inhibit();
  void Release();
  // What the program asked for last (whether or not a service answered).
  bool Inhibited() const { return wanted_; }
  // A service holds an inhibition for us.
  bool Held() const { return cookie_ != 0; }

 private:
  void SendUnInhibit(uint32_t cookie);

  bool wanted_ = false;
  bool pending_ = false;
  uint32_t cookie_ = 0;
};

}  // namespace sonavel
