#include "core/settings/chime_sound.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrel {
namespace {

using ChimeSound::Library;
using ChimeSound::Resolution;

TEST(ChimeSoundLibrary, KeepsOneFilePerValidSoundName) {
  const Library library({"bell.oga", "complete.wav", "complete.oga", "readme.txt", ".hidden", ".secret.oga",
                         "a..b.oga", "Pop.OGA", "message", "Zap.Wav", "tick.ogg", "alarm.aiff"});
  const std::map<std::string, std::string> files{{"Pop", "Pop.OGA"},        {"Zap", "Zap.Wav"},
                                                 {"bell", "bell.oga"},      {"complete", "complete.oga"},
                                                 {"tick", "tick.ogg"}};
  EXPECT_EQ(library.files, files);
  EXPECT_EQ(library.names, (std::vector<std::string>{"bell", "complete", "Pop", "tick", "Zap"}));
  EXPECT_EQ(library.fileName("complete"), "complete.oga");
  EXPECT_EQ(library.fileName("pop"), std::nullopt);  // names match exactly
  // The listing's order does not choose the file; names differing only in case are all offered.
  EXPECT_EQ(Library({"complete.oga", "complete.wav"}).fileName("complete"), "complete.oga");
  EXPECT_EQ(Library({"bell.oga", "Bell.oga", "BELL.wav"}).names, (std::vector<std::string>{"BELL", "Bell", "bell"}));
}

TEST(ChimeSoundResolve, ChosenThenFallbackThenNothingWithPathAndLogLines) {
  const Library full({"bell.oga", "complete.oga"});
  const Library noFallback({"bell.oga"});
  const Library empty;
  struct Case {
    const char* what;
    const Library& library;
    const char* chosen;
    Resolution expected;
  };
  const Case cases[] = {
      {"present", full, "bell", {"bell", "bell.oga", "bell", false}},
      {"the fallback itself", full, "complete", {"complete", "complete.oga", "complete", false}},
      {"missing, fallback present", full, "Glass", {"complete", "complete.oga", "Glass", true}},
      {"a path is never a name", full, "../bell", {"complete", "complete.oga", "../bell", true}},
      {"missing, no fallback", noFallback, "Glass", {"complete", std::nullopt, "Glass", true}},
      {"the fallback missing", noFallback, "complete", {"complete", std::nullopt, "complete", true}},
      {"empty folder", empty, "bell", {"complete", std::nullopt, "bell", true}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.library.resolve(c.chosen), c.expected) << c.what;

  const Resolution direct = full.resolve("bell");
  const Resolution fallen = full.resolve("Glass");
  const Resolution missing = empty.resolve("Glass");
  EXPECT_EQ(direct.path(), "/usr/share/sounds/freedesktop/stereo/bell.oga");
  EXPECT_EQ(missing.path(), std::nullopt);
  EXPECT_EQ(direct.logLine(false), "chime sound=bell chosen=bell fallback=false");
  EXPECT_EQ(direct.logLine(true), "chime preview sound=bell chosen=bell fallback=false");
  EXPECT_EQ(fallen.logLine(false), "chime sound=complete chosen=Glass fallback=true");
  EXPECT_EQ(missing.logLine(false), "chime failed chosen=Glass reason=missing");
  EXPECT_EQ(missing.logLine(true), "chime failed chosen=Glass reason=missing");
}

TEST(ChimeSoundLibrary, MenuSelectionFallsBackEvenWhenTheFallbackIsMissing) {
  const Library library({"bell.oga", "complete.oga"});
  EXPECT_EQ(library.menuSelection("bell"), "bell");
  EXPECT_EQ(library.menuSelection("Glass"), "complete");
  EXPECT_EQ(Library({"bell.oga"}).menuSelection("complete"), "complete");
}

}  // namespace
}  // namespace kestrel
