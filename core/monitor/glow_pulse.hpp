#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "core/base/instant.hpp"

namespace kestrel {

// A newly raised alert makes the glow dim and brighten again three times in two seconds.
namespace GlowPulse {

inline constexpr std::int64_t count = 3;
inline constexpr Seconds duration = 2.0;
inline constexpr double dimmedOpacity = 0.25;
// One dimming or one brightening.
inline constexpr Seconds halfCycle = duration / (2 * count);

// Whether to pulse: some alert raised by the latest output is among the visible ones.
// `raisedAlertIds` are the ids of that output's raise events; an alert raised hidden is
// not visible and does not pulse.
bool shouldPulse(const std::vector<std::string>& raisedAlertIds, const std::set<std::string>& visible);

}  // namespace GlowPulse

}  // namespace kestrel
