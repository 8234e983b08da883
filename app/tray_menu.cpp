#include "app/tray_menu.hpp"

#include <QAction>
#include <QCursor>
#include <QKeySequence>

#include "ui/menu_icon.hpp"

namespace kestrel {

MenuController::MenuController(Facts facts, Choose choose, SystemLog& log, QObject* parent)
    : QObject(parent),
      facts_(std::move(facts)),
      choose_(std::move(choose)),
      log_(log) {
  for (const auto& [id, name] : EnumTexts<MenuItemId>::table) {
    QAction* action = menu_.addAction(QString());
    action->setObjectName(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    connect(action, &QAction::triggered, this, [this, item = id] { choose_(item); });
    actions_[id] = action;
    if (separatorAfter(id)) menu_.addSeparator();
  }
  actions_.at(MenuItemId::quit)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(&menu_, &QMenu::aboutToShow, this, [this] { refresh(facts_(true)); });
  // A left click on the icon opens the menu too, as on trays that only send an activation.
  connect(&tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger) menu_.popup(QCursor::pos());
  });
}

void MenuController::install() {
  if (installed_) return;
  installed_ = true;
  const MenuFacts facts = facts_(false);
  if (!facts.hasUpdateLink) log_.error("update link invalid");
  refresh(facts);
  tray_.setContextMenu(&menu_);
  tray_.show();
}

void MenuController::refresh(const MenuFacts& facts) {
  // Items the facts leave out (the test-copy line of the user's own copy) stay hidden.
  std::map<MenuItemId, bool> listed;
  for (const MenuItemState& item : menuItems(facts)) {
    QAction* action = actions_.at(item.id);
    action->setText(QString::fromStdString(item.title));
    action->setVisible(item.visible);
    action->setEnabled(item.enabled);
    action->setCheckable(item.checkable);
    action->setChecked(item.checked);
    listed[item.id] = true;
  }
  for (const auto& [id, action] : actions_) {
    if (!listed.contains(id)) action->setVisible(false);
  }

  const MenuIconState state = menuIconState(facts);
  // Each new icon goes over D-Bus to the tray, so it is set only when the state changes.
  if (shownIcon_ != state) {
    tray_.setIcon(AlertViews::menuIcon(state));
    shownIcon_ = state;
  }
  QString tip = QString::fromUtf8(label(state).data(), static_cast<qsizetype>(label(state).size()));
  if (facts.testCopyMark) tip = QString::fromStdString(facts.testCopyMark->statusTitle) + QStringLiteral(" · ") + tip;
  tray_.setToolTip(tip);
}

}  // namespace kestrel
