#pragma once

#include <memory>

#include "core/pictures/photo.hpp"
#include "vision/frame.hpp"

namespace kestrel {

// A check frame kept for its photo: a copy of the frame's pixels that owns its memory, so
// it stays valid however long the picture writer takes, whatever the camera does meanwhile.
class FrameCopy final : public PhotoSource {
 public:
  // A copy with the same size and layout, each plane's rows packed tightly; none when the
  // frame's planes do not hold its size (a missing or short plane, a stride below a row).
  static std::shared_ptr<const FrameCopy> make(const Frame& from);

  const Frame& buffer() const { return buffer_; }

 private:
  explicit FrameCopy(Frame buffer) : buffer_(std::move(buffer)) {}

  Frame buffer_;
};

}  // namespace kestrel
