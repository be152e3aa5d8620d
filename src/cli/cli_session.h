// The session of a device command: the drivers the machine offers (or those SONAVEL_AUDIO and a
// mixer fixture ask for), the console host, no settings key and windows that draw nothing.
#pragma once
#if SONAVEL_HAVE_PLATFORM

#include <ostream>

#include "cli/console_host.h"
#include "platform/drivers.h"
#include "platform/sim/sim_views.h"
#include "session/session.h"

namespace sonavel::cli {

class CliSession {
 public:
  // Throws SonavelError for an unknown SONAVEL_AUDIO value or a malformed mixer fixture.
  explicit CliSession(std::ostream& err, const DriverOptions& options = {})
      : Host(err),
        Drivers(MakeDrivers(Host, options)),
        session_({Drivers.View(), Host, noKey_, RegionalDeDe(), testWindow_, mainWindow_}) {
    testWindow_.Bind(session_.State);
    session_.State.UseEndpointVolume = Drivers.useEndpointVolume;
  }

  Session& operator*() { return session_; }
  Session* operator->() { return &session_; }

  ConsoleHost Host;
  PlatformDrivers Drivers;

 private:
  AbsentKeyStore noKey_;
  SimTestWindow testWindow_;
  SimMainWindow mainWindow_;
  Session session_;
};

}  // namespace sonavel::cli

#endif
