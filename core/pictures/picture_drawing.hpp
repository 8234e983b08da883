#pragma once

#include <optional>
#include <vector>

#include "core/monitor/active_alert.hpp"
#include "core/model/geometry.hpp"
#include "core/model/measurements.hpp"
#include "core/model/thresholds.hpp"

namespace kestrel {

// A line between two joints of a drawing.
struct Segment {
  Point a;
  Point b;

  bool operator==(const Segment&) const = default;
};

// The line drawing of an alert's frame. Coordinates are fractions of the frame: x from 0 at
// its left edge to 1 at its right, y from 0 at its bottom to 1 at its top.
struct PictureDrawing {
  // A joint is drawn only when at least this confident.
  static constexpr double minConfidence = 0.3;

  double aspect = 16.0 / 9.0;  // frame width ÷ frame height
  std::optional<Rect> faceBox;
  std::optional<Rect> chinRegion;  // only in pictures of a hand at the chin
  std::vector<Segment> segments;
  std::vector<Point> bodyPoints;
  std::vector<Point> handPoints;

  bool isEmpty() const;

  // The largest face, its chin region for hand alerts, the first body's nose, neck and
  // shoulders with the shoulder line and the neck-to-nose line, and every confident hand joint.
  static PictureDrawing make(const Measurements& measurements, AlertModule module, const Thresholds& thresholds);

  bool operator==(const PictureDrawing&) const = default;
};

// Where a drawing lands in a view, in the view's own coordinates with the origin at its
// bottom-left corner (a view whose y grows downwards flips y = height − y when stroking).
// The drawing is mirrored left to right, so the user sees it as in a mirror.
namespace PictureDrawingLayout {

inline constexpr double inset = 4;
inline constexpr double cornerRadius = 6;       // of the background and the face box
inline constexpr double lineWidth = 1.5;        // face box and segments
inline constexpr double chinLineWidth = 1;      // dashed chin region
inline constexpr double chinDash = 3;           // dash and gap of the chin region
inline constexpr double bodyPointDiameter = 5;
inline constexpr double handPointDiameter = 4;

// The bounds inset by 4 on every side, and within that the largest rectangle of the given
// aspect, centred; the inset area itself when it is empty or the aspect is not positive.
Rect drawingArea(const Rect& bounds, double aspect);

// A normalised point in the area, mirrored left to right (y is not flipped).
Point place(const Point& normalised, const Rect& area);

// A normalised rectangle in the area, mirrored left to right.
Rect place(const Rect& normalised, const Rect& area);

}  // namespace PictureDrawingLayout

}  // namespace kestrel
