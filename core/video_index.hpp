#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/fixture_label.hpp"
#include "core/json_io.hpp"

namespace kestrel {

// One check of a fixture video as labelled by people.
struct CheckLabel {
  std::string video;  // the video's file name
  double time = 0;    // seconds from the start of the video
  std::vector<LabelClass> labels;
  std::string agreement;

  bool operator==(const CheckLabel&) const = default;
};

// The index of all fixture videos: which stretch shows which pose, and the labelled checks.
struct VideoIndex {
  static constexpr std::int64_t currentSchema = 2;

  struct Range {
    std::string video;
    std::string sha256;  // 64 hexadecimal characters
    FixtureLabel label = FixtureLabel::sitWellLaptop;
    Expectation expected = Expectation::calibration;
    double start = 0;
    double end = 0;

    bool operator==(const Range&) const = default;
  };

  // A fault found by validation, with the position of the offending range or label (or the
  // schema number for wrongSchema).
  struct Problem {
    enum class Kind { wrongSchema, badRange, missingHash, overlap, expectationMismatch, labelOutsideRanges };
    Kind kind;
    std::int64_t value;

    // "badRange(3)": how the validate command prints it.
    std::string description() const;
    bool operator==(const Problem&) const = default;
  };

  std::int64_t schema = currentSchema;
  std::vector<Range> ranges;
  std::vector<CheckLabel> labels;

  // Every problem, in order: the schema, then each range, then each label; empty when sound.
  static std::vector<Problem> problems(std::int64_t schema, const std::vector<Range>& ranges,
                                       const std::vector<CheckLabel>& labels);
  std::vector<Problem> problems() const { return problems(schema, ranges, labels); }

  // The range to index for a fresh recording of `recordedSeconds`; absent when too short.
  static std::optional<Range> poseRange(FixtureLabel label, const std::string& video, const std::string& sha256,
                                        double recordedSeconds);
  std::optional<Range> firstRange(FixtureLabel label) const;
  // The first label of that video within a millisecond of `time`.
  std::optional<CheckLabel> label(const std::string& video, double time) const;

  bool operator==(const VideoIndex&) const = default;
};

void to_json(Json& j, const CheckLabel& v);
void from_json(const Json& j, CheckLabel& v);
void to_json(Json& j, const VideoIndex::Range& v);
void from_json(const Json& j, VideoIndex::Range& v);
void to_json(Json& j, const VideoIndex& v);
void from_json(const Json& j, VideoIndex& v);

}  // namespace kestrel
