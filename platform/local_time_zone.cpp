#include "platform/local_time_zone.hpp"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace kestrel {

Calendar localTimeZone() {
  if (const char* tz = std::getenv("TZ"); tz != nullptr && *tz != '\0') {
    if (auto calendar = Calendar::named(*tz == ':' ? tz + 1 : tz)) return *calendar;
  }
  std::error_code error;
  const std::filesystem::path target = std::filesystem::read_symlink("/etc/localtime", error);
  if (!error) {
    const std::string text = target.string();
    if (auto at = text.find("zoneinfo/"); at != std::string::npos) {
      if (auto calendar = Calendar::named(text.substr(at + 9))) return *calendar;
    }
  }
  return Calendar::utc();
}

}  // namespace kestrel
