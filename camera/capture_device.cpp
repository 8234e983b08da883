#include "camera/capture_device.hpp"

#include <sstream>

namespace kestrel {

namespace {

std::string number(double value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

}  // namespace

std::string describe(const DeviceFormat& format) {
  std::string text = format.pixelFormat + " " + std::to_string(format.width) + "x" + std::to_string(format.height);
  for (std::size_t i = 0; i < format.frameRates.size(); ++i) {
    const auto& range = format.frameRates[i];
    text += i == 0 ? " " : ", ";
    text += number(range.minRate) + "-" + number(range.maxRate) + " fps";
  }
  return text;
}

}  // namespace kestrel
