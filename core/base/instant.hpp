#pragma once

namespace kestrel {

// A moment in time: seconds since the Unix epoch (UTC), as a real.
// The logic never reads a clock; every operation is handed the instant it concerns.
using Instant = double;

// A duration in seconds.
using Seconds = double;

}  // namespace kestrel
