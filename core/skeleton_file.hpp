#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/json_io.hpp"
#include "core/measurements.hpp"

namespace kestrel {

// The vision analysis of every frame of one fixture video, kept so that replays need not
// run the analyzer again.
struct SkeletonFile {
  static constexpr std::int64_t currentSchema = 1;

  struct Header {
    std::int64_t schema = currentSchema;
    std::string videoSHA256;
    std::map<std::string, std::int64_t> revisions;  // analysis name → revision
    std::string osBuild;                            // the system the analysis ran on

    bool operator==(const Header&) const = default;
  };

  struct Frame {
    double time = 0;  // seconds from the start of the video
    Measurements measurements;
    std::map<std::string, std::vector<Point>> landmarks;  // face-landmark region → points

    bool operator==(const Frame&) const = default;
  };

  Header header;
  std::vector<Frame> frames;

  // "clip.mov" → "clip.skeleton.json".
  static std::string fileName(const std::string& video);

  bool operator==(const SkeletonFile&) const = default;
};

void to_json(Json& j, const SkeletonFile::Header& v);
void from_json(const Json& j, SkeletonFile::Header& v);
void to_json(Json& j, const SkeletonFile::Frame& v);
void from_json(const Json& j, SkeletonFile::Frame& v);
void to_json(Json& j, const SkeletonFile& v);
void from_json(const Json& j, SkeletonFile& v);

}  // namespace kestrel
