#include "core/base/sha256.hpp"

#include <gtest/gtest.h>

#include <string>

#include "core/tests/support/temp_folder.hpp"

namespace kestrel {
namespace {

// Lengths around the padding boundaries: a message of 55 bytes still fits its length into
// the last block, one of 56 needs a further block; 64 and 120 fill whole blocks.
TEST(Sha256, MatchesPublishedDigests) {
  const std::pair<std::string, const char*> vectors[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
      {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
      {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
      {std::string(119, 'a'), "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb"},
      {std::string(120, 'a'), "2f3d335432c70b580af0e8e1b3674a7c020d683aa5f73aaaedfdc55af904c21c"},
  };
  for (const auto& [message, digest] : vectors) EXPECT_EQ(sha256Hex(message), digest) << message.size();
}

TEST(Sha256, PiecesGiveTheSameDigestAsOneUpdate) {
  const std::string million(1000000, 'a');
  Sha256 hash;
  // Uneven pieces cross the 64-byte blocks at every offset.
  std::size_t at = 0;
  for (std::size_t piece = 1; at < million.size(); piece = piece % 97 + 1) {
    const std::size_t take = std::min(piece, million.size() - at);
    hash.update(std::string_view(million).substr(at, take));
    at += take;
  }
  EXPECT_EQ(hash.hexDigest(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256, FileDigestAndUnreadableFile) {
  const testing::TempFolder folder;
  testing::writeBytes(folder / "abc.bin", "abc");
  EXPECT_EQ(sha256OfFile(folder / "abc.bin"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(sha256OfFile(folder / "absent.bin"), std::nullopt);
}

}  // namespace
}  // namespace kestrel
