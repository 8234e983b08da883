// Feeds arbitrary bytes to the fixture tools' readers of the video index and of skeleton
// files. Besides not crashing: what decodes reads back from its own JSON unchanged, and the
// index's validation and lookups and the replay's frame search take any decoded content.

#include <cmath>

#include "core/fixtures/skeleton_file.hpp"
#include "core/fixtures/skeleton_replay.hpp"
#include "core/fixtures/video_index.hpp"
#include "fuzz/fuzz_support.hpp"

using namespace kestrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto json = parseJson(fuzz::text(data, size));
  if (!json) return 0;
  if (const auto index = decode<VideoIndex>(*json)) {
    fuzz::require(decode<VideoIndex>(Json(*index)) == index);
    for (const auto& problem : index->problems()) (void)problem.description();
    for (const auto& label : index->labels) {
      if (std::isfinite(label.time)) fuzz::require(index->label(label.video, label.time).has_value());
    }
    for (const auto& range : index->ranges) fuzz::require(index->firstRange(range.label).has_value());
  }
  if (const auto skeleton = decode<SkeletonFile>(*json)) {
    fuzz::require(decode<SkeletonFile>(Json(*skeleton)) == skeleton);
    for (const auto& frame : skeleton->frames) {
      const auto at = SkeletonReplay::frameAtOrAfter(skeleton->frames, frame.time);
      fuzz::require(!at || *at < skeleton->frames.size());
    }
  }
  return 0;
}
