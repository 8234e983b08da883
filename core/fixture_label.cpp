#include "core/fixture_label.hpp"

namespace kestrel {

Expectation expectation(FixtureLabel label) {
  switch (label) {
    case FixtureLabel::chinOnPalm:
    case FixtureLabel::fingersInBeard:
    case FixtureLabel::palmOverJaw:
      return Expectation::handAtChin;
    case FixtureLabel::naturalWork:
      return Expectation::labeled;
    default:
      return Expectation::calibration;
  }
}

std::string slug(FixtureLabel label) {
  std::string result;
  std::string piece;
  auto flush = [&] {
    if (piece.empty()) return;
    if (!result.empty()) result += '-';
    result += piece;
    piece.clear();
  };
  for (char c : toText(label)) {
    const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (alnum) {
      piece += c;
    } else {
      flush();
    }
  }
  flush();
  return result;
}

std::string_view instruction(FixtureLabel label) {
  switch (label) {
    case FixtureLabel::sitWellLaptop:
      return "Sit the way you want to sit, looking at the laptop screen.";
    case FixtureLabel::leanInFull:
      return "Lean towards the screen as far as is still comfortable, and hold it.";
    case FixtureLabel::leanBack:
      return "Lean back in your chair as far as is comfortable, still facing the screen.";
    case FixtureLabel::turnLeft:
      return "Turn your head fully to the left, then hold it there.";
    case FixtureLabel::turnRight:
      return "Turn your head fully to the right, then hold it there.";
    case FixtureLabel::lookUp:
      return "Tilt your head back and look up above the screen.";
    case FixtureLabel::lookDown:
      return "Look down at the keyboard or your desk, as if reading notes.";
    case FixtureLabel::chinOnPalm:
      return "Rest your chin on the palm of one hand, elbow on the desk.";
    case FixtureLabel::fingersInBeard:
      return "Rub or stroke your chin and jaw with your fingers while you look at the screen.";
    case FixtureLabel::palmOverJaw:
      return "Lay one palm over your jaw and cheek, as if thinking.";
    case FixtureLabel::naturalWork:
      return "Work as you normally do. Nothing to pose; the window can stay in a corner.";
  }
  return "";
}

double recordingMargin(FixtureLabel label) {
  switch (label) {
    case FixtureLabel::chinOnPalm:
    case FixtureLabel::fingersInBeard:
    case FixtureLabel::palmOverJaw:
    case FixtureLabel::naturalWork:
      return 5;
    default:
      return 3;
  }
}

}  // namespace kestrel
