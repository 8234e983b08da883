#include "core/base/progress_text.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kestrel {

namespace {

std::optional<std::int64_t> knownTotal(const std::optional<std::int64_t>& total) {
  if (total && *total > 0) return total;
  return std::nullopt;
}

std::string rateText(std::optional<double> rate, const std::string& unit) {
  const std::string name = unit == "frames" ? "fps" : unit + "/s";
  if (!rate) return "-- " + name;
  char text[32];
  std::snprintf(text, sizeof text, "%.1f ", *rate);
  return text + name;
}

std::string twoDigits(std::int64_t n) { return (n < 10 ? "0" : "") + std::to_string(n); }

}  // namespace

std::optional<double> Progress::rate() const {
  if (done <= 0 || !(elapsed > 0)) return std::nullopt;
  return static_cast<double>(done) / elapsed;
}

std::optional<std::int64_t> Progress::secondsLeft() const {
  const auto expected = knownTotal(total);
  if (!expected) return std::nullopt;
  if (done >= *expected) return 0;
  const auto perSecond = rate();
  if (!perSecond) return std::nullopt;
  return static_cast<std::int64_t>(std::ceil(static_cast<double>(*expected - done) / *perSecond));
}

std::string Progress::line(int barWidth) const {
  const auto expected = knownTotal(total);
  if (!expected) return std::to_string(done) + " " + unit + "  " + rateText(rate(), unit);
  const std::int64_t shown = std::clamp<std::int64_t>(done, 0, *expected);
  const std::int64_t width = std::max(barWidth, 0);
  const std::int64_t filled = shown * width / *expected;
  const std::int64_t percent = shown * 100 / *expected;
  std::string text = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                     std::string(static_cast<std::size_t>(width - filled), '.') + "] ";
  if (percent < 100) text += ' ';
  if (percent < 10) text += ' ';
  text += std::to_string(percent) + "%  " + std::to_string(done) + "/" + std::to_string(*expected) + " " + unit +
          "  " + rateText(rate(), unit) + "  ";
  const auto left = secondsLeft();
  text += (left ? clockText(*left) : "-:--") + " left";
  return text;
}

std::string Progress::summary() const {
  const auto seconds = static_cast<std::int64_t>(std::llround(std::max(elapsed, 0.0)));
  std::string text = std::to_string(done) + " " + unit + " in " + clockText(seconds);
  if (const auto perSecond = rate()) text += " (" + rateText(perSecond, unit) + ")";
  return text;
}

std::string clockText(std::int64_t seconds) {
  seconds = std::max<std::int64_t>(seconds, 0);
  const std::int64_t hours = seconds / 3600;
  const std::int64_t minutes = seconds / 60 % 60;
  const std::string rest = twoDigits(seconds % 60);
  if (hours == 0) return std::to_string(minutes) + ":" + rest;
  return std::to_string(hours) + ":" + twoDigits(minutes) + ":" + rest;
}

}  // namespace kestrel
