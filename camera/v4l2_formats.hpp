#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/launch/frame_rate.hpp"

namespace kestrel {

// A fraction as V4L2 gives it: frame intervals in seconds.
struct Fraction {
  std::uint32_t numerator = 0;
  std::uint32_t denominator = 1;

  bool operator==(const Fraction&) const = default;
};

// The frame intervals a camera offers at one format and size: a list of its own, or any
// interval from `shortest` to `longest` (stepwise or continuous).
struct FrameIntervals {
  std::vector<Fraction> discrete;
  Fraction shortest;
  Fraction longest;

  bool operator==(const FrameIntervals&) const = default;
};

struct FrameSize {
  int width = 0;
  int height = 0;

  bool operator==(const FrameSize&) const = default;
};

// The decisions about a V4L2 camera's formats, frame sizes and frame rates.
namespace V4l2Formats {

// The four characters of a pixel format ("NV12"); other bytes as '?'.
std::string fourccText(std::uint32_t fourcc);
// Pixel formats whose frames can be read: NV12 and YU12 (4:2:0, handed over as they are),
// and YUYV, MJPEG, JPEG, BGR3 and RGB3 (turned into BGR).
bool handled(std::uint32_t fourcc);
bool isYUV420(std::uint32_t fourcc);

// Frames per second of an interval; 0 for an empty one.
double rate(const Fraction& interval);
// The rate ranges of a size. A list of intervals makes one range from the slowest to the
// fastest (a rate in between is set to the nearest offered, `intervalFor`); a stepwise or
// continuous span is its own range. No intervals at all: no ranges.
std::vector<FrameRateRange> rateRanges(const FrameIntervals& intervals);
// The interval to ask for `rate`: from a list, the slowest offered rate that is at least
// `rate`, or the fastest when none is; otherwise a thousand over the rate times a thousand.
Fraction intervalFor(double rate, const FrameIntervals& intervals);

// Whether a stream must be restarted for a rate the driver accepted while streaming to
// take effect at once. Drivers that accept it (vivid among them) still deliver the frame in
// flight at the interval in force, which at an idle rate of one frame a second delays a
// burst by up to a second. Only a faster rate is worth the restart; an unknown interval in
// force is left alone.
bool restartForRate(const std::optional<Fraction>& current, const Fraction& accepted);

// The sizes offered by a stepwise or continuous size range: the common sizes 640x360,
// 640x480, 1280x720 and 1920x1080 that fit its steps, then its largest size.
std::vector<FrameSize> stepwiseSizes(FrameSize smallest, FrameSize largest, FrameSize step);

// The pixel format to ask for at the 1280 by 720 preset: the first handled one, in the
// camera's own order; none when the camera offers nothing that can be read.
std::optional<std::uint32_t> presetFourcc(const std::vector<std::uint32_t>& offered);

}  // namespace V4l2Formats

}  // namespace kestrel
