#include "vision/region.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <opencv2/imgproc.hpp>

namespace kestrel {

Region wholeImage(cv::Size size) {
  return Region{{size.width * 0.5F, size.height * 0.5F}, static_cast<float>(std::max(size.width, size.height)), 0};
}

namespace {

// Region offset (in image pixels, along the region's own axes) to image point.
cv::Point2f place(const Region& region, float dx, float dy) {
  const float c = std::cos(region.angle);
  const float s = std::sin(region.angle);
  return {region.center.x + c * dx - s * dy, region.center.y + s * dx + c * dy};
}

}  // namespace

std::array<cv::Point2f, 4> corners(const Region& region) {
  const float h = region.side * 0.5F;
  return {place(region, -h, -h), place(region, h, -h), place(region, h, h), place(region, -h, h)};
}

cv::Point2f RegionCrop::toImage(cv::Point2f input) const {
  const float scale = region.side / static_cast<float>(size);
  const float half = static_cast<float>(size) * 0.5F;
  return place(region, (input.x - half) * scale, (input.y - half) * scale);
}

RegionCrop cropRegion(const cv::Mat& bgr, const Region& region, int size) {
  RegionCrop crop{cv::Mat(), region, size};
  // Only the part of the image under the region is read (a pixel's margin kept for the
  // interpolation at its edges).
  const auto c = corners(region);
  const cv::Rect2f bounds = cv::boundingRect(std::vector<cv::Point2f>(c.begin(), c.end()));
  const cv::Point first(static_cast<int>(std::floor(bounds.x)) - 1, static_cast<int>(std::floor(bounds.y)) - 1);
  const cv::Point end(static_cast<int>(std::ceil(bounds.br().x)) + 2, static_cast<int>(std::ceil(bounds.br().y)) + 2);
  cv::Rect under = cv::Rect(first, end) & cv::Rect(0, 0, bgr.cols, bgr.rows);
  if (under.empty()) {
    crop.pixels = cv::Mat::zeros(size, size, CV_8UC3);
    return crop;
  }
  // Image pixels per input pixel; above 2 that part is first reduced by a whole factor, to
  // between 1 and 2 (a whole factor takes OpenCV's fast area averaging; the part is
  // trimmed to a multiple of it, less than one input pixel).
  const double perInput = region.side / size;
  cv::Mat source = bgr(under);
  double reduction = 1;
  if (perInput > 2) {
    const int factor = static_cast<int>(std::ceil(perInput / 2));
    const cv::Rect whole(under.x, under.y, std::max(factor, under.width - under.width % factor),
                         std::max(factor, under.height - under.height % factor));
    if ((whole & cv::Rect(0, 0, bgr.cols, bgr.rows)) == whole) {
      under = whole;
      cv::resize(bgr(under), source, {under.width / factor, under.height / factor}, 0, 0, cv::INTER_AREA);
      reduction = factor;
    }
  }
  // Image (edge coordinates) to input: u = R^T (p - c) / scale + size / 2.
  const double scale = perInput;
  const double cosine = std::cos(region.angle);
  const double sine = std::sin(region.angle);
  cv::Matx22d a(cosine / scale, sine / scale, -sine / scale, cosine / scale);
  const cv::Vec2d centre(region.center.x, region.center.y);
  // The source starts at the part's corner and may be reduced: p = corner + p' * reduction.
  cv::Vec2d b = cv::Vec2d(size * 0.5, size * 0.5) - a * centre + a * cv::Vec2d(under.x, under.y);
  a = a * reduction;
  // warpAffine works on pixel centres: shift by half a pixel on both sides.
  b = b + a * cv::Vec2d(0.5, 0.5) - cv::Vec2d(0.5, 0.5);
  const cv::Matx23d m(a(0, 0), a(0, 1), b[0], a(1, 0), a(1, 1), b[1]);
  cv::warpAffine(source, crop.pixels, m, {size, size}, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar::all(0));
  return crop;
}

cv::Mat toBlob(const RegionCrop& crop, float low, float high) {
  const cv::Mat& pixels = crop.pixels;
  const int size[] = {1, 3, pixels.rows, pixels.cols};
  cv::Mat blob(4, size, CV_32F);
  const float scale = (high - low) / 255.0F;
  const std::size_t plane = pixels.total();
  float* red = blob.ptr<float>();
  float* green = red + plane;
  float* blue = green + plane;
  for (int y = 0; y < pixels.rows; ++y) {
    const std::uint8_t* bgr = pixels.ptr<std::uint8_t>(y);
    for (int x = 0; x < pixels.cols; ++x, bgr += 3) {
      *blue++ = bgr[0] * scale + low;
      *green++ = bgr[1] * scale + low;
      *red++ = bgr[2] * scale + low;
    }
  }
  return blob;
}

}  // namespace kestrel
