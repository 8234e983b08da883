#include "camera/frame_analysis.hpp"

#include "vision/analyzer.hpp"

namespace kestrel {

FrameAnalysis analysisBy(std::shared_ptr<Analyzer> analyzer) {
  return [analyzer = std::move(analyzer)](const Frame& frame) { return analyzer->analyze(frame, false).measurements; };
}

FrameAnalysis analysisBy(std::shared_future<std::shared_ptr<Analyzer>> analyzer) {
  return [analyzer = std::move(analyzer)](const Frame& frame) {
    return analyzer.get()->analyze(frame, false).measurements;
  };
}

}  // namespace kestrel
