#include "app/status_window.hpp"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QPixmap>

#include "app/tests/support.hpp"

namespace kestrel {
namespace {

using namespace testing;
using Id = MenuItemId;

struct WindowRig {
  QApplication& application = qtApplication();  // before any widget
  Monitor monitor = makeMonitor();
  MenuFacts facts = factsOf(monitor);
  std::vector<Id> chosen;
  StatusWindow window{[this](Id id) { chosen.push_back(id); }};
};

// Each line and button as the window shows it, in the window's order.
std::vector<std::string> layout(const StatusWindow& window) {
  std::vector<std::string> out;
  for (const auto& [id, name] : EnumTexts<MenuItemId>::table) {
    std::string entry(name);
    const QWidget* widget = window.line(id);
    if (const QLabel* label = window.line(id)) {
      entry += " \"" + label->text().toStdString() + "\"";
    } else {
      const QAbstractButton* b = window.button(id);
      widget = b;
      entry += " [" + b->text().toStdString() + "]";
      if (!b->isEnabled()) entry += " disabled";
      if (b->isCheckable()) entry += b->isChecked() ? " ticked" : " unticked";
    }
    if (!widget->isVisibleTo(&window)) entry += " hidden";
    out.push_back(entry);
  }
  return out;
}

TEST(StatusWindow, ShowsTheMenuAsLinesAndButtons) {
  WindowRig rig;
  rig.monitor.handle(input::Pause{std::nullopt, now});
  rig.monitor.setGlowEnabled(false);
  rig.facts.permission = CameraPermission::denied;
  rig.facts.testCopyMark = TestCopyMark::standard();
  rig.facts.login = LoginItemStatus::enabled;
  rig.facts.hasUpdateLink = true;
  rig.facts.scorePercent = 72;
  rig.window.refresh(rig.facts);
  EXPECT_EQ(layout(rig.window),
            (std::vector<std::string>{
                "testCopy \"Test copy — not your Kestrel\"", "status \"Camera access needed\"",
                "score \"Today's score: 72 %\"", "openWindow [Open Kestrel…]", "recalibrateBadge [Recalibrate?] hidden",
                "cameraAccess [Allow camera access…]", "calibrate [Calibrate…]", "snooze [Snooze hand alerts 30 min]",
                "hideGlow [Hide glow 1 hour] disabled", "pauseHour [Pause 1 hour] hidden", "pauseResume [Resume]",
                "login [Start at login] ticked", "version \"Version abc1234\"", "update [Check for updates…]",
                "quit [Quit Kestrel]"}));

  // Without the mark the test-copy line goes again.
  rig.facts.testCopyMark.reset();
  rig.window.refresh(rig.facts);
  EXPECT_EQ(layout(rig.window).front(), "testCopy \"Test copy — not your Kestrel\" hidden");
}

TEST(StatusWindow, EachEnabledButtonCallsBackWithItsItem) {
  WindowRig rig;
  rig.monitor.setGlowEnabled(false);
  rig.window.refresh(rig.facts);
  for (const auto& [id, name] : EnumTexts<MenuItemId>::table) {
    if (QAbstractButton* b = rig.window.button(id)) b->click();
  }
  // "Hide glow 1 hour" is disabled with the glow off; the hidden buttons still answer a click
  // but are never shown to be clicked.
  EXPECT_EQ(rig.chosen, (std::vector{Id::openWindow, Id::recalibrateBadge, Id::cameraAccess, Id::calibrate, Id::snooze,
                                     Id::pauseHour, Id::pauseResume, Id::login, Id::update, Id::quit}));
}

TEST(StatusWindow, SaysWhyThereIsNoTrayOnlyWithoutOne) {
  const std::pair<StatusWindow::TrayNote, QString> cases[] = {
      {StatusWindow::TrayNote::restartNeeded, "A system tray has appeared"},
      {StatusWindow::TrayNote::none, ""},
      {StatusWindow::TrayNote::missing, "There is no tray icon because this desktop shows no system tray"},
  };
  WindowRig rig;
  rig.monitor.handle(input::Check{judged(bad()), now - 20});
  rig.facts.scorePercent = 72;
  rig.window.refresh(rig.facts);
  for (const auto& [note, startsWith] : cases) {
    rig.window.setTrayNote(note);
    const QLabel* label = rig.window.trayNoteLabel();
    EXPECT_EQ(label->isVisibleTo(&rig.window), !startsWith.isEmpty()) << static_cast<int>(note);
    EXPECT_TRUE(label->text().startsWith(startsWith)) << static_cast<int>(note);
  }
  // The window without a tray, left for a look by eye.
  rig.window.adjustSize();
  EXPECT_TRUE(rig.window.grab().save(artifactPath("status_window.png")));
}

}  // namespace
}  // namespace kestrel
