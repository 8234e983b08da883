#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/system_log.hpp"
#include "core/pictures/photo.hpp"

namespace kestrel {

// The photo of an alert: the check frame scaled to 640 pixels wide, mirrored left to right
// (the way users see themselves) and stored as a JPEG of quality 70, 8-bit sRGB.
class PhotoStore final : public PhotoEncoder {
 public:
  static constexpr int width = 640;
  static constexpr int quality = 70;

  struct Failure : std::runtime_error {
    enum class Kind {
      conversion,     // the frame could not be turned into an image; `status` says why
      notAFrameCopy,  // the source is not a camera frame copy
      context,        // no image of the photo's size could be made
      encode,         // JPEG encoding failed
    };

    Failure(Kind kind, const std::string& description, int status = 0);

    Kind kind;
    int status;  // conversion: OpenCV's error code, 0 when there was no image at all
  };

  struct Size {
    std::int64_t width = 0;
    std::int64_t height = 0;

    bool operator==(const Size&) const = default;
  };

  explicit PhotoStore(SystemLog& log) : log_(log) {}

  // Throws Failure.
  std::string jpeg(const PhotoSource& source) override;

  // The photo's size for a frame: 640 wide and as high as keeps the frame's proportions,
  // rounded down, at least 1 (640 times the height for a frame of no width).
  static Size size(std::int64_t frameWidth, std::int64_t frameHeight);

 private:
  SystemLog& log_;
};

}  // namespace kestrel
