#include "camera/raw_frame.hpp"

#include <gtest/gtest.h>
#include <linux/videodev2.h>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

namespace kestrel {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::optional<Frame> convert(std::uint32_t fourcc, int w, int h, int bytesPerLine, const Bytes& bytes,
                             bool keepYUV420 = true) {
  return frameFromRaw({fourcc, w, h, bytesPerLine, bytes}, keepYUV420);
}

TEST(RawFrame, FourTwoZeroFramesKeepTheirPlanesWithTheirStrides) {
  // 4x2 NV12 with rows of 6 bytes: two luma rows, then one row of interleaved chroma.
  const Bytes nv12 = {10, 11, 12, 13, 0, 0, 20, 21, 22, 23, 0, 0, 128, 129, 130, 131, 0, 0};
  EXPECT_EQ(convert(V4L2_PIX_FMT_NV12, 4, 2, 6, nv12),
            (Frame{4, 2, PixelFormat::nv12,
                   {Plane{{10, 11, 12, 13, 0, 0, 20, 21, 22, 23, 0, 0}, 6}, Plane{{128, 129, 130, 131, 0, 0}, 6}}}));
  // 4x2 YU12, tightly packed: luma, then the U row, then the V row at half the width.
  const Bytes yu12 = {10, 11, 12, 13, 20, 21, 22, 23, 100, 101, 200, 201};
  EXPECT_EQ(convert(V4L2_PIX_FMT_YUV420, 4, 2, 0, yu12),
            (Frame{4, 2, PixelFormat::yu12,
                   {Plane{{10, 11, 12, 13, 20, 21, 22, 23}, 4}, Plane{{100, 101}, 2}, Plane{{200, 201}, 2}}}));
  // Without keeping 4:2:0 (the preset), the same frames come as BGR.
  const auto bgr = convert(V4L2_PIX_FMT_NV12, 4, 2, 6, nv12, false);
  ASSERT_TRUE(bgr);
  EXPECT_EQ(bgr->format, PixelFormat::bgr);
  EXPECT_EQ(bgr->width, 4);
  EXPECT_EQ(bgr->planes.at(0).stride, 12);
}

TEST(RawFrame, PackedFormatsBecomeBgr) {
  // Grey in video range: luma 126 with neutral chroma is (128 - 16) * 255 / 219 = 128 or so.
  const Bytes yuyv = {126, 128, 126, 128, 126, 128, 126, 128};
  const auto grey = convert(V4L2_PIX_FMT_YUYV, 2, 2, 4, yuyv);
  ASSERT_TRUE(grey);
  EXPECT_EQ(grey->format, PixelFormat::bgr);
  for (const auto value : grey->planes.at(0).bytes) EXPECT_NEAR(value, 128, 2);

  // Padded BGR rows lose their padding; RGB swaps to BGR.
  EXPECT_EQ(convert(V4L2_PIX_FMT_BGR24, 1, 2, 4, {1, 2, 3, 0, 4, 5, 6, 0}),
            (Frame{1, 2, PixelFormat::bgr, {Plane{{1, 2, 3, 4, 5, 6}, 3}}}));
  EXPECT_EQ(convert(V4L2_PIX_FMT_RGB24, 2, 1, 0, {1, 2, 3, 4, 5, 6}),
            (Frame{2, 1, PixelFormat::bgr, {Plane{{3, 2, 1, 6, 5, 4}, 6}}}));
}

TEST(RawFrame, ShortBuffersAndUnknownFormatsGiveNoFrame) {
  struct Case {
    std::uint32_t fourcc;
    int w;
    int h;
    int bytesPerLine;
    std::size_t size;
  };
  const Case cases[] = {
      {V4L2_PIX_FMT_NV12, 4, 2, 4, 11},   {V4L2_PIX_FMT_YUV420, 4, 2, 4, 11}, {V4L2_PIX_FMT_BGR24, 2, 2, 6, 11},
      {V4L2_PIX_FMT_H264, 2, 2, 0, 100}, {V4L2_PIX_FMT_NV12, 0, 2, 4, 100},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(convert(c.fourcc, c.w, c.h, c.bytesPerLine, Bytes(c.size, 0)), std::nullopt) << c.fourcc << " " << c.size;
  }
  // The same sizes one byte longer are enough.
  EXPECT_TRUE(convert(V4L2_PIX_FMT_NV12, 4, 2, 4, Bytes(12, 0)));
  EXPECT_TRUE(convert(V4L2_PIX_FMT_YUV420, 4, 2, 4, Bytes(12, 0)));
}

Bytes jpegOf(const cv::Mat& image) {
  Bytes bytes;
  cv::imencode(".jpg", image, bytes, {cv::IMWRITE_JPEG_QUALITY, 95});
  return bytes;
}

// The same JPEG without its Huffman tables, the way many webcams send Motion-JPEG.
Bytes withoutHuffmanTables(const Bytes& jpeg) {
  Bytes out(jpeg.begin(), jpeg.begin() + 2);
  std::size_t at = 2;
  while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] != 0xDA) {
    const std::size_t length = 2 + (static_cast<std::size_t>(jpeg[at + 2]) << 8U) + jpeg[at + 3];
    if (jpeg[at + 1] != 0xC4) out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(at),
                                         jpeg.begin() + static_cast<std::ptrdiff_t>(at + length));
    at += length;
  }
  out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(at), jpeg.end());
  return out;
}

TEST(RawFrame, MotionJpegDecodesToBgrEvenWithoutHuffmanTables) {
  cv::Mat image(16, 32, CV_8UC3, cv::Scalar(40, 120, 200));
  image(cv::Rect(0, 0, 16, 16)).setTo(cv::Scalar(200, 60, 30));
  const Bytes jpeg = jpegOf(image);
  const Bytes bare = withoutHuffmanTables(jpeg);
  ASSERT_LT(bare.size(), jpeg.size());
  std::vector<Frame> frames;
  for (const Bytes* data : {&jpeg, &bare}) {
    const auto frame = convert(V4L2_PIX_FMT_MJPEG, 0, 0, 0, *data);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->width, 32);
    EXPECT_EQ(frame->height, 16);
    EXPECT_EQ(frame->format, PixelFormat::bgr);
    const cv::Mat decoded(16, 32, CV_8UC3, const_cast<std::uint8_t*>(frame->planes[0].bytes.data()));
    // Away from the edge between the halves, where the halved colour resolution blends them.
    for (int c = 0; c < 3; ++c) {
      EXPECT_NEAR(decoded.at<cv::Vec3b>(8, 4)[c], image.at<cv::Vec3b>(8, 4)[c], 4) << c;
      EXPECT_NEAR(decoded.at<cv::Vec3b>(8, 27)[c], image.at<cv::Vec3b>(8, 27)[c], 4) << c;
    }
    frames.push_back(*frame);
  }
  EXPECT_EQ(frames[0], frames[1]);  // the standard tables are the ones the encoder used
  EXPECT_EQ(convert(V4L2_PIX_FMT_MJPEG, 0, 0, 0, {0xFF, 0xD8, 1, 2, 3}), std::nullopt);
  EXPECT_EQ(convert(V4L2_PIX_FMT_JPEG, 0, 0, 0, {}), std::nullopt);
}

TEST(RawFrame, AJpegImageEndsAtItsOwnEndMarker) {
  // SOI; an APP1 segment whose payload holds an end marker (an embedded thumbnail's); a start
  // of scan whose coded data holds a stuffed 0xFF, a restart marker and fill bytes; EOI.
  const Bytes image = {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x06, 0xFF, 0xD9, 0xFF, 0xD8, 0xFF, 0xDA, 0x00,
                       0x03, 0x01, 0x12, 0xFF, 0x00, 0x34, 0xFF, 0xD3, 0x56, 0xFF, 0xFF, 0xD9};
  struct Case {
    const char* what;
    Bytes bytes;
    std::size_t length;
  };
  Bytes stale = image;  // the rest of the buffer still holds an older, larger image
  stale.insert(stale.end(), {0x12, 0xFF, 0xD9, 0xFF, 0xD8, 0x00});
  const Case cases[] = {
      {"exactly the image", image, image.size()},
      {"followed by an older image's bytes", stale, image.size()},
      {"no end marker", Bytes(image.begin(), image.end() - 2), image.size() - 2},
      {"cut inside a segment's length", Bytes(image.begin(), image.begin() + 4), 4},
      {"a segment running past the end", {0xFF, 0xD8, 0xFF, 0xE0, 0x40, 0x00, 0xFF, 0xD9}, 8},
      {"a segment length below two", {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x01, 0xFF, 0xD9}, 8},
      {"no marker where one must be", {0xFF, 0xD8, 0x12, 0xFF, 0xD9}, 5},
      {"not a JPEG image", {0x00, 0x01, 0xFF, 0xD9}, 4},
      {"nothing", {}, 0},
  };
  // A real image followed by stale bytes is the burst scenario of the garbage-camera test.
  for (const auto& c : cases) EXPECT_EQ(jpegLength(c.bytes), c.length) << c.what;
}

}  // namespace
}  // namespace kestrel
