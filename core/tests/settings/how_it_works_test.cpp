#include "core/settings/how_it_works.hpp"

#include <gtest/gtest.h>

#include <string>

namespace kestrel {
namespace {

bool contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

Thresholds atOneMinute() { return Thresholds{}.applying(Sensitivity::normal).applying(CheckInterval::min1); }

TEST(HowItWorks, WholeTextWithTheDefaults) {
  const std::string expected =
      "What it watches\n"
      "Kestrel looks at your face and hands through the built-in camera. OpenCV analyses each frame on this "
      "computer with pretrained models.\n"
      "\n"
      "How often\n"
      "It makes one check every minute. Each check looks at 4 frames about half a second apart: 3 of the 4 must "
      "agree, or all the frames that could see you, if at least 2 could. Between checks the camera is off: its "
      "light comes on for a few seconds at each check.\n"
      "\n"
      "What it checks\n"
      "Two things: too close to the screen, and hand at chin.\n"
      "\n"
      "When it glows\n"
      "For your head, at the first bad check. For your hand, at the first bad check. It chimes once, 30 seconds "
      "into an alert.\n"
      "\n"
      "What is saved\n"
      "Numbers each check (face size and position, angles, joint points, verdicts), one file per day, kept 60 "
      "days. At each alert it keeps a line drawing and one photo from the camera, kept for 7 days (change this in "
      "Settings). The pictures folder carries a CACHEDIR.TAG, so backup tools that honour it (tar, borg, restic) "
      "skip it. There is no video, ever; nothing leaves this computer.\n"
      "\n"
      "Privacy\n"
      "Nothing leaves this computer: the app makes no network connections at all.\n"
      "\n"
      "Not a medical device.\n"
      "\n"
      "Version abc1234 \u00b7 7 Mar";
  EXPECT_EQ(HowItWorks::text(atOneMinute(), 60, AppSettings{}, "Version abc1234 · 7 Mar"), expected);
  EXPECT_EQ(HowItWorks::text(atOneMinute(), 60, AppSettings{}, std::nullopt),
            expected.substr(0, expected.rfind("\n\n")));
}

TEST(HowItWorks, CadenceAndBurstFollowTheThresholds) {
  Thresholds t{};  // every 15 seconds
  t.burstFrames = 5;
  t.burstMajority = 4;
  AppSettings steady;
  steady.cameraBetweenChecks = CameraDuty::Mode::steady;
  const std::string text = HowItWorks::text(t, 14, steady, std::nullopt);
  EXPECT_TRUE(contains(text, "It makes one check every 15 seconds. Each check looks at 6 frames about half a "
                             "second apart: 4 of the 6 must agree,"));
  EXPECT_TRUE(contains(text, "if at least 2 could. The camera and its light stay on between checks (change this "
                             "in Settings).\n\nWhat it checks"));
  EXPECT_TRUE(contains(text, "one file per day, kept 14 days. "));
  EXPECT_TRUE(contains(HowItWorks::text(t.applying(CheckInterval::min5), 60, steady, std::nullopt),
                       "It makes one check every 5 minutes."));
}

Thresholds head(double interval, std::int64_t badToRaise) {
  Thresholds t{};
  t.checkInterval = interval;
  t.headBadToRaise = badToRaise;
  return t;
}

Thresholds hand(std::int64_t run) {
  Thresholds t{};
  t.handBadRun = run;
  return t;
}

AppSettings chime(bool enabled, ChimeDelay delay) {
  AppSettings s;
  s.chimeEnabled = enabled;
  s.chimeDelay = delay;
  return s;
}

AppSettings pictures(bool keepPhotos, PictureRetention retention) {
  AppSettings s;
  s.keepPhotos = keepPhotos;
  s.pictureRetention = retention;
  return s;
}

// Each sentence with the text around it, so that it is found in its own paragraph.
TEST(HowItWorks, SentencesFollowThresholdsAndSettings) {
  struct Case {
    Thresholds thresholds;
    AppSettings settings;
    const char* text;
  };
  const Case cases[] = {
      {head(15, 1), {}, "When it glows\nFor your head, at the first bad check. "},
      {head(15, 0), {}, "When it glows\nFor your head, at the first bad check. "},
      {head(15, 4), {}, "When it glows\nFor your head, after about a minute of mostly bad checks. "},  // 60 s
      {head(44.5, 2), {}, "When it glows\nFor your head, after about a minute of mostly bad checks. "},  // 89 s
      // 90 s and 150 s: halves round up.
      {head(45, 2), {}, "When it glows\nFor your head, after about 2 minutes of mostly bad checks. "},
      {head(30, 5), {}, "When it glows\nFor your head, after about 3 minutes of mostly bad checks. "},
      // Small counts are written in words.
      {hand(1), {}, " For your hand, at the first bad check. It chimes"},
      {hand(0), {}, " For your hand, at the first bad check. It chimes"},
      {hand(2), {}, " For your hand, after two bad checks in a row. It chimes"},
      {hand(10), {}, " For your hand, after ten bad checks in a row. It chimes"},
      {hand(11), {}, " For your hand, after 11 bad checks in a row. It chimes"},
      {atOneMinute(), chime(true, ChimeDelay::atRaise), "It chimes once, when an alert starts.\n\nWhat is saved"},
      {atOneMinute(), chime(true, ChimeDelay::min1), "It chimes once, 1 minute into an alert.\n\nWhat is saved"},
      {atOneMinute(), chime(true, ChimeDelay::min3), "It chimes once, 3 minutes into an alert.\n\nWhat is saved"},
      {atOneMinute(), chime(false, ChimeDelay::min3), "The chime is off.\n\nWhat is saved"},
      {atOneMinute(), pictures(true, PictureRetention::day),
       "a line drawing and one photo from the camera, kept today only (change this in Settings). The pictures"},
      {atOneMinute(), pictures(true, PictureRetention::month),
       "a line drawing and one photo from the camera, kept for 30 days (change this in Settings). The pictures"},
      {atOneMinute(), pictures(false, PictureRetention::week),
       "kept 60 days. At each alert it keeps a line drawing, kept for 7 days (Keep photos is off, so no photo). The"},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(contains(HowItWorks::text(c.thresholds, 60, c.settings, std::nullopt), c.text)) << c.text;
  }
}

}  // namespace
}  // namespace kestrel
