#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "core/base/json_io.hpp"
#include "core/judgement/verdict.hpp"

namespace kestrel {

// The part of a logged check that scoring needs. Read with the check line's keys; every
// other key of the line is ignored, so a check line that would not decode whole still counts.
struct ScoreLine {
  std::int64_t schema = 0;
  std::optional<SkipReason> skip;
  std::optional<HeadResult> head;
  std::optional<HandVerdict> hand;
  bool stale = false;

  bool isScored() const;
  bool isGood() const;

  bool operator==(const ScoreLine&) const = default;
};

// Requires "type" "check", "schema" and "stale"; "skip", "head" and "hand" may be missing.
void from_json(const Json& j, ScoreLine& v);

// Decodes score lines straight from a day file's bytes without building a JSON tree: the
// large lists of a check line (hand joints, burst frames) are stepped over, not parsed.
// Accepts what from_json accepts; it does not look inside the values it steps over beyond
// their brackets and strings, so a line damaged only there still counts.
class ScoreLineReader {
 public:
  // Bytes that must be readable after the end of each line handed to read.
  static const std::size_t padding;

  ScoreLineReader();
  ~ScoreLineReader();
  ScoreLineReader(const ScoreLineReader&) = delete;
  ScoreLineReader& operator=(const ScoreLineReader&) = delete;

  // `line` must be followed in memory by at least `padding` readable bytes.
  std::optional<ScoreLine> read(std::string_view line);

 private:
  struct Parser;
  std::unique_ptr<Parser> parser_;
};

}  // namespace kestrel
