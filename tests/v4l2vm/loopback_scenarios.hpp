#pragma once

#include <vector>

#include "tests/v4l2vm/vivid_scenarios.hpp"

namespace kestrel::vm {

// The V4L2 camera on a v4l2loopback node fed with Motion-JPEG frames.
std::vector<Scenario> loopbackScenarios();

}  // namespace kestrel::vm
