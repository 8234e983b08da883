#include "core/pictures/photo.hpp"

namespace kestrel {

std::string_view PhotoType::of(std::string_view bytes) {
  using namespace std::string_view_literals;
  if (bytes.substr(0, 3) == "\xFF\xD8\xFF"sv) return "jpeg";
  if (bytes.substr(0, 8) == "\x89PNG\r\n\x1A\n"sv) return "png";
  return "unknown";
}

}  // namespace kestrel
