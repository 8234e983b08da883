#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace kestrel {

// Whether a developer tool may take the camera while the monitoring application runs:
// only when the application is known to be paused, so the two never fight over the device.
struct CaptureGuard {
  struct Allow {
    bool operator==(const Allow&) const = default;
  };
  struct Refuse {
    std::string message;
    bool operator==(const Refuse&) const = default;
  };
  using Decision = std::variant<Allow, Refuse>;

  // `paused` is absent when the application's pause state could not be read.
  static Decision decide(bool appRunning, std::optional<bool> paused);
  // A message asking to turn the named camera effects off; none when no effect is active.
  static std::optional<std::string> decideEffects(const std::vector<std::string>& active);
};

}  // namespace kestrel
