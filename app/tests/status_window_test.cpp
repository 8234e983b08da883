#include "app/status_window.hpp"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QPixmap>

#include "app/tests/artifacts.hpp"
#include "app/tests/qt_application.hpp"
#include "core/tests/support/monitor_harness.hpp"

namespace kestrel {
namespace {

using namespace testing;
using Id = MenuItemId;

constexpr Instant now = 1'000'000;

struct WindowRig {
  QApplication& application = qtApplication();  // before any widget
  Monitor monitor = makeMonitor();
  MenuFacts facts;
  std::vector<Id> chosen;
  StatusWindow window{[this](Id id) { chosen.push_back(id); }};

  WindowRig() {
    facts.monitor = &monitor;
    facts.now = now;
    facts.permission = CameraPermission::authorized;
    facts.versionLine = "Version abc1234 · 7 Mar";
  }
};

// Each line and button as the window shows it, in the window's order.
std::vector<std::string> layout(const StatusWindow& window) {
  std::vector<std::string> out;
  for (const auto& [id, name] : EnumTexts<MenuItemId>::table) {
    std::string entry(name);
    if (const QLabel* label = window.line(id)) {
      entry += " \"" + label->text().toStdString() + "\"";
      if (!label->isVisibleTo(&window)) entry += " hidden";
    } else {
      const QAbstractButton* b = window.button(id);
      entry += " [" + b->text().toStdString() + "]";
      if (!b->isVisibleTo(&window)) entry += " hidden";
      if (!b->isEnabled()) entry += " disabled";
      if (b->isCheckable()) entry += b->isChecked() ? " ticked" : " unticked";
    }
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
                "login [Start at login] ticked", "version \"Version abc1234 · 7 Mar\"", "update [Check for updates…]",
                "quit [Quit Kestrel]"}));
  EXPECT_EQ(rig.window.windowTitle(), QStringLiteral("Kestrel"));

  // Without the mark the test-copy line goes again.
  rig.facts.testCopyMark.reset();
  rig.window.refresh(rig.facts);
  EXPECT_FALSE(rig.window.line(Id::testCopy)->isVisibleTo(&rig.window));
}

TEST(StatusWindow, EachEnabledButtonCallsBackWithItsItem) {
  WindowRig rig;
  rig.monitor.setGlowEnabled(false);
  rig.facts.hasUpdateLink = true;
  rig.window.refresh(rig.facts);
  for (const auto& [id, name] : EnumTexts<MenuItemId>::table) {
    if (QAbstractButton* b = rig.window.button(id)) b->click();
  }
  // "Hide glow 1 hour" is disabled with the glow off; the hidden badges still answer a click
  // but are never shown to be clicked.
  EXPECT_EQ(rig.chosen, (std::vector{Id::openWindow, Id::recalibrateBadge, Id::cameraAccess, Id::calibrate, Id::snooze,
                                     Id::pauseHour, Id::pauseResume, Id::login, Id::update, Id::quit}));
}

TEST(StatusWindow, SaysWhyThereIsNoTrayOnlyWithoutOne) {
  struct Case {
    StatusWindow::TrayNote note;
    bool shown;
    QString startsWith;
  };
  const Case cases[] = {
      {StatusWindow::TrayNote::missing, true, "There is no tray icon because this desktop shows no system tray"},
      {StatusWindow::TrayNote::restartNeeded, true, "A system tray has appeared"},
      {StatusWindow::TrayNote::none, false, ""},
  };
  WindowRig rig;
  rig.window.refresh(rig.facts);
  for (const Case& c : cases) {
    rig.window.setTrayNote(c.note);
    EXPECT_EQ(rig.window.trayNoteLabel()->isVisibleTo(&rig.window), c.shown) << static_cast<int>(c.note);
    if (c.shown) {
      EXPECT_TRUE(rig.window.trayNoteLabel()->text().startsWith(c.startsWith)) << static_cast<int>(c.note);
    }
  }
}

// The window without a tray, for a look by eye.
TEST(StatusWindow, Screenshot) {
  WindowRig rig;
  rig.monitor.handle(input::Check{judged(bad()), now - 20});
  rig.facts.scorePercent = 72;
  rig.facts.hasUpdateLink = true;
  rig.window.refresh(rig.facts);
  rig.window.setTrayNote(StatusWindow::TrayNote::missing);
  rig.window.adjustSize();
  const QPixmap shot = rig.window.grab();
  EXPECT_GT(shot.height(), shot.width() / 2);
  EXPECT_TRUE(shot.save(artifactPath("status_window.png")));
}

}  // namespace
}  // namespace kestrel
