#include "core/launch/capture_format.hpp"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

using Candidate = CaptureFormat::Candidate;

TEST(CaptureFormat, ChoosesTheNarrowestWideEnoughSixteenByNinePreferringFourTwoZero) {
  struct Case {
    const char* what;
    std::vector<Candidate> candidates;
    std::optional<std::size_t> chosen;
  };
  const Case cases[] = {
      {"the usual laptop camera",
       {{1920, 1080, false}, {1280, 720, false}, {1280, 720, true}, {640, 480, false}},
       2},
      {"no formats at all", {}, std::nullopt},
      {"16:9 but narrower than 1280", {{1024, 576, true}, {854, 480, true}}, std::nullopt},
      {"almost 16:9", {{1280, 721, true}, {1280, 768, true}, {1366, 768, true}}, std::nullopt},
      {"a narrower format beats 4:2:0", {{1920, 1080, true}, {1280, 720, false}}, 1},
      {"4:2:0 replaces an equally wide earlier one", {{1280, 720, false}, {1920, 1080, true}, {1280, 720, true}}, 2},
      {"a later equally wide format without 4:2:0 does not", {{1280, 720, true}, {1280, 720, false}}, 0},
      {"full tie: the earliest", {{1920, 1080, false}, {1280, 720, true}, {1280, 720, true}}, 1},
      {"exactly 1280 wide counts", {{1280, 720, false}}, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(CaptureFormat::choose(c.candidates), c.chosen) << c.what;
}

}  // namespace
}  // namespace kestrel
