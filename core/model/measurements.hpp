#pragma once

#include <optional>
#include <vector>

#include "core/model/geometry.hpp"

namespace kestrel {

struct Joint {
  Point point;
  double confidence = 0;  // 0 to 1

  bool operator==(const Joint&) const = default;
};

struct Face {
  Rect box;
  std::optional<double> yaw;    // degrees
  std::optional<double> pitch;  // degrees

  bool operator==(const Face&) const = default;
};

// Upper-body joints; a body with all four absent is still a body.
struct Body {
  std::optional<Joint> nose;
  std::optional<Joint> neck;
  std::optional<Joint> leftShoulder;
  std::optional<Joint> rightShoulder;

  bool operator==(const Body&) const = default;
};

// Hand joints in no meaningful order; may be empty.
struct Hand {
  std::vector<Joint> joints;

  bool operator==(const Hand&) const = default;
};

// One analysed frame.
struct Measurements {
  double frameWidth = 0;
  double frameHeight = 0;
  double meanLuma = 0;  // 0 (black) to 1 (white)
  std::vector<Face> faces;
  std::vector<Body> bodies;
  std::vector<Hand> hands;

  bool operator==(const Measurements&) const = default;
};

// The application's state that decides, before any geometry, whether a frame can be judged.
struct CheckContext {
  bool capturing = false;      // a calibration is running
  bool cameraMissing = false;  // no camera is available
  bool cameraEffects = false;  // a system camera effect is switched on
  bool handSnoozed = false;    // the hand-at-chin alert is snoozed

  bool operator==(const CheckContext&) const = default;
};

void to_json(Json& j, const Joint& v);
void from_json(const Json& j, Joint& v);
void to_json(Json& j, const Face& v);
void from_json(const Json& j, Face& v);
void to_json(Json& j, const Body& v);
void from_json(const Json& j, Body& v);
void to_json(Json& j, const Hand& v);
void from_json(const Json& j, Hand& v);
void to_json(Json& j, const Measurements& v);
void from_json(const Json& j, Measurements& v);

}  // namespace kestrel
