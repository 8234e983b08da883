#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// Whatever carries a copy of a camera frame for a photo. Only an encoder knows how to read
// it; the pictures code just passes it along.
class PhotoSource {
 public:
  virtual ~PhotoSource() = default;
};

// Turns a frame copy into the bytes of a photo file.
class PhotoEncoder {
 public:
  virtual ~PhotoEncoder() = default;
  // The encoded photo; throws (any std::exception, with a description) when it cannot.
  virtual std::string jpeg(const PhotoSource& source) = 0;
};

namespace PhotoType {

// "jpeg" for bytes starting FF D8 FF, "png" for the PNG signature, "unknown" otherwise.
std::string_view of(std::string_view bytes);

}  // namespace PhotoType

}  // namespace kestrel
