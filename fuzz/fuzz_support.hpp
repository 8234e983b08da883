#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <string_view>

// What the fuzz targets share. A broken expectation aborts, which libFuzzer reports as a crash
// and keeps the input that caused it. Decoders that are handed a path read the input from a
// scratch file in a folder of this process, removed when the process ends.
namespace kestrel::fuzz {

inline void require(bool condition) {
  if (!condition) std::abort();
}

inline std::string_view text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The file `name` in this process's scratch folder, holding exactly `bytes`.
inline std::filesystem::path scratchFile(std::string_view name, std::string_view bytes) {
  struct Folder {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("kestrel-fuzz-" + std::to_string(::getpid()));
    Folder() { std::filesystem::create_directories(path); }
    ~Folder() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  };
  static const Folder folder;
  auto path = folder.path / name;
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

}  // namespace kestrel::fuzz
