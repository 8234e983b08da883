#include "app/tray_menu.hpp"

#include <gtest/gtest.h>

#include <QAction>
#include <QImage>

#include "app/tests/support.hpp"
#include "testing/recording_log.hpp"
#include "ui/menu_icon.hpp"

namespace kestrel {
namespace {

using namespace testing;
using Id = MenuItemId;

// The facts a menu is drawn from, and what the menu asked for and chose.
struct MenuRig {
  QApplication& application = qtApplication();  // before any widget
  Monitor monitor = makeMonitor();
  MenuFacts facts = factsOf(monitor);
  std::vector<bool> asked;  // the `opening` of each request for facts
  std::vector<Id> chosen;
  RecordingLog log;
  MenuController menu{[this](bool opening) {
                        asked.push_back(opening);
                        return facts;
                      },
                      [this](Id id) { chosen.push_back(id); }, log};
};

// The menu as it stands: each action's name and state, "|" for a separator.
std::vector<std::string> layout(QMenu& menu) {
  std::vector<std::string> out;
  for (QAction* a : menu.actions()) {
    if (a->isSeparator()) {
      out.push_back("|");
      continue;
    }
    std::string line = a->objectName().toStdString() + " \"" + a->text().toStdString() + "\"";
    // Qt disables a hidden action; only a shown one tells whether it is enabled.
    if (!a->isVisible()) line += " hidden";
    else if (!a->isEnabled()) line += " disabled";
    if (a->isCheckable()) line += a->isChecked() ? " ticked" : " unticked";
    out.push_back(line);
  }
  return out;
}

// The actions are made once and only changed afterwards, so every state must also go back.
TEST(TrayMenu, ActionsFollowTheFactsInMenuOrderAndBackAgain) {
  MenuRig rig;
  rig.monitor.handle(input::Pause{std::nullopt, now});
  rig.monitor.setGlowEnabled(false);
  rig.facts.permission = CameraPermission::denied;
  rig.facts.testCopyMark = TestCopyMark::standard();
  rig.facts.login = LoginItemStatus::enabled;
  rig.facts.hasUpdateLink = true;
  rig.facts.scorePercent = 40;
  rig.menu.refresh(rig.facts);
  EXPECT_EQ(layout(rig.menu.menu()),
            (std::vector<std::string>{
                "testCopy \"Test copy — not your Kestrel\" disabled", "status \"Camera access needed\" disabled",
                "score \"Today's score: 40 %\" disabled", "openWindow \"Open Kestrel…\"",
                "recalibrateBadge \"Recalibrate?\" hidden", "cameraAccess \"Allow camera access…\"", "|",
                "calibrate \"Calibrate…\"", "snooze \"Snooze hand alerts 30 min\"", "hideGlow \"Hide glow 1 hour\" disabled",
                "pauseHour \"Pause 1 hour\" hidden", "pauseResume \"Resume\"", "|", "login \"Start at login\" ticked", "|",
                "version \"Version abc1234\" disabled", "update \"Check for updates…\"", "quit \"Quit Kestrel\""}));

  // Watching again: the test-copy line keeps its title but hides.
  rig.monitor = makeMonitor();
  rig.facts = factsOf(rig.monitor);
  rig.menu.refresh(rig.facts);
  EXPECT_EQ(layout(rig.menu.menu()),
            (std::vector<std::string>{
                "testCopy \"Test copy — not your Kestrel\" hidden", "status \"Watching\" disabled",
                "score \"Today's score: —\" disabled", "openWindow \"Open Kestrel…\"",
                "recalibrateBadge \"Recalibrate?\" hidden", "cameraAccess \"Allow camera access…\" hidden", "|",
                "calibrate \"Calibrate…\"", "snooze \"Snooze hand alerts 30 min\"", "hideGlow \"Hide glow 1 hour\"",
                "pauseHour \"Pause 1 hour\"", "pauseResume \"Pause until resumed\"", "|",
                "login \"Start at login\" unticked", "|", "version \"Version abc1234\" disabled",
                "update \"Check for updates…\" hidden", "quit \"Quit Kestrel\""}));
}

TEST(TrayMenu, EachEnabledActionCallsBackWithItsItem) {
  MenuRig rig;
  rig.facts.hasUpdateLink = true;
  rig.facts.testCopyMark = TestCopyMark::standard();
  rig.menu.refresh(rig.facts);
  for (const auto& [id, name] : EnumTexts<MenuItemId>::table) rig.menu.action(id)->trigger();
  // The test-copy line, the status, the score and the version are disabled and send nothing.
  EXPECT_EQ(rig.chosen, (std::vector{Id::openWindow, Id::recalibrateBadge, Id::cameraAccess, Id::calibrate, Id::snooze,
                                     Id::hideGlow, Id::pauseHour, Id::pauseResume, Id::login, Id::update, Id::quit}));
}

TEST(TrayMenu, InstallsOnceAndLogsAMissingUpdateLink) {
  for (bool link : {false, true}) {
    MenuRig rig;
    rig.facts.hasUpdateLink = link;
    rig.menu.install();
    rig.menu.install();
    EXPECT_EQ(rig.asked, std::vector<bool>{false}) << link;
    EXPECT_EQ(rig.menu.trayIcon().contextMenu(), &rig.menu.menu());
    const std::vector<RecordingLog::Line> expected =
        link ? std::vector<RecordingLog::Line>{} : std::vector<RecordingLog::Line>{{LogLevel::error, "update link invalid"}};
    EXPECT_EQ(rig.log.lines(), expected) << link;
  }
}

TEST(TrayMenu, IconAndTooltipFollowTheLastCheck) {
  struct Case {
    const char* name;
    std::function<void(MenuRig&)> setUp;
    MenuIconState state;
    QString tooltip;
  };
  const Case cases[] = {
      {"no check yet", [](MenuRig&) {}, MenuIconState::idle, "Kestrel: not checking"},
      {"a bad check", [](MenuRig& r) { r.monitor.handle(input::Check{judged(bad()), now}); }, MenuIconState::bad,
       "Kestrel: last check needs attention"},
      {"a test copy", [](MenuRig& r) { r.facts.testCopyMark = TestCopyMark::standard(); }, MenuIconState::idle,
       "TEST · Kestrel: not checking"},
  };
  for (const Case& c : cases) {
    MenuRig rig;
    // Start from another state, so that the icon must change.
    rig.facts.permission = CameraPermission::denied;
    rig.menu.refresh(rig.facts);
    rig.facts.permission = CameraPermission::authorized;
    c.setUp(rig);
    rig.menu.refresh(rig.facts);
    EXPECT_EQ(rig.menu.trayIcon().toolTip(), c.tooltip) << c.name;
    EXPECT_EQ(rig.menu.trayIcon().icon().pixmap(22).toImage(), AlertViews::menuIcon(c.state).pixmap(22).toImage())
        << c.name;
  }
}

}  // namespace
}  // namespace kestrel
