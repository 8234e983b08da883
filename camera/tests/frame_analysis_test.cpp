#include "camera/frame_analysis.hpp"

#include <gtest/gtest.h>

#include <future>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include "vision/analyzer.hpp"
#include "vision/vision_error.hpp"

namespace kestrel {
namespace {

using Loading = std::promise<std::shared_ptr<Analyzer>>;

TEST(FrameAnalysis, AStillLoadingAnalyzerIsWaitedForAndItsFailureIsEveryFramesError) {
  const cv::Mat photo = cv::imread(std::string(KESTREL_TEST_PHOTOS) + "/227943776_1.jpg", cv::IMREAD_COLOR);
  ASSERT_FALSE(photo.empty()) << "missing test photo (Debian package opencv-doc)";
  const Frame frame = frameFromBgr(photo);

  // The first frame comes before the models are in: it waits, then is analysed as by the
  // loaded analyzer itself.
  Loading loading;
  const FrameAnalysis analysis = analysisBy(loading.get_future().share());
  auto first = std::async(std::launch::async, [&] { return analysis(frame); });
  EXPECT_EQ(first.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
  const auto analyzer = std::make_shared<Analyzer>();
  loading.set_value(analyzer);
  const Measurements measured = first.get();
  EXPECT_EQ(measured, analysisBy(analyzer)(frame));
  EXPECT_EQ(measured.faces.size(), 1U);

  Loading failing;
  const FrameAnalysis none = analysisBy(failing.get_future().share());
  failing.set_exception(std::make_exception_ptr(VisionError(visionModelsMissingMessage)));
  for (int i = 0; i < 2; ++i) {
    try {
      none(frame);
      ADD_FAILURE() << "frame " << i << " was analysed";
    } catch (const VisionError& error) {
      EXPECT_STREQ(error.what(), visionModelsMissingMessage) << i;
    }
  }
}

}  // namespace
}  // namespace kestrel
