#include "core/monitor/glow_pulse.hpp"

#include <algorithm>

namespace kestrel {

bool GlowPulse::shouldPulse(const std::vector<std::string>& raisedAlertIds, const std::set<std::string>& visible) {
  return std::any_of(raisedAlertIds.begin(), raisedAlertIds.end(),
                     [&](const std::string& id) { return visible.count(id) > 0; });
}

}  // namespace kestrel
