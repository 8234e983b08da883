#pragma once

#include <functional>
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

}  // namespace kestrel
