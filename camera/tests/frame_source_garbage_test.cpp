#include <gtest/gtest.h>
#include <linux/videodev2.h>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include "camera/raw_frame.hpp"
#include "camera/tests/frame_source_rig.hpp"

namespace kestrel {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::noon;
using testing::Rig;

Bytes jpegOf(int width, int height) {
  Bytes bytes;
  cv::imencode(".jpg", cv::Mat(height, width, CV_8UC3, cv::Scalar(40, 120, 200)), bytes);
  return bytes;
}

// The same image claiming a size in its frame header that no camera of this format sends.
Bytes withClaimedSize(Bytes jpeg, std::uint16_t width, std::uint16_t height) {
  for (std::size_t at = 2; at + 8 < jpeg.size(); at += 2 + (jpeg[at + 2] << 8U) + jpeg[at + 3]) {
    if (jpeg[at + 1] != 0xC0) continue;
    jpeg[at + 5] = static_cast<std::uint8_t>(height >> 8U);
    jpeg[at + 6] = static_cast<std::uint8_t>(height);
    jpeg[at + 7] = static_cast<std::uint8_t>(width >> 8U);
    jpeg[at + 8] = static_cast<std::uint8_t>(width);
    break;
  }
  return jpeg;
}

// The image without its segments of one kind (0xDB: the quantization tables).
Bytes withoutSegments(const Bytes& jpeg, std::uint8_t marker) {
  Bytes out(jpeg.begin(), jpeg.begin() + 2);
  std::size_t at = 2;
  while (at + 4 <= jpeg.size() && jpeg[at + 1] != 0xDA) {
    const std::size_t end = at + 2 + (jpeg[at + 2] << 8U) + jpeg[at + 3];
    if (jpeg[at + 1] != marker) out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(at),
                                           jpeg.begin() + static_cast<std::ptrdiff_t>(end));
    at = end;
  }
  out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(at), jpeg.end());
  return out;
}

// A frame header of no width, after which the decoder once read no image at all.
const Bytes noWidth = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x10, 0x00, 0x00, 0x01, 0x01,
                       0x11, 0x00, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00};

TEST(FrameSourceGarbage, SizesAndStridesThatDoNotFitGiveNoFrame) {
  // As a driver could report them: rows that overflow the arithmetic of row lengths, a row
  // length below the width, an odd size for 4:2:0 chroma.
  struct Case {
    std::uint32_t fourcc;
    int width;
    int height;
    int bytesPerLine;
    bool keepYUV420;
  };
  const Case cases[] = {
      {V4L2_PIX_FMT_YUYV, 1073741883, 2, 0, false}, {V4L2_PIX_FMT_BGR24, 1023410177, 2, 4, false},
      {V4L2_PIX_FMT_YUV420, 5, 2, 0, true},          {V4L2_PIX_FMT_NV12, 4, 3, 4, true},
  };
  const Bytes bytes(64, 0);
  for (const auto& c : cases) {
    EXPECT_EQ(frameFromRaw({c.fourcc, c.width, c.height, c.bytesPerLine, bytes}, c.keepYUV420), std::nullopt)
        << c.width << "x" << c.height;
  }
  // A Motion-JPEG image larger than the format in use, or one claiming 60000 by 60000 when the
  // format is not known, is not decoded (nor are gigabytes set aside for it).
  const Bytes image = jpegOf(32, 16);
  EXPECT_EQ(frameFromRaw({V4L2_PIX_FMT_MJPEG, 32, 15, 0, image}, false), std::nullopt);
  EXPECT_EQ(frameFromRaw({V4L2_PIX_FMT_MJPEG, 0, 0, 0, withClaimedSize(image, 60000, 60000)}, false), std::nullopt);
  EXPECT_EQ(frameFromRaw({V4L2_PIX_FMT_MJPEG, 32, 16, 0, noWidth}, false), std::nullopt);
  const auto fits = frameFromRaw({V4L2_PIX_FMT_MJPEG, 32, 16, 0, image}, false);
  ASSERT_TRUE(fits);
  EXPECT_EQ(fits->width, 32);
  // Nor does an image without quantization tables decode with those of the image before.
  EXPECT_EQ(frameFromRaw({V4L2_PIX_FMT_MJPEG, 32, 16, 0, withoutSegments(image, 0xDB)}, false), std::nullopt);
}

TEST(FrameSourceGarbage, BadMotionJpegFramesAreSkippedAndTheGoodOnesAnalysed) {
  Rig rig({{"usb-webcam", {{640, 480, "MJPG", false, {{1, 30}}}}, std::nullopt}});
  const Bytes good = jpegOf(32, 16);
  Bytes random(3000);
  std::uint32_t state = 12345;
  for (auto& byte : random) byte = static_cast<std::uint8_t>((state = state * 1103515245U + 12345U) >> 24U);
  Bytes stale = good;  // the driver reports the whole buffer, an older image's tail included
  stale.insert(stale.end(), random.begin(), random.end());
  const std::vector<Bytes> garbage = {
      Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2)),  // truncated
      {},                                                                                // nothing
      withClaimedSize(good, 60000, 60000),                                               // oversized
      random,
      Bytes{0xFF, 0xD8, 0xFF, 0xD9},  // an image with nothing in it
      noWidth,
  };
  std::vector<Bytes> sent = garbage;
  sent.push_back(good);
  rig.camera->sendMotionJpeg(sent);
  rig.source->start(std::nullopt);
  rig.advanceTo(noon + 10);
  // The check waited for the first readable frame.
  EXPECT_EQ(rig.analyses, 1);
  ASSERT_EQ(rig.checks.size(), 1U);
  EXPECT_EQ(rig.checks[0].measurements.frameWidth, 32);
  EXPECT_EQ(rig.checks[0].measurements.frameHeight, 16);

  // A burst of ten frames a second: the bad ones use up their places, only the good ones count.
  sent = {good};
  sent.insert(sent.end(), garbage.begin(), garbage.end());
  sent.push_back(stale);
  sent.push_back(good);
  rig.camera->sendMotionJpeg(sent);
  rig.settle();
  rig.collect(static_cast<std::int64_t>(sent.size()), 0.1);
  rig.advanceTo(noon + 12);
  rig.settle();
  ASSERT_EQ(rig.bursts.size(), 1U);
  ASSERT_EQ(rig.bursts[0].size(), 3U);
  for (const auto& m : rig.bursts[0]) EXPECT_EQ((std::pair{m.frameWidth, m.frameHeight}), (std::pair{32.0, 16.0}));
  EXPECT_EQ(rig.analyses, 4);
  EXPECT_EQ(rig.camera->buffersOut(), 0);
  EXPECT_EQ(rig.camera->framesDropped(), 0);
}

}  // namespace
}  // namespace kestrel
