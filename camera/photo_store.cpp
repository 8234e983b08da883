#include "camera/photo_store.hpp"

#include <turbojpeg.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "camera/frame_copy.hpp"
#include "vision/vision_error.hpp"

namespace kestrel {

namespace {

struct CompressorDeleter {
  void operator()(void* handle) const { tjDestroy(handle); }
};

struct JpegBufferDeleter {
  void operator()(unsigned char* bytes) const { tjFree(bytes); }
};

// The image as a baseline JFIF file (YCbCr, which viewers take as sRGB) with 4:2:0 chroma.
std::string encodeJpeg(const cv::Mat& bgr, int quality) {
  const std::unique_ptr<void, CompressorDeleter> compressor(tjInitCompress());
  if (!compressor) throw PhotoStore::Failure(PhotoStore::Failure::Kind::encode, "JPEG encoding failed: no compressor");
  unsigned char* out = nullptr;
  unsigned long size = 0;
  const int status = tjCompress2(compressor.get(), bgr.ptr<unsigned char>(), bgr.cols, static_cast<int>(bgr.step[0]),
                                 bgr.rows, TJPF_BGR, &out, &size, TJSAMP_420, quality, 0);
  const std::unique_ptr<unsigned char, JpegBufferDeleter> bytes(out);
  if (status != 0) {
    throw PhotoStore::Failure(PhotoStore::Failure::Kind::encode,
                              std::string("JPEG encoding failed: ") + tjGetErrorStr2(compressor.get()));
  }
  return std::string(reinterpret_cast<const char*>(bytes.get()), size);
}

}  // namespace

PhotoStore::Failure::Failure(Kind failureKind, const std::string& description, int failureStatus)
    : std::runtime_error(description), kind(failureKind), status(failureStatus) {}

PhotoStore::Size PhotoStore::size(std::int64_t frameWidth, std::int64_t frameHeight) {
  const std::int64_t height = frameWidth == 0 ? width * frameHeight : width * frameHeight / frameWidth;
  return {width, std::max<std::int64_t>(height, 1)};
}

std::string PhotoStore::jpeg(const PhotoSource& source) {
  const auto* copy = dynamic_cast<const FrameCopy*>(&source);
  if (copy == nullptr) throw Failure(Failure::Kind::notAFrameCopy, "the photo source is not a camera frame copy");

  cv::Mat image;
  try {
    image = toBgr(copy->buffer());
  } catch (const VisionError& error) {
    throw Failure(Failure::Kind::conversion, std::string("the frame could not be converted: ") + error.what(), 0);
  } catch (const cv::Exception& error) {
    throw Failure(Failure::Kind::conversion, "the frame could not be converted: " + error.msg, error.code);
  }

  const Size target = size(image.cols, image.rows);
  if (target.height > std::numeric_limits<int>::max() / (3 * width)) {
    throw Failure(Failure::Kind::context,
                  "no image of " + std::to_string(target.width) + "x" + std::to_string(target.height) + " pixels");
  }
  cv::Mat mirrored;
  try {
    cv::Mat scaled;
    cv::resize(image, scaled, cv::Size(static_cast<int>(target.width), static_cast<int>(target.height)), 0, 0,
               cv::INTER_AREA);
    cv::flip(scaled, mirrored, 1);
  } catch (const cv::Exception& error) {
    throw Failure(Failure::Kind::context, "no image for the photo: " + error.msg);
  }

  const std::string photo = encodeJpeg(mirrored, quality);
  log_.notice("photo encoded w=" + std::to_string(mirrored.cols) + " h=" + std::to_string(mirrored.rows) +
              " type=" + std::string(PhotoType::of(photo)) + " bytes=" + std::to_string(photo.size()));
  return photo;
}

}  // namespace kestrel
