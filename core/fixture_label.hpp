#pragma once

#include <string>
#include <string_view>

#include "core/enum_text.hpp"

namespace kestrel {

// What the range of a fixture video is expected to show.
enum class Expectation { calibration, handAtChin, labeled };

template <>
struct EnumTexts<Expectation> {
  static constexpr std::array table{std::pair{Expectation::calibration, std::string_view{"calibration"}},
                                    std::pair{Expectation::handAtChin, std::string_view{"hand_at_chin"}},
                                    std::pair{Expectation::labeled, std::string_view{"labeled"}}};
};

// The poses a developer records as fixture videos.
enum class FixtureLabel {
  sitWellLaptop,
  leanInFull,
  leanBack,
  turnLeft,
  turnRight,
  lookUp,
  lookDown,
  chinOnPalm,
  fingersInBeard,
  palmOverJaw,
  naturalWork,
};

template <>
struct EnumTexts<FixtureLabel> {
  static constexpr std::array table{
      std::pair{FixtureLabel::sitWellLaptop, std::string_view{"sit well \u00b7 laptop"}},
      std::pair{FixtureLabel::leanInFull, std::string_view{"lean all the way in"}},
      std::pair{FixtureLabel::leanBack, std::string_view{"lean all the way back"}},
      std::pair{FixtureLabel::turnLeft, std::string_view{"turn full left"}},
      std::pair{FixtureLabel::turnRight, std::string_view{"turn full right"}},
      std::pair{FixtureLabel::lookUp, std::string_view{"look up"}},
      std::pair{FixtureLabel::lookDown, std::string_view{"look down"}},
      std::pair{FixtureLabel::chinOnPalm, std::string_view{"chin on palm"}},
      std::pair{FixtureLabel::fingersInBeard, std::string_view{"fingers in beard"}},
      std::pair{FixtureLabel::palmOverJaw, std::string_view{"palm over jaw"}},
      std::pair{FixtureLabel::naturalWork, std::string_view{"natural work"}}};
};

Expectation expectation(FixtureLabel label);
// The text form cut at every character that is neither an ASCII letter nor a digit, the
// non-empty pieces joined with "-": "sit well · laptop" gives "sit-well-laptop".
std::string slug(FixtureLabel label);
// The sentence shown while the pose is recorded.
std::string_view instruction(FixtureLabel label);
// Seconds cut from each end of a fresh recording before it counts as the pose.
double recordingMargin(FixtureLabel label);

// What a person says one check shows.
enum class LabelClass { good, headForward, leanIn, tooClose, handAtChin, away, unclear };

template <>
struct EnumTexts<LabelClass> {
  static constexpr std::array table{std::pair{LabelClass::good, std::string_view{"good"}},
                                    std::pair{LabelClass::headForward, std::string_view{"head_forward"}},
                                    std::pair{LabelClass::leanIn, std::string_view{"lean_in"}},
                                    std::pair{LabelClass::tooClose, std::string_view{"too_close"}},
                                    std::pair{LabelClass::handAtChin, std::string_view{"hand_at_chin"}},
                                    std::pair{LabelClass::away, std::string_view{"away"}},
                                    std::pair{LabelClass::unclear, std::string_view{"unclear"}}};
};

}  // namespace kestrel
