#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/base/enum_text.hpp"
#include "core/model/geometry.hpp"

namespace kestrel {

// One screen as the glow sees it, in screen points with the origin at the bottom left and
// y growing upwards (so the top edge is `frame.maxY()`).
struct ScreenInfo {
  Rect frame;
  // Height of the strip beside a camera notch; 0 on screens without one.
  double safeAreaTop = 0;
  // Widths of the usable top areas left and right of a notch, when the screen has them.
  std::optional<double> auxiliaryLeftWidth;
  std::optional<double> auxiliaryRightWidth;

  bool operator==(const ScreenInfo&) const = default;
};

// Where the glow of one screen is drawn: framing the camera notch, or a short bar at the
// top centre of a screen without one.
struct GlowShape {
  enum class Kind { notch, bar };

  Kind kind = Kind::bar;
  Rect frame;
  double cornerRadius = 0;

  // The strip in which hovering opens the alert pill: from 8 points under the glow's lower
  // edge, 46 points tall, as wide as the glow.
  Rect hoverFrame() const;
  // "screen=0 notch x=630 y=920 w=252 h=62", the frame rounded to whole points.
  std::string logDescription(std::int64_t screen) const;

  bool operator==(const GlowShape&) const = default;
};

template <>
struct EnumTexts<GlowShape::Kind> {
  static constexpr std::array table{std::pair{GlowShape::Kind::notch, std::string_view{"notch"}},
                                    std::pair{GlowShape::Kind::bar, std::string_view{"bar"}}};
};

namespace GlowPlacement {

inline constexpr double thickness = 30;
inline constexpr double plainWidth = 200;

// One shape per screen, in the same order.
std::vector<GlowShape> shapes(const std::vector<ScreenInfo>& screens);

}  // namespace GlowPlacement

}  // namespace kestrel
