#include "core/fixture_paths.hpp"

namespace kestrel {

std::string FixturePaths::root(const std::map<std::string, std::string>& environment, const std::string& home) {
  if (auto it = environment.find("LS_FIXTURES"); it != environment.end() && !it->second.empty()) return it->second;
  return home + "/.local/share/Larkspur-dev/fixtures";
}

}  // namespace kestrel
