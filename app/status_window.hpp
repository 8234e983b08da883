#pragma once

#include <QWidget>
#include <functional>
#include <map>

#include "app/menu_model.hpp"

class QAbstractButton;
class QLabel;

namespace kestrel {

// The small window that stands in for the tray when the desktop has none, and for the main
// window until that exists: the status line, today's score and the menu's items as buttons,
// shown and enabled by the same rules as the menu.
class StatusWindow : public QWidget {
  Q_OBJECT

 public:
  using Choose = std::function<void(MenuItemId)>;

  // What the window says about the tray.
  enum class TrayNote {
    none,
    // The desktop shows no tray: how to get one.
    missing,
    // A tray appeared that this run cannot use (the toolkit looks for one only at start).
    restartNeeded,
  };

  explicit StatusWindow(Choose choose, QWidget* parent = nullptr);

  void refresh(const MenuFacts& facts);
  void setTrayNote(TrayNote note);
  TrayNote trayNote() const { return trayNote_; }

  // The button of an item; none for the lines that are only read (status, score, version and
  // the test-copy line).
  QAbstractButton* button(MenuItemId id) const;
  // The label of a line that is only read; none for the others.
  QLabel* line(MenuItemId id) const;
  QLabel* trayNoteLabel() const { return trayNoteLabel_; }

 private:
  Choose choose_;
  std::map<MenuItemId, QAbstractButton*> buttons_;
  std::map<MenuItemId, QLabel*> lines_;
  QLabel* stateIcon_;
  QLabel* trayNoteLabel_;
  TrayNote trayNote_ = TrayNote::none;
};

}  // namespace kestrel
