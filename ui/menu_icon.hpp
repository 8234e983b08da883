#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

#include "core/monitor/status_texts.hpp"

// The tray icon's images for each state of the last check.
namespace kestrel::AlertViews {

// The tint's colour: the system green, red and grey.
QColor color(MenuIconTint tint);

// The freedesktop icon-theme name that fits the state ("emblem-default", "dialog-error",
// "media-playback-pause", "dialog-warning").
QString themeIconName(MenuIconState state);

// The state drawn in its tint at whatever size is asked for: a filled circle with a white
// check mark (good) or cross (bad), a ring with a bar (idle), a warning triangle (camera
// problem), on a transparent square.
QIcon paintedMenuIcon(MenuIconState state);

// The themed icon when the current theme has one, else the painted one.
QIcon menuIcon(MenuIconState state);

}  // namespace kestrel::AlertViews
