#pragma once

#include <functional>
#include <future>
#include <memory>

#include "core/model/measurements.hpp"
#include "vision/frame.hpp"

namespace kestrel {

class Analyzer;

// One frame into its measurements, without face landmarks; throws when the frame cannot be
// analysed. The frame source calls it on its camera queue only.
using FrameAnalysis = std::function<Measurements(const Frame&)>;

// The analysis of the application: the analyzer's, shared with nobody else.
FrameAnalysis analysisBy(std::shared_ptr<Analyzer> analyzer);
// The same of an analyzer still loading on another thread: the first frame waits for it, and
// every frame after a failed load throws the load's error.
FrameAnalysis analysisBy(std::shared_future<std::shared_ptr<Analyzer>> analyzer);

}  // namespace kestrel
