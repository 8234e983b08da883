#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tests/v4l2vm/guest_support.hpp"

namespace kestrel::vm {

struct Scenario {
  std::string name;
  std::function<void(Tally&)> run;
};

// The V4L2 camera on vivid's webcam input, in the order they must run (the last one unbinds
// and binds the device).
std::vector<Scenario> vividScenarios();
// The frame source on vivid: a whole check with its burst and doze, and a lost camera.
std::vector<Scenario> vividSourceScenarios();
// The V4L2 camera and the frame source on a v4l2loopback node fed with Motion-JPEG frames.
std::vector<Scenario> loopbackScenarios();

}  // namespace kestrel::vm
