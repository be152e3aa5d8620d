#include "app/screen_saver.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace sonavel {

namespace {

const char* const Service = "org.freedesktop.ScreenSaver";
const char* const Path = "/org/freedesktop/ScreenSaver";

bool ServiceAvailable() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()) return false;
  return bus.interface()->isServiceRegistered(QString::fromLatin1(Service)).value();
}

}  // namespace

ScreenSaverInhibitor::~ScreenSaverInhibitor() {
  if (cookie_ != 0) SendUnInhibit(cookie_);
}

void ScreenSaverInhibitor::Inhibit() {
  if (wanted_) return;
  wanted_ = true;
  if (pending_ || cookie_ != 0 || !ServiceAvailable()) return;
  QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(Service), QString::fromLatin1(Path),
                                                     QString::fromLatin1(Service), QStringLiteral("Inhibit"));
  call << QStringLiteral("Sonavel") << QStringLiteral("Hörtest läuft");
  // Asynchronous: a slow service must not stall the run that pumps events.
  pending_ = true;
  auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    pending_ = false;
    QDBusPendingReply<uint32_t> reply = *w;
    w->deleteLater();
    if (reply.isError()) return;
    if (wanted_)
      cookie_ = reply.value();
    else
      SendUnInhibit(reply.value());  // the run ended before the service answered
  });
}

void ScreenSaverInhibitor::Release() {
  if (!wanted_) return;
  wanted_ = false;
  if (cookie_ != 0) {
    SendUnInhibit(cookie_);
    cookie_ = 0;
  }
}

void ScreenSaverInhibitor::SendUnInhibit(uint32_t cookie) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusMessage call =
      QDBusMessage::createMethodCall(QString::fromLatin1(Service), QString::fromLatin1(Path),
                                     QString::fromLatin1(Service), QStringLiteral("UnInhibit"));
  call << cookie;
  bus.call(call, QDBus::NoBlock);
}

}  // namespace sonavel
