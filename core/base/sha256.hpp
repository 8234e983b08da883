#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// SHA-256 (FIPS 180-4), fed in pieces. Digests are written as 64 lower-case hexadecimal
// characters, the form used for model and video hashes.
class Sha256 {
 public:
  Sha256();

  void update(std::string_view bytes);
  // The digest of everything fed so far. The hash is finished: feed nothing afterwards.
  std::string hexDigest();

 private:
  void compress(const std::uint8_t* block);

  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> buffer_{};
  std::size_t buffered_ = 0;
  std::uint64_t length_ = 0;  // bytes fed
};

std::string sha256Hex(std::string_view bytes);

// The digest of a file's contents; absent when the file cannot be read.
std::optional<std::string> sha256OfFile(const std::filesystem::path& path);

}  // namespace kestrel
