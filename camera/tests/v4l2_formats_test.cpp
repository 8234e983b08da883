#include "camera/v4l2_formats.hpp"

#include <gtest/gtest.h>
#include <linux/videodev2.h>

namespace kestrel {
namespace {

TEST(V4l2Formats, NamesAndHandlesPixelFormatsAndThePresetAsksForTheFirstReadable) {
  EXPECT_EQ(V4l2Formats::fourccText(V4L2_PIX_FMT_NV12), "NV12");
  EXPECT_EQ(V4l2Formats::fourccText(V4L2_PIX_FMT_MJPEG), "MJPG");
  EXPECT_EQ(V4l2Formats::fourccText(0x00313233), "321?");
  struct Case {
    std::uint32_t fourcc;
    bool handled;
    bool yuv420;
  };
  const Case cases[] = {
      {V4L2_PIX_FMT_NV12, true, true},     {V4L2_PIX_FMT_YUV420, true, true},  {V4L2_PIX_FMT_YUYV, true, false},
      {V4L2_PIX_FMT_MJPEG, true, false},   {V4L2_PIX_FMT_JPEG, true, false},   {V4L2_PIX_FMT_BGR24, true, false},
      {V4L2_PIX_FMT_RGB24, true, false},   {V4L2_PIX_FMT_H264, false, false},  {V4L2_PIX_FMT_GREY, false, false},
      {V4L2_PIX_FMT_NV21, false, false},   {V4L2_PIX_FMT_UYVY, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(V4l2Formats::handled(c.fourcc), c.handled) << V4l2Formats::fourccText(c.fourcc);
    EXPECT_EQ(V4l2Formats::isYUV420(c.fourcc), c.yuv420) << V4l2Formats::fourccText(c.fourcc);
  }
  // The preset asks for the first readable format.
  EXPECT_EQ(V4l2Formats::presetFourcc({V4L2_PIX_FMT_H264, V4L2_PIX_FMT_MJPEG, V4L2_PIX_FMT_YUYV}), V4L2_PIX_FMT_MJPEG);
  EXPECT_EQ(V4l2Formats::presetFourcc({V4L2_PIX_FMT_YUYV, V4L2_PIX_FMT_MJPEG}), V4L2_PIX_FMT_YUYV);
  EXPECT_EQ(V4l2Formats::presetFourcc({V4L2_PIX_FMT_H264}), std::nullopt);
  EXPECT_EQ(V4l2Formats::presetFourcc({}), std::nullopt);
}

TEST(V4l2Formats, RateRangesFromFrameIntervals) {
  struct Case {
    const char* what;
    FrameIntervals intervals;
    std::vector<FrameRateRange> ranges;
  };
  const Case cases[] = {
      {"a list: slowest to fastest", {{{1, 30}, {1, 15}, {1, 5}}, {}, {}}, {{5, 30}}},
      {"one interval", {{{1, 30}}, {}, {}}, {{30, 30}}},
      {"NTSC rates", {{{1001, 30000}, {1001, 15000}}, {}, {}}, {{15000.0 / 1001, 30000.0 / 1001}}},
      {"a stepwise span", {{}, {1, 30}, {1, 1}}, {{1, 30}}},
      {"nothing offered", {}, {}},
      {"empty intervals are skipped", {{{0, 1}, {1, 10}}, {}, {}}, {{10, 10}}},
  };
  for (const auto& c : cases) EXPECT_EQ(V4l2Formats::rateRanges(c.intervals), c.ranges) << c.what;
}

TEST(V4l2Formats, AsksForTheSlowestOfferedRateThatIsFastEnough) {
  const FrameIntervals offered{{{1, 30}, {1, 15}, {1, 5}}, {}, {}};
  struct Case {
    double rate;
    Fraction interval;
  };
  const Case cases[] = {
      {5, {1, 5}},     // idle at the slowest
      {10, {1, 15}},   // a burst: at least ten
      {15, {1, 15}},   // exactly offered
      {60, {1, 30}},   // faster than anything: the fastest
  };
  for (const auto& c : cases) EXPECT_EQ(V4l2Formats::intervalFor(c.rate, offered), c.interval) << c.rate;
  const FrameIntervals span{{}, {1, 30}, {1, 1}};
  EXPECT_EQ(V4l2Formats::intervalFor(10, span), (Fraction{1000, 10000}));
  EXPECT_EQ(V4l2Formats::intervalFor(7.5, span), (Fraction{1000, 7500}));
  EXPECT_EQ(V4l2Formats::intervalFor(30000.0 / 1001, FrameIntervals{{{1001, 30000}}, {}, {}}), (Fraction{1001, 30000}));
}

TEST(V4l2Formats, OnlyAFasterRateRestartsTheStream) {
  struct Case {
    const char* what;
    std::optional<Fraction> current;
    Fraction accepted;
    bool restart;
  };
  const Case cases[] = {
      {"idle to a burst", Fraction{1, 1}, {1, 10}, true},
      {"a burst back to idle", Fraction{1, 10}, {1, 1}, false},
      {"the same rate", Fraction{1, 10}, {1, 10}, false},
      {"the same rate, written otherwise", Fraction{2, 25}, {4, 50}, false},
      {"a hair faster", Fraction{1001, 30000}, {1, 30}, true},
      {"the rate in force unknown", std::nullopt, {1, 30}, false},
      {"the rate in force empty", Fraction{0, 1}, {1, 30}, false},
  };
  for (const auto& c : cases) EXPECT_EQ(V4l2Formats::restartForRate(c.current, c.accepted), c.restart) << c.what;
}

TEST(V4l2Formats, StepwiseSizesAreTheCommonOnesThatFitThenTheLargest) {
  EXPECT_EQ(V4l2Formats::stepwiseSizes({160, 120}, {1920, 1080}, {8, 8}),
            (std::vector<FrameSize>{{640, 360}, {640, 480}, {1280, 720}, {1920, 1080}}));
  // 360 - 144 is not a multiple of 16.
  EXPECT_EQ(V4l2Formats::stepwiseSizes({176, 144}, {2592, 1944}, {16, 16}),
            (std::vector<FrameSize>{{640, 480}, {1280, 720}, {2592, 1944}}));
  EXPECT_EQ(V4l2Formats::stepwiseSizes({1, 1}, {800, 600}, {1, 1}),
            (std::vector<FrameSize>{{640, 360}, {640, 480}, {800, 600}}));
  EXPECT_EQ(V4l2Formats::stepwiseSizes({1, 1}, {1280, 720}, {0, 0}),
            (std::vector<FrameSize>{{640, 360}, {640, 480}, {1280, 720}}));  // continuous
}

}  // namespace
}  // namespace kestrel
