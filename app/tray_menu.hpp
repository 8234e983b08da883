#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <functional>
#include <map>
#include <optional>

#include "app/menu_model.hpp"
#include "platform/system_log.hpp"

class QAction;

namespace kestrel {

// The tray icon and its menu. The menu holds one action per item, made once; every refresh
// only retitles, shows, hides, ticks or enables them. Opening the menu reads the facts anew
// (today's score, the login item) before it shows.
class MenuController : public QObject {
  Q_OBJECT

 public:
  // The menu's facts at this moment; `opening` when the menu is about to show.
  using Facts = std::function<MenuFacts(bool opening)>;
  using Choose = std::function<void(MenuItemId)>;

  MenuController(Facts facts, Choose choose, SystemLog& log, QObject* parent = nullptr);

  // Shows the icon in the tray with its menu and brings both up to date. Once.
  void install();
  bool installed() const { return installed_; }
  // Titles, visibility, ticks, the icon and its tooltip from the facts.
  void refresh(const MenuFacts& facts);

  QMenu& menu() { return menu_; }
  QSystemTrayIcon& trayIcon() { return tray_; }
  QAction* action(MenuItemId id) const { return actions_.at(id); }

 private:
  Facts facts_;
  Choose choose_;
  SystemLog& log_;
  QMenu menu_;
  QSystemTrayIcon tray_;  // after the menu, so that it lets go of the menu first
  std::map<MenuItemId, QAction*> actions_;
  std::optional<MenuIconState> shownIcon_;
  bool installed_ = false;
};

}  // namespace kestrel
