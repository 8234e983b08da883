#include "core/skeleton_file.hpp"

namespace kestrel {

using namespace json_io;

std::string SkeletonFile::fileName(const std::string& video) {
  const auto slash = video.find_last_of('/');
  const std::string base = slash == std::string::npos ? video : video.substr(slash + 1);
  const auto dot = base.find_last_of('.');
  const std::string stem = (dot == std::string::npos || dot == 0) ? base : base.substr(0, dot);
  return stem + ".skeleton.json";
}

void to_json(Json& j, const SkeletonFile::Header& v) {
  j = Json{{"schema", v.schema}, {"videoSHA256", v.videoSHA256}, {"revisions", v.revisions}, {"osBuild", v.osBuild}};
}

void from_json(const Json& j, SkeletonFile::Header& v) {
  std::map<std::string, std::int64_t> revisions;
  const Json& r = member(j, "revisions");
  if (!r.is_object()) throw DecodeError("\"revisions\": expected an object");
  for (const auto& [name, value] : r.items()) revisions[name] = asCount(value);
  v = {count(j, "schema"), text(j, "videoSHA256"), std::move(revisions), text(j, "osBuild")};
}

void to_json(Json& j, const SkeletonFile::Frame& v) {
  Json landmarks = Json::object();
  for (const auto& [region, points] : v.landmarks) landmarks[region] = points;
  j = Json{{"time", v.time}, {"measurements", v.measurements}, {"landmarks", landmarks}};
}

void from_json(const Json& j, SkeletonFile::Frame& v) {
  std::map<std::string, std::vector<Point>> landmarks;
  const Json& l = member(j, "landmarks");
  if (!l.is_object()) throw DecodeError("\"landmarks\": expected an object");
  for (const auto& [region, points] : l.items()) landmarks[region] = points.get<std::vector<Point>>();
  v = {real(j, "time"), object<Measurements>(j, "measurements"), std::move(landmarks)};
}

void to_json(Json& j, const SkeletonFile& v) { j = Json{{"header", v.header}, {"frames", v.frames}}; }

void from_json(const Json& j, SkeletonFile& v) {
  v = {object<SkeletonFile::Header>(j, "header"), object<std::vector<SkeletonFile::Frame>>(j, "frames")};
}

}  // namespace kestrel
