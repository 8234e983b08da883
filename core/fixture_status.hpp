#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "core/skeleton_file.hpp"

namespace kestrel {

// Whether one video's skeleton file can be used for a replay.
struct FixtureStatus {
  struct Ready {
    bool operator==(const Ready&) const = default;
  };
  struct Missing {
    bool operator==(const Missing&) const = default;
  };
  struct WrongSchema {
    bool operator==(const WrongSchema&) const = default;
  };
  struct Stale {
    std::string reason;
    bool operator==(const Stale&) const = default;
  };

  // What to do with the replay over all indexed videos.
  struct Decision {
    struct Run {
      bool operator==(const Run&) const = default;
    };
    struct Skip {
      std::string message;
      bool operator==(const Skip&) const = default;
    };
    struct Fail {
      std::string message;
      bool operator==(const Fail&) const = default;
    };
    std::variant<Run, Skip, Fail> value;

    bool operator==(const Decision&) const = default;
  };

  std::variant<Ready, Missing, WrongSchema, Stale> value;

  bool isReady() const { return std::holds_alternative<Ready>(value); }
  // "ready", "missing", "wrong schema" or "stale (reason)".
  std::string description() const;

  // The status of a skeleton file given its header (absent when there is no file), the
  // video's hash and the system build the analysis would run on now.
  static FixtureStatus check(const std::optional<SkeletonFile::Header>& header, const std::string& videoSHA256,
                             const std::string& osBuild);

  // Each indexed video's name with its status; fails when `required`, else skips, as soon as
  // one of them is not ready.
  static Decision decide(const std::vector<std::pair<std::string, FixtureStatus>>& videos, bool required);

  bool operator==(const FixtureStatus&) const = default;
};

}  // namespace kestrel
