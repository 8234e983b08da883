#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/base/enum_text.hpp"
#include "core/base/json_io.hpp"

namespace kestrel {

// Which screen a baseline was taken for.
enum class ScreenRole { laptop, sideMonitor };

template <>
struct EnumTexts<ScreenRole> {
  static constexpr std::array table{std::pair{ScreenRole::laptop, std::string_view{"laptop"}},
                                    std::pair{ScreenRole::sideMonitor, std::string_view{"side_monitor"}}};
};

// How the user's face looks when sitting well; ratios are relative to the frame.
struct Baseline {
  ScreenRole screen = ScreenRole::laptop;
  double yaw = 0;                                // degrees, median
  double pitch = 0;                              // degrees, median; 0 when no frame had one
  double faceHeight = 0;                         // median face height / frame height
  std::optional<double> noseShoulderRatio;       // nose-to-shoulder-line distance / shoulder width
  std::optional<double> shoulderWidth;           // shoulder width / frame width
  std::optional<double> faceCenterY;             // face-box centre height / frame height

  bool operator==(const Baseline&) const = default;
};

// How far this user's face grows and nose drops when leaning in.
struct Reach {
  double faceGrowth = 0;  // 0.3 = 30 % taller
  double noseDrop = 0;    // 0 to 1

  bool operator==(const Reach&) const = default;
};

// One calibration: its baselines (chosen by yaw) and the user's reach.
struct BaselineSet {
  static constexpr std::int64_t currentSchema = 3;

  std::int64_t schema = currentSchema;
  std::string id;        // upper-case UUID, logged with every check
  std::string cameraID;  // the camera used for the calibration
  std::vector<Baseline> baselines;
  Reach reach;

  BaselineSet() = default;
  BaselineSet(std::string id, std::string cameraID, std::vector<Baseline> baselines, Reach reach);

  // The baseline whose yaw is nearest; the first of equals; absent without baselines.
  std::optional<Baseline> nearest(double yaw) const;

  // Used instead of a stored calibration by test and performance runs.
  static BaselineSet standIn();

  bool operator==(const BaselineSet&) const = default;
};

void to_json(Json& j, const Baseline& v);
void from_json(const Json& j, Baseline& v);
void to_json(Json& j, const Reach& v);
void from_json(const Json& j, Reach& v);
void to_json(Json& j, const BaselineSet& v);
void from_json(const Json& j, BaselineSet& v);

}  // namespace kestrel
