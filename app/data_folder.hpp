#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/locations.hpp"

namespace kestrel {

// The data folder is the user's alone: it is created with mode 0700, and a folder under it
// that others may enter, or a file that others may read, is tightened to 0700 or 0600. Gives
// the log line when anything was tightened ("data folder permissions tightened folders=1
// files=3"), or a failure's line.
std::optional<std::string> secureDataFolder(const std::filesystem::path& folder);

// A file that exists but cannot be decoded is kept beside itself as NAME.corrupt (an older
// copy of that name is replaced), so that the first save over it loses nothing the user
// had. Gives the log line of what was kept, or of the failure to keep it.
std::optional<std::string> keepDamaged(const std::filesystem::path& file, bool damaged);

}  // namespace kestrel
