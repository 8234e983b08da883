#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace kestrel {

// Which of a camera's formats the frame source captures in: the narrowest 16:9 format at
// least 1280 pixels wide, a 4:2:0 one where two are equally wide (the analyzer reads its
// luma plane directly), the earliest on a full tie.
struct CaptureFormat {
  static constexpr std::int64_t minWidth = 1280;

  struct Candidate {
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool isYUV420 = false;

    bool operator==(const Candidate&) const = default;
  };

  // The index of the chosen candidate in the camera's own order; none when no candidate is
  // 16:9 and wide enough (the camera then captures at its 1280 by 720 preset).
  static std::optional<std::size_t> choose(const std::vector<Candidate>& candidates);
};

}  // namespace kestrel
