#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "core/base/progress_text.hpp"

namespace kestrel::fixtures {

// A progress bar on standard error, redrawn in place a few times a second, when standard
// error is a terminal; nothing otherwise. The caller prints its own finish line afterwards.
class ProgressDisplay {
 public:
  // `label` leads the bar (a video's name); `total` is the number of items expected, when known.
  ProgressDisplay(std::string label, std::optional<std::int64_t> total);
  ~ProgressDisplay();
  ProgressDisplay(const ProgressDisplay&) = delete;
  ProgressDisplay& operator=(const ProgressDisplay&) = delete;

  // One more item done.
  void advance();
  // Removes the bar from the terminal; what has been done so far, with the time it took.
  Progress finish();

 private:
  void draw(const Progress& progress);

  std::string label_;
  Progress progress_;
  bool terminal_ = false;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace kestrel::fixtures
