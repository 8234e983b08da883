#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/base/json_io.hpp"

namespace kestrel {

// The whole content of a regular file; absent when it is missing, not a regular file or
// cannot be read.
std::optional<std::string> readFile(const std::filesystem::path& path);

// Reads a regular file whole into the storage that `buffer(size)` provides for its size;
// gives the number of bytes read (which may be fewer when the file shrank meanwhile), or
// absent as readFile.
std::optional<std::size_t> readFileInto(const std::filesystem::path& path,
                                        const std::function<char*(std::size_t)>& buffer);

// Replaces the file with `bytes` so that a reader sees either the old or the new content,
// never a part: the bytes go to a temporary file in the same folder, which is flushed to the
// disk and then renamed over the target. Throws std::system_error on failure, leaving the
// old file as it was.
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// The writer of the small settings-like files: creates the folder with its parents, then
// writes the value as indented JSON with sorted keys (no final line feed), atomically.
// Throws std::filesystem::filesystem_error, std::system_error or EncodeError.
void writeJSON(const Json& value, const std::filesystem::path& path);

}  // namespace kestrel
