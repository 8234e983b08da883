// What the camera side costs per frame: converting a captured buffer, copying a check frame
// for its photo and encoding the photo, at the usual 1280 by 720.
#include <benchmark/benchmark.h>
#include <linux/videodev2.h>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "camera/frame_copy.hpp"
#include "camera/photo_store.hpp"
#include "camera/raw_frame.hpp"
#include "testing/recording_log.hpp"

namespace kestrel {
namespace {

constexpr int width = 1280;
constexpr int height = 720;

// A busy picture, so that compression has work to do.
cv::Mat picture() {
  cv::Mat image(height, width, CV_8UC3);
  cv::randu(image, cv::Scalar::all(0), cv::Scalar::all(255));
  cv::Mat smooth;
  cv::blur(image, smooth, cv::Size(9, 9));
  return smooth;
}

std::vector<std::uint8_t> nv12Buffer() {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(width * height * 3 / 2));
  cv::Mat view(height * 3 / 2, width, CV_8UC1, bytes.data());
  cv::randu(view, cv::Scalar::all(16), cv::Scalar::all(235));
  return bytes;
}

void rawFrame(benchmark::State& state, std::uint32_t fourcc, bool keep) {
  const cv::Mat image = picture();
  std::vector<std::uint8_t> bytes;
  int bytesPerLine = 0;
  if (fourcc == V4L2_PIX_FMT_MJPEG) {
    cv::imencode(".jpg", image, bytes, {cv::IMWRITE_JPEG_QUALITY, 80});
  } else if (fourcc == V4L2_PIX_FMT_NV12) {
    bytes = nv12Buffer();
    bytesPerLine = width;
  } else {
    bytes.assign(static_cast<std::size_t>(width * height * 2), 128);
    bytesPerLine = width * 2;
  }
  for (auto _ : state) {
    auto frame = frameFromRaw({fourcc, width, height, bytesPerLine, bytes}, keep);
    benchmark::DoNotOptimize(frame);
  }
}

void BM_RawNv12Kept(benchmark::State& state) { rawFrame(state, V4L2_PIX_FMT_NV12, true); }
void BM_RawYuyvToBgr(benchmark::State& state) { rawFrame(state, V4L2_PIX_FMT_YUYV, false); }
void BM_RawMjpegToBgr(benchmark::State& state) { rawFrame(state, V4L2_PIX_FMT_MJPEG, false); }

void BM_FrameCopyNv12(benchmark::State& state) {
  auto bytes = nv12Buffer();
  const Frame frame{width, height, PixelFormat::nv12,
                    {Plane{{bytes.begin(), bytes.begin() + width * height}, width},
                     Plane{{bytes.begin() + width * height, bytes.end()}, width}}};
  for (auto _ : state) {
    auto copy = FrameCopy::make(frame);
    benchmark::DoNotOptimize(copy);
  }
}

void BM_PhotoFromBgrFrame(benchmark::State& state) {
  RecordingLog log;
  PhotoStore store(log);
  const auto copy = FrameCopy::make(frameFromBgr(picture()));
  for (auto _ : state) {
    auto photo = store.jpeg(*copy);
    benchmark::DoNotOptimize(photo);
    log.clear();
  }
}

BENCHMARK(BM_RawNv12Kept)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawYuyvToBgr)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawMjpegToBgr)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameCopyNv12)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PhotoFromBgrFrame)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

BENCHMARK_MAIN();
