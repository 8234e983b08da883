#include "app/chime.hpp"

#include <filesystem>
#include <system_error>
#include <vector>

namespace kestrel {

ChimeSound::Library Chime::library() const {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
    names.push_back(it->path().filename().string());
  }
  return ChimeSound::Library(names);
}

void Chime::play(std::string_view sound, bool preview) {
  ChimeSound::Resolution resolution = library().resolve(sound);
  if (!resolution.fileName) {
    log_.notice(resolution.logLine(preview));
    return;
  }
  const std::string path = (std::filesystem::path(folder_) / *resolution.fileName).string();
  // The sound service loads and starts the file in one call, so a file it cannot take is
  // reported instead of the line saying what plays.
  if (int status = player_.play(path); status != 0) {
    log_.error("chime failed chosen=" + std::string(sound) + " status=" + std::to_string(status));
    return;
  }
  log_.notice(resolution.logLine(preview));
}

}  // namespace kestrel
