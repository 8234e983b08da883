#pragma once

#include <QAbstractButton>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QScreen;
class QVBoxLayout;

namespace kestrel {

// One alert as the pill lists it.
struct PillRow {
  std::string hint;
  bool offersRecalibrate = false;
  std::function<void()> onWrong;
  std::function<void()> onRecalibrate;
};

// The actions of the pill's buttons, looked up by button when one is clicked. Clearing them
// makes the buttons of an earlier pill do nothing. An action runs from the event loop after
// the click, so it may close or rebuild the pill whose button it was.
class ButtonActions : public QObject {
  Q_OBJECT

 public:
  explicit ButtonActions(QObject* parent = nullptr) : QObject(parent) {}

  // A button titled `title`, a child of `parent`, that runs `action`.
  QPushButton* button(const QString& title, std::function<void()> action, QWidget* parent);
  void clear() { handlers_.clear(); }
  std::size_t size() const { return handlers_.size(); }

 private:
  void run(const QAbstractButton* button);

  std::map<const QAbstractButton*, std::function<void()>> handlers_;
};

// The panel under a glow that lists the visible alerts, each with "Wrong" and, once offered,
// "Recalibrate". It never takes focus; its buttons still take clicks. Rounded on a dark
// background, translucent where a compositing manager blends it.
class PillView : public QWidget {
  Q_OBJECT

 public:
  static constexpr int cornerRadius = 12;

  PillView(bool translucent, QScreen* screen);

  // Builds the rows anew; the panel takes its fitting size.
  void setRows(const std::vector<PillRow>& rows);
  // The hints shown and the buttons' titles, row by row ("Wrong", "Recalibrate").
  const std::vector<QString>& hints() const { return hints_; }
  const std::vector<std::vector<QPushButton*>>& buttons() const { return buttons_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  bool translucent_;
  ButtonActions actions_{this};
  QVBoxLayout* layout_;
  QWidget* rows_ = nullptr;
  std::vector<QString> hints_;
  std::vector<std::vector<QPushButton*>> buttons_;
};

}  // namespace kestrel
