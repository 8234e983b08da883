#include "core/settings/how_it_works.hpp"

#include <array>
#include <cmath>

#include "core/model/check_interval.hpp"

namespace kestrel::HowItWorks {

namespace {

std::string countInWords(std::int64_t n) {
  static constexpr std::array<std::string_view, 11> words{"zero", "one", "two",   "three", "four", "five",
                                                          "six",  "seven", "eight", "nine", "ten"};
  if (n >= 0 && n <= 10) return std::string(words[static_cast<std::size_t>(n)]);
  return std::to_string(n);
}

std::string headSentence(const Thresholds& t) {
  if (t.headBadToRaise < 2) return "For your head, at the first bad check.";
  const double seconds = t.checkInterval * static_cast<double>(t.headBadToRaise);
  const std::string duration =
      seconds < 90 ? "about a minute" : "about " + std::to_string(std::llround(seconds / 60)) + " minutes";
  return "For your head, after " + duration + " of mostly bad checks.";
}

std::string handSentence(const Thresholds& t) {
  if (t.handBadRun < 2) return "For your hand, at the first bad check.";
  return "For your hand, after " + countInWords(t.handBadRun) + " bad checks in a row.";
}

std::string_view delayPhrase(ChimeDelay delay) {
  switch (delay) {
    case ChimeDelay::atRaise:
      return "when an alert starts";
    case ChimeDelay::s30:
      return "30 seconds into an alert";
    case ChimeDelay::min1:
      return "1 minute into an alert";
    case ChimeDelay::min3:
      return "3 minutes into an alert";
  }
  return {};
}

std::string chimeSentence(const AppSettings& s) {
  if (!s.chimeEnabled) return "The chime is off.";
  return "It chimes once, " + std::string(delayPhrase(s.chimeDelay)) + ".";
}

std::string pictureSentence(const AppSettings& s) {
  const std::string keep = s.pictureRetention == PictureRetention::day
                               ? "kept today only"
                               : "kept for " + std::to_string(days(s.pictureRetention)) + " days";
  if (s.keepPhotos) {
    return "At each alert it keeps a line drawing and one photo from the camera, " + keep +
           " (change this in Settings).";
  }
  return "At each alert it keeps a line drawing, " + keep + " (Keep photos is off, so no photo).";
}

}  // namespace

std::string text(const Thresholds& thresholds, std::int64_t retentionDays, const AppSettings& settings,
                 std::optional<std::string_view> versionLine) {
  const std::string frames = std::to_string(thresholds.burstFrames + 1);
  std::string out =
      "What it watches\n"
      "Kestrel looks at your face and hands through the built-in camera. OpenCV analyses each frame on this "
      "computer with pretrained models.\n\n"
      "How often\n"
      "It makes one check ";
  out += phrase(thresholds.checkInterval);
  out += ". Each check looks at " + frames + " frames about half a second apart: " +
         std::to_string(thresholds.burstMajority) + " of the " + frames +
         " must agree, or all the frames that could see you, if at least 2 could. ";
  out += settings.cameraBetweenChecks == CameraDuty::Mode::off
             ? "Between checks the camera is off: its light comes on for a few seconds at each check."
             : "The camera and its light stay on between checks (change this in Settings).";
  out +=
      "\n\nWhat it checks\nTwo things: too close to the screen, and hand at chin.\n\n"
      "When it glows\n";
  out += headSentence(thresholds) + " " + handSentence(thresholds) + " " + chimeSentence(settings);
  out +=
      "\n\nWhat is saved\nNumbers each check (face size and position, angles, joint points, verdicts), one file "
      "per day, kept " +
      std::to_string(retentionDays) + " days. ";
  out += pictureSentence(settings);
  out +=
      " The pictures folder carries a CACHEDIR.TAG, so backup tools that honour it (tar, borg, restic) skip it. "
      "There is no video, ever; nothing leaves this computer.\n\n"
      "Privacy\nNothing leaves this computer: the app makes no network connections at all.\n\n"
      "Not a medical device.";
  if (versionLine) {
    out += "\n\n";
    out += *versionLine;
  }
  return out;
}

}  // namespace kestrel::HowItWorks
