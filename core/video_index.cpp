#include "core/video_index.hpp"

#include <cmath>

namespace kestrel {

using namespace json_io;

std::string VideoIndex::Problem::description() const {
  const char* name = "";
  switch (kind) {
    case Kind::wrongSchema: name = "wrongSchema"; break;
    case Kind::badRange: name = "badRange"; break;
    case Kind::missingHash: name = "missingHash"; break;
    case Kind::overlap: name = "overlap"; break;
    case Kind::expectationMismatch: name = "expectationMismatch"; break;
    case Kind::labelOutsideRanges: name = "labelOutsideRanges"; break;
  }
  return std::string(name) + "(" + std::to_string(value) + ")";
}

std::vector<VideoIndex::Problem> VideoIndex::problems(std::int64_t schema, const std::vector<Range>& ranges,
                                                      const std::vector<CheckLabel>& labels) {
  using Kind = Problem::Kind;
  std::vector<Problem> found;
  if (schema != currentSchema) found.push_back({Kind::wrongSchema, schema});
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    const Range& r = ranges[i];
    const auto at = static_cast<std::int64_t>(i);
    if (r.start < 0 || !(r.end > r.start)) found.push_back({Kind::badRange, at});
    if (r.sha256.size() != 64) found.push_back({Kind::missingHash, at});
    if (r.expected != expectation(r.label)) found.push_back({Kind::expectationMismatch, at});
    for (std::size_t k = 0; k < i; ++k) {
      const Range& earlier = ranges[k];
      if (earlier.video == r.video && earlier.start < r.end && r.start < earlier.end) {
        found.push_back({Kind::overlap, at});
        break;
      }
    }
  }
  for (std::size_t j = 0; j < labels.size(); ++j) {
    bool inside = false;
    for (const Range& r : ranges) {
      if (r.video == labels[j].video && r.start <= labels[j].time && labels[j].time <= r.end) inside = true;
    }
    if (!inside) found.push_back({Kind::labelOutsideRanges, static_cast<std::int64_t>(j)});
  }
  return found;
}

std::optional<VideoIndex::Range> VideoIndex::poseRange(FixtureLabel label, const std::string& video,
                                                       const std::string& sha256, double recordedSeconds) {
  const double margin = recordingMargin(label);
  if (!(recordedSeconds > 2 * margin)) return std::nullopt;
  return Range{video, sha256, label, expectation(label), margin, recordedSeconds - margin};
}

std::optional<VideoIndex::Range> VideoIndex::firstRange(FixtureLabel label) const {
  for (const Range& r : ranges) {
    if (r.label == label) return r;
  }
  return std::nullopt;
}

std::optional<CheckLabel> VideoIndex::label(const std::string& video, double time) const {
  for (const CheckLabel& l : labels) {
    if (l.video == video && std::abs(l.time - time) < 0.001) return l;
  }
  return std::nullopt;
}

void to_json(Json& j, const CheckLabel& v) {
  Json classes = Json::array();
  for (LabelClass c : v.labels) classes.push_back(toText(c));
  j = Json{{"video", v.video}, {"time", v.time}, {"labels", classes}, {"agreement", v.agreement}};
}

void from_json(const Json& j, CheckLabel& v) {
  std::vector<LabelClass> classes;
  const Json& list = member(j, "labels");
  if (!list.is_array()) throw DecodeError("\"labels\": expected an array");
  for (const Json& item : list) {
    if (!item.is_string()) throw DecodeError("\"labels\": expected strings");
    auto c = fromText<LabelClass>(item.get<std::string>());
    if (!c) throw DecodeError("\"labels\": unknown label class");
    classes.push_back(*c);
  }
  v = {text(j, "video"), real(j, "time"), std::move(classes), text(j, "agreement")};
}

void to_json(Json& j, const VideoIndex::Range& v) {
  j = Json{{"video", v.video},           {"sha256", v.sha256}, {"label", toText(v.label)},
           {"expected", toText(v.expected)}, {"start", v.start},   {"end", v.end}};
}

void from_json(const Json& j, VideoIndex::Range& v) {
  v = {text(j, "video"), text(j, "sha256"), enumeration<FixtureLabel>(j, "label"),
       enumeration<Expectation>(j, "expected"), real(j, "start"), real(j, "end")};
}

void to_json(Json& j, const VideoIndex& v) {
  j = Json{{"schema", v.schema}, {"ranges", v.ranges}, {"labels", v.labels}};
}

void from_json(const Json& j, VideoIndex& v) {
  v = {count(j, "schema"), object<std::vector<VideoIndex::Range>>(j, "ranges"),
       object<std::vector<CheckLabel>>(j, "labels")};
}

}  // namespace kestrel
