#include "core/settings/sound_name.hpp"

#include <cstddef>

namespace kestrel::ChimeSound {

namespace {

// Code points of UTF-8 text: every byte but the continuation bytes (10xxxxxx) starts one.
std::size_t codePoints(std::string_view text) {
  std::size_t n = 0;
  for (char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  }
  return n;
}

}  // namespace

bool isValidName(std::string_view name) {
  if (name.empty() || codePoints(name) > 64) return false;
  return name.find('/') == std::string_view::npos && name.find("..") == std::string_view::npos;
}

}  // namespace kestrel::ChimeSound
