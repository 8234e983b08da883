#pragma once

#include <string_view>

namespace kestrel::ChimeSound {

// The sound of the freedesktop sound theme played when no other can be: also the chime
// a fresh installation starts with.
inline constexpr std::string_view fallback = "complete";

// A sound name that can safely name a file in the sounds folder: not empty, at most 64
// characters (Unicode code points of the UTF-8 text), and neither "/" nor ".." anywhere in it.
bool isValidName(std::string_view name);

}  // namespace kestrel::ChimeSound
