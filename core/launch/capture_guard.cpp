#include "core/launch/capture_guard.hpp"

namespace kestrel {

CaptureGuard::Decision CaptureGuard::decide(bool appRunning, std::optional<bool> paused) {
  if (!appRunning) return Allow{};
  if (!paused) return Refuse{"Kestrel is running and its pause state can't be read. Quit it first."};
  if (*paused) return Allow{};
  return Refuse{"Kestrel is running. Pause it (Pause until resumed) or quit it first."};
}

std::optional<std::string> CaptureGuard::decideEffects(const std::vector<std::string>& active) {
  if (active.empty()) return std::nullopt;
  std::string message = "Turn off camera effects first: ";
  for (std::size_t i = 0; i < active.size(); ++i) {
    if (i > 0) message += ", ";
    message += active[i];
  }
  return message + ".";
}

}  // namespace kestrel
