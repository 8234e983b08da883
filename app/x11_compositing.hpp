#pragma once

class QScreen;

namespace kestrel {

// Whether a compositing manager blends the windows of an X screen: it owns the screen's
// _NET_WM_CM_Sn selection. Off X11 (offscreen, XWayland through a Wayland compositor's own
// ownership aside) the windows are taken to be blended.
namespace X11Compositing {

bool active(const QScreen* screen);

}  // namespace X11Compositing

}  // namespace kestrel
