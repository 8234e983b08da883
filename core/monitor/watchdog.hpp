#pragma once

#include <optional>
#include <variant>

#include "core/base/instant.hpp"

namespace kestrel {

// Notices that frames stopped arriving while the camera should run: first asks for a
// session restart, then gives the camera up as stopped.
struct Watchdog {
  struct Ok {
    bool operator==(const Ok&) const = default;
  };
  struct Restarted {
    Instant since = 0;
    bool operator==(const Restarted&) const = default;
  };
  struct Stopped {
    bool operator==(const Stopped&) const = default;
  };
  using Stage = std::variant<Ok, Restarted, Stopped>;

  enum class Action { restart, stop };

  std::optional<Instant> lastFrameAt;  // absent while not armed
  Stage stage = Ok{};
  Seconds timeout = 60;
  // An earlier, longer timeout still in force for the wait in progress after a lowering.
  std::optional<Seconds> heldTimeout;

  // Starts watching from `at` unless already watching.
  void arm(Instant at);
  void setTimeout(Seconds t);
  std::optional<Action> tick(Instant now, bool running);
  // Stops watching: no last frame, no held timeout, stage ok.
  void disarm();

  bool operator==(const Watchdog&) const = default;

 private:
  Seconds limit() const;
};

}  // namespace kestrel
