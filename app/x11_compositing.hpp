#pragma once

#include <cstdint>
#include <map>

class QScreen;

namespace kestrel {

// Whether a compositing manager blends the windows of an X screen: it owns the screen's
// _NET_WM_CM_Sn selection. Off X11 (offscreen, say) windows are taken to be blended. The
// selections' atoms are asked for once, so that a later question is one round trip.
class X11Compositing {
 public:
  bool active(const QScreen* screen);

 private:
  std::map<int, std::uint32_t> atoms_;  // by X screen number; 0 for a selection nobody made yet
};

}  // namespace kestrel
