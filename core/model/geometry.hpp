#pragma once

#include <optional>
#include <vector>

#include "core/base/json_io.hpp"

namespace kestrel {

// Positions and sizes are pixels of the analysed frame. The origin is the lower-left
// corner and y grows upwards, so a rectangle's minY is its lower edge.
struct Point {
  double x = 0;
  double y = 0;

  double distance(const Point& q) const;

  bool operator==(const Point&) const = default;
};

struct Rect {
  double minX = 0;
  double minY = 0;
  double width = 0;
  double height = 0;

  double midX() const { return minX + width * 0.5; }
  double midY() const { return minY + height * 0.5; }
  double maxX() const { return minX + width; }
  double maxY() const { return minY + height; }
  double area() const { return width * height; }

  // Same centre, width and height scaled by (1 + f).
  Rect widened(double f) const;
  // All four bounds inclusive.
  bool contains(const Point& p) const;
  // The intersection with r; never a negative size (non-overlapping rectangles give
  // zero width or height placed at the larger minima).
  Rect clamped(const Rect& r) const;

  bool operator==(const Rect&) const = default;
};

// Perpendicular distance from p to the infinite line through a and b; absent when a and b coincide.
std::optional<double> distanceFromLine(const Point& p, const Point& a, const Point& b);

// Absent for an empty list; the middle value, or the mean of the two middle values.
std::optional<double> median(std::vector<double> values);

void to_json(Json& j, const Point& p);
void from_json(const Json& j, Point& p);
void to_json(Json& j, const Rect& r);
void from_json(const Json& j, Rect& r);

}  // namespace kestrel
