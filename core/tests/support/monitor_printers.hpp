#pragma once

// Readable failure messages for the monitor's events and commands.

#include <ostream>

#include "core/monitor/monitor_io.hpp"

namespace kestrel {

inline void PrintTo(MonitorCommand c, std::ostream* os) {
  constexpr const char* names[] = {"startCamera", "stopCamera", "restartSession", "playChime", "recheckPermission"};
  *os << names[static_cast<int>(c)];
}

namespace event {

inline void PrintTo(const AlertRaised& e, std::ostream* os) {
  *os << "alertRaised(" << toText(e.module) << ", " << e.alertId << ", " << e.hint << (e.hidden ? ", hidden)" : ")");
}
inline void PrintTo(const AlertCleared& e, std::ostream* os) {
  *os << "alertCleared(" << toText(e.module) << ", " << e.alertId << ", " << toText(e.reason) << ")";
}
inline void PrintTo(const Chime& e, std::ostream* os) { *os << "chime(" << toText(e.module) << ", " << e.alertId << ")"; }
inline void PrintTo(const Wrong& e, std::ostream* os) { *os << "wrong(" << toText(e.module) << ", " << e.alertId << ")"; }
inline void PrintTo(const Paused& e, std::ostream* os) {
  *os << "paused(";
  if (e.until) *os << *e.until;
  *os << ")";
}
inline void PrintTo(const Snoozed& e, std::ostream* os) { *os << "snoozed(" << e.until << ")"; }
inline void PrintTo(const HideGlow& e, std::ostream* os) { *os << "hideGlow(" << e.until << ")"; }
inline void PrintTo(const AwayOn& e, std::ostream* os) { *os << "awayOn(" << toText(e.reason) << ")"; }
inline void PrintTo(const DegradedOn& e, std::ostream* os) { *os << "degradedOn(" << e.reason << ")"; }
inline void PrintTo(const System& e, std::ostream* os) { *os << "system(" << toText(e.event) << ")"; }
inline void PrintTo(const CalibrationEnded& e, std::ostream* os) { *os << "calibrationEnded(" << e.saved << ")"; }
inline void PrintTo(const Launch&, std::ostream* os) { *os << "launch"; }
inline void PrintTo(const Resumed&, std::ostream* os) { *os << "resumed"; }
inline void PrintTo(const AwayOff&, std::ostream* os) { *os << "awayOff"; }
inline void PrintTo(const StaleOn&, std::ostream* os) { *os << "staleOn"; }
inline void PrintTo(const StaleOff&, std::ostream* os) { *os << "staleOff"; }
inline void PrintTo(const DegradedOff&, std::ostream* os) { *os << "degradedOff"; }
inline void PrintTo(const WatchdogRestart&, std::ostream* os) { *os << "watchdogRestart"; }
inline void PrintTo(const CameraStopped&, std::ostream* os) { *os << "cameraStopped"; }
inline void PrintTo(const CameraMissing&, std::ostream* os) { *os << "cameraMissing"; }
inline void PrintTo(const CameraBack&, std::ostream* os) { *os << "cameraBack"; }
inline void PrintTo(const CalibrationStarted&, std::ostream* os) { *os << "calibrationStarted"; }

}  // namespace event
}  // namespace kestrel
