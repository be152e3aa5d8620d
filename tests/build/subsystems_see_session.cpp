// Built in a layer that sees src/session, and in the subsystems' own, which must not.
#include "session/devices.h"

int ProbeSubsystemsSeeSession() { return sizeof(sonavel::Devices) > 0 ? 1 : 0; }
