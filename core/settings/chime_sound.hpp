#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings/sound_name.hpp"

// Which sound file a chosen chime name plays. The sounds are the freedesktop sound theme's
// files in one folder; a name is a file name without its extension.
namespace kestrel::ChimeSound {

inline constexpr std::string_view folder = "/usr/share/sounds/freedesktop/stereo";

// Compared with a file's last extension in lower case.
inline constexpr std::array<std::string_view, 3> extensions{"oga", "ogg", "wav"};

// What a chosen name resolved to.
struct Resolution {
  std::string name;                     // the sound that will play (`fallback` when falling back)
  std::optional<std::string> fileName;  // its file in the folder; absent when nothing can play
  std::string chosen;                   // the name that was asked for
  bool fallback = false;                // `name` is not `chosen`, or nothing was found

  // The file's full path in the folder; absent without a file.
  std::optional<std::string> path() const;

  // "chime [preview ]sound=<name> chosen=<chosen> fallback=<true|false>", or without a file
  // "chime failed chosen=<chosen> reason=missing".
  std::string logLine(bool preview) const;

  bool operator==(const Resolution&) const = default;
};

// The sounds of the folder as offered in the Settings tab.
struct Library {
  std::map<std::string, std::string> files;  // sound name → file name with its extension
  std::vector<std::string> names;            // the sound names, case-insensitively sorted

  Library() = default;
  // From the folder's listing: a file is kept when it is not hidden, its extension is a
  // sound's and its name is valid; of two files with one name, the first in byte order of the file names wins.
  explicit Library(const std::vector<std::string>& fileNames);

  std::optional<std::string> fileName(std::string_view name) const;

  // The chosen sound, else the fallback sound, else nothing (still naming the fallback).
  Resolution resolve(std::string_view chosen) const;

  // The entry to select in the sound menu for a stored name: the name itself when the
  // library has it, otherwise the fallback.
  std::string menuSelection(std::string_view stored) const;

  bool operator==(const Library&) const = default;
};

}  // namespace kestrel::ChimeSound
