#pragma once

#include <string>
#include <vector>

#include "core/monitor/monitor_io.hpp"

namespace kestrel {

// What the controller asks of the desktop: the tray menu, the glow, the window and modal
// questions. The Qt shell draws them; the controller's tests record the calls. Every call
// comes on the main thread.
class Desktop {
 public:
  virtual ~Desktop() = default;

  // The tray icon and its menu (or, without a tray, the small window standing in for it).
  virtual void installMenu() = 0;
  // Titles, states and the icon brought up to date from the controller.
  virtual void refreshMenu() = 0;
  // The glow at the top of the screens, shown even without an alert when `forced`; `events`
  // are those of the input that led here (a raised alert pulses it).
  virtual void updateGlow(bool forced, const std::vector<MonitorEvent>& events) = 0;

  // The main window: whether it is open, making it on first use and showing it, and
  // bringing it up to date (`reloadLog`: the day's log changed too).
  virtual bool windowOpen() const = 0;
  virtual void showWindow() = 0;
  virtual void refreshWindow(bool reloadLog) = 0;

  // A modal question with two buttons; true when the first was chosen.
  virtual bool confirm(const std::string& title, const std::string& text, const std::string& accept,
                       const std::string& reject) = 0;
  // Opens an address or a file with the desktop's handler; fire and forget.
  virtual void openAddress(const std::string& address) = 0;
  // Ends the program in order, as Quit in the menu does.
  virtual void quit() = 0;
};

}  // namespace kestrel
