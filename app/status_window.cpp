#include "app/status_window.hpp"

#include <QCheckBox>
#include <QFont>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/launch/app_info.hpp"
#include "ui/menu_icon.hpp"

namespace kestrel {

namespace {

QString text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

bool isLine(MenuItemId id) {
  return id == MenuItemId::testCopy || id == MenuItemId::status || id == MenuItemId::score ||
         id == MenuItemId::version;
}

}  // namespace

StatusWindow::StatusWindow(Choose choose, QWidget* parent)
    : QWidget(parent), choose_(std::move(choose)), stateIcon_(new QLabel(this)), trayNoteLabel_(new QLabel(this)) {
  setWindowTitle(text(AppInfo::name));
  setWindowIcon(QIcon::fromTheme(text(AppInfo::bundleIdentifier)));

  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  for (const auto& [id, name] : EnumTexts<MenuItemId>::table) {
    QWidget* widget = nullptr;
    if (isLine(id)) {
      auto* label = new QLabel(this);
      label->setWordWrap(true);
      lines_[id] = label;
      widget = label;
    } else if (id == MenuItemId::login) {
      auto* box = new QCheckBox(this);
      connect(box, &QCheckBox::clicked, this, [this, item = id] { choose_(item); });
      buttons_[id] = box;
      widget = box;
    } else {
      auto* button = new QPushButton(this);
      connect(button, &QPushButton::clicked, this, [this, item = id] { choose_(item); });
      buttons_[id] = button;
      widget = button;
    }
    widget->setObjectName(text(name));
    if (id == MenuItemId::status) {
      // The status line follows the tray icon's picture of the last check.
      auto* row = new QHBoxLayout;
      stateIcon_->setObjectName(QStringLiteral("stateIcon"));
      row->addWidget(stateIcon_);
      row->addWidget(widget, 1);
      layout->addLayout(row);
    } else {
      layout->addWidget(widget);
    }
    if (id == MenuItemId::score) {
      trayNoteLabel_->setWordWrap(true);
      trayNoteLabel_->setObjectName(QStringLiteral("trayNote"));
      trayNoteLabel_->setFrameShape(QFrame::StyledPanel);
      trayNoteLabel_->setMargin(8);
      trayNoteLabel_->hide();
      layout->addWidget(trayNoteLabel_);
    }
    // Where the menu has a separator the window leaves a gap.
    if (separatorAfter(id) || id == MenuItemId::score) layout->addSpacing(10);
  }

  QFont statusFont = lines_.at(MenuItemId::status)->font();
  statusFont.setBold(true);
  statusFont.setPointSizeF(statusFont.pointSizeF() * 1.25);
  lines_.at(MenuItemId::status)->setFont(statusFont);
  QFont small = lines_.at(MenuItemId::version)->font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  lines_.at(MenuItemId::version)->setFont(small);
  lines_.at(MenuItemId::version)->setEnabled(false);
  lines_.at(MenuItemId::testCopy)->setStyleSheet(QStringLiteral("font-weight: bold; color: #c2410c;"));
  for (auto& [id, button] : buttons_) button->setMinimumWidth(320);
}

void StatusWindow::refresh(const MenuFacts& facts) {
  std::map<MenuItemId, bool> listed;
  for (const MenuItemState& item : menuItems(facts)) {
    listed[item.id] = true;
    QWidget* widget = nullptr;
    if (QLabel* label = line(item.id)) {
      label->setText(QString::fromStdString(item.title));
      widget = label;
    } else {
      QAbstractButton* b = buttons_.at(item.id);
      b->setText(QString::fromStdString(item.title));
      b->setEnabled(item.enabled);
      b->setChecked(item.checked);
      widget = b;
    }
    widget->setVisible(item.visible);
  }
  for (const auto& [id, label] : lines_) {
    if (!listed.contains(id)) label->hide();
  }
  const int side = lines_.at(MenuItemId::status)->fontMetrics().height() + 4;
  stateIcon_->setPixmap(AlertViews::menuIcon(menuIconState(facts)).pixmap(side, side));
}

void StatusWindow::setTrayNote(TrayNote note) {
  trayNote_ = note;
  switch (note) {
    case TrayNote::none:
      trayNoteLabel_->hide();
      return;
    case TrayNote::missing:
      trayNoteLabel_->setText(QStringLiteral(
          "There is no tray icon because this desktop shows no system tray: on GNOME, turn on the "
          "“AppIndicator and KStatusNotifierItem Support” extension (package "
          "gnome-shell-extension-appindicator) and start Kestrel again; on other desktops, add a system "
          "tray to the panel."));
      break;
    case TrayNote::restartNeeded:
      trayNoteLabel_->setText(
          QStringLiteral("A system tray has appeared: quit Kestrel and start it again to put its icon there."));
      break;
  }
  trayNoteLabel_->show();
}

QAbstractButton* StatusWindow::button(MenuItemId id) const {
  auto found = buttons_.find(id);
  return found == buttons_.end() ? nullptr : found->second;
}

QLabel* StatusWindow::line(MenuItemId id) const {
  auto found = lines_.find(id);
  return found == lines_.end() ? nullptr : found->second;
}

}  // namespace kestrel
