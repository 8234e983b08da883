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
}

TEST(HowItWorks, EndsWithoutAVersionLineWhenThereIsNone) {
  const std::string text = HowItWorks::text(atOneMinute(), 60, AppSettings{}, std::nullopt);
  EXPECT_TRUE(text.ends_with("Not a medical device."));
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

TEST(HowItWorks, HeadSentenceFollowsTheRaiseCountAndInterval) {
  struct Case {
    double interval;
    std::int64_t badToRaise;
    const char* sentence;
  };
  const Case cases[] = {
      {15, 1, "For your head, at the first bad check."},
      {15, 0, "For your head, at the first bad check."},
      {15, 4, "For your head, after about a minute of mostly bad checks."},     // 60 s
      {44.5, 2, "For your head, after about a minute of mostly bad checks."},   // 89 s
      {45, 2, "For your head, after about 2 minutes of mostly bad checks."},    // 90 s: 1.5 rounds up
      {30, 5, "For your head, after about 3 minutes of mostly bad checks."},    // 150 s: 2.5 rounds up
      {61, 3, "For your head, after about 3 minutes of mostly bad checks."},    // 183 s
      {300, 4, "For your head, after about 20 minutes of mostly bad checks."},
  };
  for (const auto& c : cases) {
    Thresholds t{};
    t.checkInterval = c.interval;
    t.headBadToRaise = c.badToRaise;
    EXPECT_TRUE(contains(HowItWorks::text(t, 60, AppSettings{}, std::nullopt), std::string("When it glows\n") + c.sentence + " "))
        << c.interval << " × " << c.badToRaise;
  }
}

TEST(HowItWorks, HandSentenceWritesSmallCountsInWords) {
  struct Case {
    std::int64_t run;
    const char* sentence;
  };
  const Case cases[] = {
      {1, "For your hand, at the first bad check."},
      {0, "For your hand, at the first bad check."},
      {2, "For your hand, after two bad checks in a row."},
      {10, "For your hand, after ten bad checks in a row."},
      {11, "For your hand, after 11 bad checks in a row."},
  };
  for (const auto& c : cases) {
    Thresholds t{};
    t.handBadRun = c.run;
    EXPECT_TRUE(contains(HowItWorks::text(t, 60, AppSettings{}, std::nullopt), std::string(" ") + c.sentence + " It chimes"))
        << c.run;
  }
}

TEST(HowItWorks, ChimeSentenceFollowsTheSettings) {
  struct Case {
    bool enabled;
    ChimeDelay delay;
    const char* sentence;
  };
  const Case cases[] = {
      {true, ChimeDelay::atRaise, "It chimes once, when an alert starts."},
      {true, ChimeDelay::s30, "It chimes once, 30 seconds into an alert."},
      {true, ChimeDelay::min1, "It chimes once, 1 minute into an alert."},
      {true, ChimeDelay::min3, "It chimes once, 3 minutes into an alert."},
      {false, ChimeDelay::min3, "The chime is off."},
  };
  for (const auto& c : cases) {
    AppSettings s;
    s.chimeEnabled = c.enabled;
    s.chimeDelay = c.delay;
    EXPECT_TRUE(contains(HowItWorks::text(atOneMinute(), 60, s, std::nullopt), std::string(c.sentence) + "\n\nWhat is saved"))
        << c.sentence;
  }
}

TEST(HowItWorks, PictureSentenceFollowsPhotosAndRetention) {
  struct Case {
    bool keepPhotos;
    PictureRetention retention;
    const char* sentence;
  };
  const Case cases[] = {
      {true, PictureRetention::day,
       "At each alert it keeps a line drawing and one photo from the camera, kept today only (change this in Settings)."},
      {true, PictureRetention::month,
       "At each alert it keeps a line drawing and one photo from the camera, kept for 30 days (change this in Settings)."},
      {false, PictureRetention::week,
       "At each alert it keeps a line drawing, kept for 7 days (Keep photos is off, so no photo)."},
      {false, PictureRetention::day, "At each alert it keeps a line drawing, kept today only (Keep photos is off, so no photo)."},
  };
  for (const auto& c : cases) {
    AppSettings s;
    s.keepPhotos = c.keepPhotos;
    s.pictureRetention = c.retention;
    EXPECT_TRUE(contains(HowItWorks::text(atOneMinute(), 60, s, std::nullopt),
                         std::string("kept 60 days. ") + c.sentence + " The pictures folder"))
        << c.sentence;
  }
}

}  // namespace
}  // namespace kestrel
