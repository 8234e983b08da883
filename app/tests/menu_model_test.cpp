#include "app/menu_model.hpp"

#include <gtest/gtest.h>

#include <functional>

#include "core/tests/support/monitor_harness.hpp"

namespace kestrel {

void PrintTo(const MenuItemState& s, std::ostream* os) {
  *os << toText(s.id) << " \"" << s.title << "\"" << (s.visible ? "" : " hidden") << (s.enabled ? "" : " disabled")
      << (s.checkable ? (s.checked ? " ticked" : " unticked") : "");
}

namespace {

using namespace testing;
using Id = MenuItemId;

constexpr Instant now = 1'000'000;

MenuItemState state(Id id, std::string title, bool visible = true, bool enabled = true) {
  MenuItemState s;
  s.id = id;
  s.title = std::move(title);
  s.visible = visible;
  s.enabled = enabled;
  return s;
}

// The menu of a calibrated monitor that has seen nothing yet.
std::vector<MenuItemState> watchingMenu() {
  MenuItemState login = state(Id::login, "Start at login");
  login.checkable = true;
  return {
      state(Id::status, "Watching", true, false),
      state(Id::score, "Today's score: —", true, false),
      state(Id::openWindow, "Open Kestrel…"),
      state(Id::recalibrateBadge, "Recalibrate?", false),
      state(Id::cameraAccess, "Allow camera access…", false),
      state(Id::calibrate, "Calibrate…"),
      state(Id::snooze, "Snooze hand alerts 30 min"),
      state(Id::hideGlow, "Hide glow 1 hour"),
      state(Id::pauseHour, "Pause 1 hour"),
      state(Id::pauseResume, "Pause until resumed"),
      login,
      state(Id::version, "Version abc1234", true, false),
      state(Id::update, "Check for updates…", false),
      state(Id::quit, "Quit Kestrel"),
  };
}

MenuFacts factsOf(const Monitor& monitor) {
  MenuFacts facts;
  facts.monitor = &monitor;
  facts.now = now;
  facts.permission = CameraPermission::authorized;
  facts.versionLine = "Version abc1234";
  return facts;
}

MenuItemState& find(std::vector<MenuItemState>& items, Id id) {
  for (auto& item : items) {
    if (item.id == id) return item;
  }
  throw std::out_of_range("no such item");
}

TEST(MenuModel, WatchingMenuHasEveryItemInOrder) {
  Monitor monitor = makeMonitor();
  MenuFacts facts = factsOf(monitor);
  EXPECT_EQ(menuItems(facts), watchingMenu());
  EXPECT_EQ(menuIconState(facts), MenuIconState::idle);
}

TEST(MenuModel, FollowsTheMonitorAndTheFacts) {
  struct Case {
    const char* name;
    std::function<void(Monitor&, MenuFacts&)> setUp;
    std::function<void(std::vector<MenuItemState>&)> expect;
    MenuIconState icon;
  };
  const Case cases[] = {
      {"paused indefinitely",
       [](Monitor& m, MenuFacts&) { m.handle(input::Pause{std::nullopt, now - 10}); },
       [](auto& items) {
         find(items, Id::status).title = "Paused";
         find(items, Id::pauseHour).visible = false;
         find(items, Id::pauseResume).title = "Resume";
       },
       MenuIconState::idle},
      {"timed pause running",
       [](Monitor& m, MenuFacts&) { m.handle(input::Pause{now + 1, now - 3599}); },
       [](auto& items) {
         find(items, Id::status).title = "Paused for an hour";
         find(items, Id::pauseHour).visible = false;
         find(items, Id::pauseResume).title = "Resume";
       },
       MenuIconState::idle},
      {"timed pause run out",
       [](Monitor& m, MenuFacts&) { m.handle(input::Pause{now, now - 3600}); },
       [](auto&) {},
       MenuIconState::idle},
      {"permission denied",
       [](Monitor&, MenuFacts& f) { f.permission = CameraPermission::denied; },
       [](auto& items) {
         find(items, Id::status).title = "Camera access needed";
         find(items, Id::cameraAccess).visible = true;
       },
       MenuIconState::cameraProblem},
      {"permission restricted",
       [](Monitor&, MenuFacts& f) { f.permission = CameraPermission::restricted; },
       [](auto& items) {
         find(items, Id::status).title = "Camera access needed";
         find(items, Id::cameraAccess).visible = true;
       },
       MenuIconState::cameraProblem},
      {"permission not yet determined", [](Monitor&, MenuFacts& f) { f.permission = CameraPermission::notDetermined; },
       [](auto&) {}, MenuIconState::idle},
      {"glow off",
       [](Monitor& m, MenuFacts&) { m.setGlowEnabled(false); },
       [](auto& items) { find(items, Id::hideGlow).enabled = false; },
       MenuIconState::idle},
      {"a score of 72",
       [](Monitor&, MenuFacts& f) { f.scorePercent = 72; },
       [](auto& items) { find(items, Id::score).title = "Today's score: 72 %"; },
       MenuIconState::idle},
      {"a score of 0",
       [](Monitor&, MenuFacts& f) { f.scorePercent = 0; },
       [](auto& items) { find(items, Id::score).title = "Today's score: 0 %"; },
       MenuIconState::idle},
      {"a good check", [](Monitor& m, MenuFacts&) { m.handle(input::Check{judged(good()), now - 5}); }, [](auto&) {},
       MenuIconState::good},
      {"a bad check",
       [](Monitor& m, MenuFacts&) { m.handle(input::Check{judged(bad()), now - 5}); },
       [](auto&) {},
       MenuIconState::bad},
      {"a second wrong tap on the hand today",
       [](Monitor& m, MenuFacts&) {
         const WrongTaps taps{{m.wrongTapKey(now, AlertModule::hand), 2}};
         m = Monitor(Thresholds{}, Calendar::utc(), true, false, taps, countingIDs());
       },
       [](auto& items) { find(items, Id::recalibrateBadge).visible = true; },
       MenuIconState::idle},
      {"one wrong tap only",
       [](Monitor& m, MenuFacts&) {
         const WrongTaps taps{{m.wrongTapKey(now, AlertModule::head), 1}};
         m = Monitor(Thresholds{}, Calendar::utc(), true, false, taps, countingIDs());
       },
       [](auto&) {},
       MenuIconState::idle},
      {"login item enabled",
       [](Monitor&, MenuFacts& f) { f.login = LoginItemStatus::enabled; },
       [](auto& items) { find(items, Id::login).checked = true; },
       MenuIconState::idle},
      {"login item waiting for approval",
       [](Monitor&, MenuFacts& f) { f.login = LoginItemStatus::requiresApproval; },
       [](auto& items) {
         find(items, Id::login).title = "Start at login (needs approval in your desktop's autostart settings)";
       },
       MenuIconState::idle},
      {"an update link",
       [](Monitor&, MenuFacts& f) { f.hasUpdateLink = true; },
       [](auto& items) { find(items, Id::update).visible = true; },
       MenuIconState::idle},
      {"a test copy",
       [](Monitor&, MenuFacts& f) { f.testCopyMark = TestCopyMark::standard(); },
       [](auto& items) {
         items.insert(items.begin(), state(Id::testCopy, "Test copy — not your Kestrel", true, false));
       },
       MenuIconState::idle},
      {"not calibrated",
       [](Monitor& m, MenuFacts&) { m = makeMonitor(false); },
       [](auto& items) { find(items, Id::status).title = "Not calibrated · choose Calibrate…"; },
       MenuIconState::idle},
  };
  for (const Case& c : cases) {
    Monitor monitor = makeMonitor();
    MenuFacts facts = factsOf(monitor);
    c.setUp(monitor, facts);
    std::vector<MenuItemState> expected = watchingMenu();
    c.expect(expected);
    EXPECT_EQ(menuItems(facts), expected) << c.name;
    EXPECT_EQ(menuIconState(facts), c.icon) << c.name;
  }
}

TEST(MenuModel, BeforeTheMonitorStartsShowsTheInitialTitles) {
  MenuFacts facts;
  facts.versionLine = "Version abc1234";
  std::vector<MenuItemState> expected = watchingMenu();
  find(expected, Id::status).title = "Starting…";
  EXPECT_EQ(menuItems(facts), expected);
  EXPECT_EQ(menuIconState(facts), MenuIconState::idle);
}

}  // namespace
}  // namespace kestrel
