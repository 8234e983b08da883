#pragma once

#include <map>
#include <string>

namespace kestrel {

// Where the developer tools keep fixture videos and their skeleton files.
struct FixturePaths {
  // $LS_FIXTURES when set and not empty, else ~/.local/share/Larkspur-dev/fixtures.
  static std::string root(const std::map<std::string, std::string>& environment, const std::string& home);
  static std::string videos(const std::string& root) { return root + "/videos"; }
  static std::string skeletons(const std::string& root) { return root + "/skeletons"; }
  static std::string index(const std::string& root) { return root + "/index.json"; }
};

}  // namespace kestrel
