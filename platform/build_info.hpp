#pragma once

#include <string_view>

// What the build recorded about itself: the git commit it was built from (empty outside a
// checkout) and the day it was built, "YYYY-MM-DD".
namespace kestrel::BuildInfo {
std::string_view commit();
std::string_view date();
}  // namespace kestrel::BuildInfo
