#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/monitor/active_alert.hpp"
#include "core/monitor/head_alert_tracker.hpp"
#include "core/base/enum_text.hpp"
#include "core/base/instant.hpp"
#include "core/judgement/verdict.hpp"

// What goes into the monitor and what comes out of it.

namespace kestrel {

// Power and screen-lock notifications of the desktop session.
enum class SystemEvent { sleep, wake, displaySleep, displayWake, lock, unlock };

template <>
struct EnumTexts<SystemEvent> {
  static constexpr std::array table{std::pair{SystemEvent::sleep, std::string_view{"sleep"}},
                                    std::pair{SystemEvent::wake, std::string_view{"wake"}},
                                    std::pair{SystemEvent::displaySleep, std::string_view{"display_sleep"}},
                                    std::pair{SystemEvent::displayWake, std::string_view{"display_wake"}},
                                    std::pair{SystemEvent::lock, std::string_view{"lock"}},
                                    std::pair{SystemEvent::unlock, std::string_view{"unlock"}}};
};

// True for sleep, display sleep and lock.
bool stopsCamera(SystemEvent e);

// The last definite reading of a check.
enum class LastReading { good, bad };

// Absent for a skipped, mixed, inconclusive or head-less check; bad when the head or the
// hand was bad; good when the head was good.
std::optional<LastReading> lastReadingOf(const CheckResult& check);

// The frames of the check disagreed on the head or the hand.
bool isMixed(const CheckResult& check);

// ---- inputs: everything that happens, each stamped with its instant ------------------------

namespace input {
struct Launch {
  Instant at = 0;
  bool operator==(const Launch&) const = default;
};
struct Check {
  CheckResult result;
  Instant at = 0;
  bool operator==(const Check&) const = default;
};
struct FrameArrived {
  Instant at = 0;
  bool operator==(const FrameArrived&) const = default;
};
struct Tick {
  Instant at = 0;
  bool operator==(const Tick&) const = default;
};
struct System {
  SystemEvent event = SystemEvent::wake;
  Instant at = 0;
  bool operator==(const System&) const = default;
};
struct Pause {
  std::optional<Instant> until;  // absent: until resumed
  Instant at = 0;
  bool operator==(const Pause&) const = default;
};
struct Resume {
  Instant at = 0;
  bool operator==(const Resume&) const = default;
};
struct Snooze {
  Instant until = 0;
  Instant at = 0;
  bool operator==(const Snooze&) const = default;
};
struct HideGlow {
  Instant until = 0;
  Instant at = 0;
  bool operator==(const HideGlow&) const = default;
};
struct CalibrationStarted {
  Instant at = 0;
  bool operator==(const CalibrationStarted&) const = default;
};
struct CalibrationEnded {
  bool saved = false;
  Instant at = 0;
  bool operator==(const CalibrationEnded&) const = default;
};
struct CameraStarted {
  Instant at = 0;
  bool operator==(const CameraStarted&) const = default;
};
struct CameraMissing {
  Instant at = 0;
  bool operator==(const CameraMissing&) const = default;
};
struct CameraBack {
  Instant at = 0;
  bool operator==(const CameraBack&) const = default;
};
struct Wrong {
  AlertModule module = AlertModule::head;
  Instant at = 0;
  bool operator==(const Wrong&) const = default;
};
}  // namespace input

using MonitorInput =
    std::variant<input::Launch, input::Check, input::FrameArrived, input::Tick, input::System, input::Pause,
                 input::Resume, input::Snooze, input::HideGlow, input::CalibrationStarted, input::CalibrationEnded,
                 input::CameraStarted, input::CameraMissing, input::CameraBack, input::Wrong>;

// The instant an input carries.
Instant instantOf(const MonitorInput& in);

// ---- events: what the monitor decided, for the event log -----------------------------------

namespace event {
struct AlertRaised {
  AlertModule module = AlertModule::head;
  std::string alertId;
  std::string hint;
  bool hidden = false;  // raised while the glow was hidden or disabled
  bool operator==(const AlertRaised&) const = default;
};
struct AlertCleared {
  AlertModule module = AlertModule::head;
  std::string alertId;
  ClearReason reason = ClearReason::recovered;
  bool operator==(const AlertCleared&) const = default;
};
struct Chime {
  AlertModule module = AlertModule::head;
  std::string alertId;
  bool operator==(const Chime&) const = default;
};
struct Wrong {
  AlertModule module = AlertModule::head;
  std::string alertId;
  bool operator==(const Wrong&) const = default;
};
struct Paused {
  std::optional<Instant> until;
  bool operator==(const Paused&) const = default;
};
struct Snoozed {
  Instant until = 0;
  bool operator==(const Snoozed&) const = default;
};
struct HideGlow {
  Instant until = 0;
  bool operator==(const HideGlow&) const = default;
};
struct AwayOn {
  SkipReason reason = SkipReason::noFace;
  bool operator==(const AwayOn&) const = default;
};
struct DegradedOn {
  std::string reason;  // the status text
  bool operator==(const DegradedOn&) const = default;
};
struct System {
  SystemEvent event = SystemEvent::wake;
  bool operator==(const System&) const = default;
};
struct CalibrationEnded {
  bool saved = false;
  bool operator==(const CalibrationEnded&) const = default;
};
// Events without a payload.
struct Launch {
  bool operator==(const Launch&) const = default;
};
struct Resumed {
  bool operator==(const Resumed&) const = default;
};
struct AwayOff {
  bool operator==(const AwayOff&) const = default;
};
struct StaleOn {
  bool operator==(const StaleOn&) const = default;
};
struct StaleOff {
  bool operator==(const StaleOff&) const = default;
};
struct DegradedOff {
  bool operator==(const DegradedOff&) const = default;
};
struct WatchdogRestart {
  bool operator==(const WatchdogRestart&) const = default;
};
struct CameraStopped {
  bool operator==(const CameraStopped&) const = default;
};
struct CameraMissing {
  bool operator==(const CameraMissing&) const = default;
};
struct CameraBack {
  bool operator==(const CameraBack&) const = default;
};
struct CalibrationStarted {
  bool operator==(const CalibrationStarted&) const = default;
};
}  // namespace event

using MonitorEvent =
    std::variant<event::AlertRaised, event::AlertCleared, event::Chime, event::Wrong, event::Paused, event::Snoozed,
                 event::HideGlow, event::AwayOn, event::DegradedOn, event::System, event::CalibrationEnded,
                 event::Launch, event::Resumed, event::AwayOff, event::StaleOn, event::StaleOff, event::DegradedOff,
                 event::WatchdogRestart, event::CameraStopped, event::CameraMissing, event::CameraBack,
                 event::CalibrationStarted>;

// The ids of the alertRaised events, in order: what may make the glow pulse.
std::vector<std::string> raisedAlertIds(const std::vector<MonitorEvent>& events);

// ---- commands: what the shell is to do -----------------------------------------------------

enum class MonitorCommand { startCamera, stopCamera, restartSession, playChime, recheckPermission };

// The answer to one input.
struct MonitorOutput {
  std::vector<MonitorEvent> events;      // in emission order
  std::vector<MonitorCommand> commands;  // in emission order
  bool writeCheckLine = false;           // the check of this input is to be logged
  bool checkStale = false;               // the stale state after this check, logged with it

  bool operator==(const MonitorOutput&) const = default;
};

}  // namespace kestrel
