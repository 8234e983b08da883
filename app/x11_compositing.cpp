#include "app/x11_compositing.hpp"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <QList>
#include <QScreen>
#include <cstdlib>
#include <memory>
#include <string>

namespace kestrel::X11Compositing {

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

bool active(const QScreen* screen) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11 || !screen) return true;
  xcb_connection_t* connection = x11->connection();
  const std::string name = "_NET_WM_CM_S" + std::to_string(screenNumber(screen));
  const xcb_intern_atom_cookie_t cookie =
      xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(name.size()), name.c_str());
  const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
      xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
  // An atom nobody ever made has no owner either.
  if (!atom || atom->atom == XCB_ATOM_NONE) return false;
  const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
      xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr), &std::free);
  return owner && owner->owner != XCB_NONE;
}

}  // namespace kestrel::X11Compositing
