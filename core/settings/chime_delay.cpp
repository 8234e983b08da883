#include "core/settings/chime_delay.hpp"

namespace kestrel {

std::int64_t rawValue(ChimeDelay delay) {
  switch (delay) {
    case ChimeDelay::atRaise: return 0;
    case ChimeDelay::s30: return 30;
    case ChimeDelay::min1: return 60;
    case ChimeDelay::min3: return 180;
  }
  return 30;
}

Seconds seconds(ChimeDelay delay) { return static_cast<Seconds>(rawValue(delay)); }

std::optional<ChimeDelay> chimeDelayFromRaw(std::int64_t rawSeconds) {
  for (ChimeDelay d : allCases<ChimeDelay>()) {
    if (rawValue(d) == rawSeconds) return d;
  }
  return std::nullopt;
}

std::string label(ChimeDelay delay) {
  switch (delay) {
    case ChimeDelay::atRaise: return "When alert starts";
    case ChimeDelay::s30: return "30 s";
    case ChimeDelay::min1: return "1 min";
    case ChimeDelay::min3: return "3 min";
  }
  return {};
}

}  // namespace kestrel
