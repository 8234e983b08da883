#include "app/x11_compositing.hpp"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <QList>
#include <QScreen>
#include <cstdlib>
#include <memory>
#include <string>

namespace kestrel {

namespace {

// The X screen a Qt screen lies on: Qt gives every X screen its own group of sibling screens,
// in the X screens' order.
int screenNumber(const QScreen* screen) {
  QList<const QScreen*> firsts;
  for (const QScreen* s : QGuiApplication::screens()) {
    const QList<QScreen*> siblings = s->virtualSiblings();
    const QScreen* first = siblings.isEmpty() ? s : siblings.first();
    if (!firsts.contains(first)) firsts.push_back(first);
    if (s == screen) return static_cast<int>(firsts.indexOf(first));
  }
  return 0;
}

}  // namespace

bool X11Compositing::active(const QScreen* screen) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11 || !screen) return true;
  xcb_connection_t* connection = x11->connection();
  const int number = screenNumber(screen);
  std::uint32_t& atom = atoms_[number];
  if (atom == XCB_ATOM_NONE) {
    // Made by the first compositing manager to start on the screen: until then, no owner.
    const std::string name = "_NET_WM_CM_S" + std::to_string(number);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection,
                              xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(name.size()), name.c_str()),
                              nullptr),
        &std::free);
    if (!reply || reply->atom == XCB_ATOM_NONE) return false;
    atom = reply->atom;
  }
  const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
      xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom), nullptr), &std::free);
  return owner && owner->owner != XCB_NONE;
}

}  // namespace kestrel
