#pragma once

#include <string>

namespace kestrel {

// Marks a running copy that is not the user's own (a test build or a performance run): the
// tray shows `statusTitle` and the menu opens with `menuLine`, greyed out.
struct TestCopyMark {
  std::string statusTitle;
  std::string menuLine;

  // "TEST" and "Test copy — not your Kestrel".
  static TestCopyMark standard();

  bool operator==(const TestCopyMark&) const = default;
};

}  // namespace kestrel
