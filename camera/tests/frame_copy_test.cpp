#include "camera/frame_copy.hpp"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(FrameCopy, CopiesEveryPlanesRowsPackedAndOwnsThem) {
  struct Case {
    const char* what;
    Frame from;
    Frame copy;
  };
  const Case cases[] = {
      {"bgr with padded rows",
       {1, 2, PixelFormat::bgr, {Plane{{1, 2, 3, 0, 4, 5, 6}, 4}}},
       {1, 2, PixelFormat::bgr, {Plane{{1, 2, 3, 4, 5, 6}, 3}}}},
      {"nv12",
       {2, 2, PixelFormat::nv12, {Plane{{1, 2, 9, 3, 4, 9}, 3}, Plane{{5, 6, 9}, 3}}},
       {2, 2, PixelFormat::nv12, {Plane{{1, 2, 3, 4}, 2}, Plane{{5, 6}, 2}}}},
      {"yu12 of odd size: chroma rounds up",
       {3, 3, PixelFormat::yu12,
        {Plane{{1, 2, 3, 4, 5, 6, 7, 8, 9}, 3}, Plane{{10, 11, 12, 13}, 2}, Plane{{20, 21, 22, 23}, 2}}},
       {3, 3, PixelFormat::yu12,
        {Plane{{1, 2, 3, 4, 5, 6, 7, 8, 9}, 3}, Plane{{10, 11, 12, 13}, 2}, Plane{{20, 21, 22, 23}, 2}}}},
      {"yuyv",
       {2, 1, PixelFormat::yuyv, {Plane{{1, 2, 3, 4, 0, 0}, 6}}},
       {2, 1, PixelFormat::yuyv, {Plane{{1, 2, 3, 4}, 4}}}},
      {"extra planes are left behind",
       {1, 1, PixelFormat::bgr, {Plane{{1, 2, 3}, 3}, Plane{{7}, 1}}},
       {1, 1, PixelFormat::bgr, {Plane{{1, 2, 3}, 3}}}},
  };
  for (const auto& c : cases) {
    Frame from = c.from;
    const auto copy = FrameCopy::make(from);
    ASSERT_NE(copy, nullptr) << c.what;
    EXPECT_EQ(copy->buffer(), c.copy) << c.what;
    from.planes[0].bytes[0] = 99;  // the camera reuses its buffer
    EXPECT_EQ(copy->buffer(), c.copy) << c.what;
  }
}

TEST(FrameCopy, NoCopyOfAFrameWhosePlanesDoNotHoldIt) {
  const Frame cases[] = {
      {0, 2, PixelFormat::bgr, {Plane{{1, 2, 3}, 3}}},                       // no width
      {1, 1, PixelFormat::bgr, {}},                                          // no plane
      {2, 2, PixelFormat::nv12, {Plane{{1, 2, 3, 4}, 2}}},                  // chroma missing
      {1, 2, PixelFormat::bgr, {Plane{{1, 2, 3, 4, 5}, 3}}},                // a byte short
      {2, 1, PixelFormat::bgr, {Plane{{1, 2, 3, 4, 5, 6}, 4}}},             // stride below the row
      {2, 2, PixelFormat::yu12, {Plane{{1, 2, 3, 4}, 2}, Plane{{5}, 1}, Plane{}}},  // empty V plane
  };
  for (const auto& frame : cases) EXPECT_EQ(FrameCopy::make(frame), nullptr) << toText(frame.format);
  // Exactly enough: the last row needs no padding after it.
  EXPECT_NE(FrameCopy::make({1, 2, PixelFormat::bgr, {Plane{{1, 2, 3, 0, 4, 5, 6}, 4}}}), nullptr);
}

}  // namespace
}  // namespace kestrel
