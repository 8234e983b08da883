#include "camera/v4l2_formats.hpp"

#include <linux/videodev2.h>

#include <algorithm>

namespace kestrel {

std::string V4l2Formats::fourccText(std::uint32_t fourcc) {
  std::string text;
  for (int shift = 0; shift < 32; shift += 8) {
    const auto c = static_cast<char>((fourcc >> shift) & 0xFFU);
    text += c >= 0x20 && c < 0x7F ? c : '?';
  }
  return text;
}

bool V4l2Formats::handled(std::uint32_t fourcc) {
  switch (fourcc) {
    case V4L2_PIX_FMT_NV12:
    case V4L2_PIX_FMT_YUV420:
    case V4L2_PIX_FMT_YUYV:
    case V4L2_PIX_FMT_MJPEG:
    case V4L2_PIX_FMT_JPEG:
    case V4L2_PIX_FMT_BGR24:
    case V4L2_PIX_FMT_RGB24:
      return true;
    default:
      return false;
  }
}

bool V4l2Formats::isYUV420(std::uint32_t fourcc) {
  return fourcc == V4L2_PIX_FMT_NV12 || fourcc == V4L2_PIX_FMT_YUV420;
}

double V4l2Formats::rate(const Fraction& interval) {
  if (interval.numerator == 0) return 0;
  return static_cast<double>(interval.denominator) / static_cast<double>(interval.numerator);
}

std::vector<FrameRateRange> V4l2Formats::rateRanges(const FrameIntervals& intervals) {
  if (intervals.discrete.empty()) {
    const double fastest = rate(intervals.shortest);
    const double slowest = rate(intervals.longest);
    if (fastest <= 0 || slowest <= 0) return {};
    return {{slowest, fastest}};
  }
  std::optional<FrameRateRange> range;
  for (const auto& interval : intervals.discrete) {
    const double r = rate(interval);
    if (r <= 0) continue;
    range = range ? FrameRateRange{std::min(range->minRate, r), std::max(range->maxRate, r)} : FrameRateRange{r, r};
  }
  if (!range) return {};
  return {*range};
}

Fraction V4l2Formats::intervalFor(double rate, const FrameIntervals& intervals) {
  if (intervals.discrete.empty()) {
    const auto duration = FrameRate::duration(rate);
    return {static_cast<std::uint32_t>(duration.value), static_cast<std::uint32_t>(std::max(duration.timescale, 1))};
  }
  // Rates read from fractions are compared with a little slack.
  constexpr double slack = 1e-9;
  std::optional<Fraction> slowestEnough;
  std::optional<Fraction> fastest;
  for (const auto& interval : intervals.discrete) {
    const double r = V4l2Formats::rate(interval);
    if (r <= 0) continue;
    if (r + slack >= rate && (!slowestEnough || r < V4l2Formats::rate(*slowestEnough))) slowestEnough = interval;
    if (!fastest || r > V4l2Formats::rate(*fastest)) fastest = interval;
  }
  if (slowestEnough) return *slowestEnough;
  if (fastest) return *fastest;
  return intervalFor(rate, FrameIntervals{});
}

bool V4l2Formats::restartForRate(const std::optional<Fraction>& current, const Fraction& accepted) {
  if (!current || rate(*current) <= 0) return false;
  constexpr double slack = 1e-9;
  return rate(accepted) > rate(*current) + slack;
}

std::vector<FrameSize> V4l2Formats::stepwiseSizes(FrameSize smallest, FrameSize largest, FrameSize step) {
  const auto fits = [&](int value, int low, int high, int stride) {
    return value >= low && value <= high && (stride <= 0 || (value - low) % stride == 0);
  };
  std::vector<FrameSize> sizes;
  for (const FrameSize size : {FrameSize{640, 360}, FrameSize{640, 480}, FrameSize{1280, 720}, FrameSize{1920, 1080}}) {
    if (fits(size.width, smallest.width, largest.width, step.width) &&
        fits(size.height, smallest.height, largest.height, step.height)) {
      sizes.push_back(size);
    }
  }
  if (largest.width > 0 && largest.height > 0 && std::find(sizes.begin(), sizes.end(), largest) == sizes.end()) {
    sizes.push_back(largest);
  }
  return sizes;
}

std::optional<std::uint32_t> V4l2Formats::presetFourcc(const std::vector<std::uint32_t>& offered) {
  const auto found = std::find_if(offered.begin(), offered.end(), handled);
  if (found == offered.end()) return std::nullopt;
  return *found;
}

}  // namespace kestrel
