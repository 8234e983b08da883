#pragma once

#include <array>
#include <opencv2/core.hpp>

namespace kestrel {

// A square part of an image that a model looks at, possibly turned. Image coordinates
// here and in every model stage: x to the right, y downwards, origin at the top-left
// corner, pixel i covering [i, i + 1).
struct Region {
  cv::Point2f center;
  float side = 0;
  // Radians. The region's upward direction is the image's upward direction turned by
  // this angle clockwise (as seen on screen), so (sin a, -cos a) is "up" in the image.
  float angle = 0;

  bool operator==(const Region&) const = default;
};

// The square holding the whole image with the image centred in it (empty margins
// added on the short side).
Region wholeImage(cv::Size size);

// The four corners of the region in the image, clockwise from its top-left corner.
std::array<cv::Point2f, 4> corners(const Region& region);

// A region resampled to a model's square input.
struct RegionCrop {
  cv::Mat pixels;  // size x size, BGR; outside the image is black
  Region region;
  int size = 0;

  // A point of the model's input (0 to size on both axes) in image coordinates.
  cv::Point2f toImage(cv::Point2f input) const;
};

// Resamples the region to size x size pixels. Strong reductions first shrink the part of
// the image under the region with area averaging, so small inputs do not alias.
RegionCrop cropRegion(const cv::Mat& bgr, const Region& region, int size);

// The crop as a float blob 1x3xSxS of RGB values mapped from 0..255 to low..high.
cv::Mat toBlob(const RegionCrop& crop, float low, float high);

inline float sigmoid(float x) { return 1.0F / (1.0F + std::exp(-x)); }

}  // namespace kestrel
