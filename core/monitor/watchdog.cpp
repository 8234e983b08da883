#include "core/monitor/watchdog.hpp"

#include <algorithm>

namespace kestrel {

void Watchdog::arm(Instant at) {
  if (lastFrameAt) return;
  lastFrameAt = at;
  heldTimeout.reset();
  stage = Ok{};
}

void Watchdog::disarm() {
  lastFrameAt.reset();
  heldTimeout.reset();
  stage = Ok{};
}

void Watchdog::setTimeout(Seconds t) {
  if (lastFrameAt && t < limit()) {
    // Lowered during a wait: the wait in progress still runs to the longer limit.
    heldTimeout = std::max(timeout, heldTimeout.value_or(0));
  }
  timeout = t;
}

Seconds Watchdog::limit() const { return heldTimeout ? std::max(timeout, *heldTimeout) : timeout; }

std::optional<Watchdog::Action> Watchdog::tick(Instant now, bool running) {
  if (!running || !lastFrameAt) return std::nullopt;
  const Seconds wait = std::max(limit(), 0.0);
  if (std::holds_alternative<Ok>(stage)) {
    if (now - *lastFrameAt < wait) return std::nullopt;
    stage = Restarted{now};
    return Action::restart;
  }
  if (const auto* restarted = std::get_if<Restarted>(&stage)) {
    if (now - restarted->since < wait) return std::nullopt;
    stage = Stopped{};
    return Action::stop;
  }
  return std::nullopt;
}

}  // namespace kestrel
