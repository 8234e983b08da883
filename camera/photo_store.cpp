#include "camera/photo_store.hpp"

#include <algorithm>
#include <limits>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "camera/frame_copy.hpp"
#include "vision/vision_error.hpp"

namespace kestrel {

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

  std::vector<std::uint8_t> bytes;
  try {
    if (!cv::imencode(".jpg", mirrored, bytes, {cv::IMWRITE_JPEG_QUALITY, quality})) {
      throw Failure(Failure::Kind::encode, "JPEG encoding failed");
    }
  } catch (const cv::Exception& error) {
    throw Failure(Failure::Kind::encode, "JPEG encoding failed: " + error.msg);
  }
  std::string photo(bytes.begin(), bytes.end());
  log_.notice("photo encoded w=" + std::to_string(mirrored.cols) + " h=" + std::to_string(mirrored.rows) +
              " type=" + std::string(PhotoType::of(photo)) + " bytes=" + std::to_string(photo.size()));
  return photo;
}

}  // namespace kestrel
