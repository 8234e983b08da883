#pragma once

#include <stdexcept>
#include <string>

namespace kestrel {

// What the user is told when a model file is absent, unreadable or not the pinned file.
inline constexpr const char* visionModelsMissingMessage = "vision models missing or damaged: run scripts/setup";

// A failure of the analyzer: its models cannot be loaded, or a frame cannot be analysed.
struct VisionError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace kestrel
