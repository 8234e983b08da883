#include "core/settings/sound_name.hpp"

#include <gtest/gtest.h>

#include <string>

namespace kestrel {
namespace {

TEST(SoundName, ValidityAtItsBoundaries) {
  // "é" is two bytes and one character: the limit counts characters.
  std::string e64;
  for (int i = 0; i < 64; ++i) e64 += "\u00e9";
  struct Case {
    std::string name;
    bool valid;
  };
  const Case cases[] = {
      {"complete", true},
      {"", false},
      {std::string(64, 'a'), true},
      {std::string(65, 'a'), false},
      {e64, true},
      {e64 + "a", false},
      {"a/b", false},
      {"..", false},
      {"a..b", false},
      {".", true},
      {"a.b.c", true},
      {" ", true},
  };
  for (const auto& c : cases) EXPECT_EQ(ChimeSound::isValidName(c.name), c.valid) << '"' << c.name << '"';
}

}  // namespace
}  // namespace kestrel
