#include "app/menu_model.hpp"

#include <gtest/gtest.h>

#include <functional>

#include "app/tests/support.hpp"

namespace kestrel {

void PrintTo(const MenuItemState& s, std::ostream* os) {
  *os << toText(s.id) << " \"" << s.title << "\"" << (s.visible ? "" : " hidden") << (s.enabled ? "" : " disabled")
      << (s.checkable ? (s.checked ? " ticked" : " unticked") : "");
}

namespace {

using namespace testing;
using Id = MenuItemId;
using Items = std::vector<MenuItemState>;

MenuItemState state(Id id, std::string title, bool visible = true, bool enabled = true) {
  return {id, std::move(title), visible, enabled, id == Id::login, false};
}

// The menu of a calibrated monitor that has seen nothing yet.
Items watchingMenu() {
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
      state(Id::login, "Start at login"),
      state(Id::version, "Version abc1234", true, false),
      state(Id::update, "Check for updates…", false),
      state(Id::quit, "Quit Kestrel"),
  };
}

MenuItemState& find(Items& items, Id id) {
  for (auto& item : items) {
    if (item.id == id) return item;
  }
  throw std::out_of_range("no such item");
}

// The titles, ticks and states come from the core's texts, tested there; these cases are
// what the menu itself decides from each fact. A glow switched off, a score, a ticked login
// item, an update link and a test copy show together in the tray menu's layout test.
TEST(MenuModel, FollowsTheMonitorAndTheFacts) {
  using Facts = std::function<void(Monitor&, MenuFacts&)>;
  const auto cameraNeeded = [](Items& items) {
    find(items, Id::status).title = "Camera access needed";
    find(items, Id::cameraAccess).visible = true;
  };
  struct Case {
    const char* name;
    Facts setUp;
    std::function<void(Items&)> expect;
    MenuIconState icon = MenuIconState::idle;
  };
  const Case cases[] = {
      {"watching", [](Monitor&, MenuFacts&) {}, [](Items&) {}},
      {"paused", [](Monitor& m, MenuFacts&) { m.handle(input::Pause{std::nullopt, now - 10}); },
       [](Items& items) {
         find(items, Id::status).title = "Paused";
         find(items, Id::pauseHour).visible = false;
         find(items, Id::pauseResume).title = "Resume";
       }},
      {"permission denied", [](Monitor&, MenuFacts& f) { f.permission = CameraPermission::denied; }, cameraNeeded,
       MenuIconState::cameraProblem},
      {"permission restricted", [](Monitor&, MenuFacts& f) { f.permission = CameraPermission::restricted; },
       cameraNeeded, MenuIconState::cameraProblem},
      {"permission not yet asked", [](Monitor&, MenuFacts& f) { f.permission = CameraPermission::notDetermined; },
       [](Items&) {}},
      {"a bad check", [](Monitor& m, MenuFacts&) { m.handle(input::Check{judged(bad()), now - 5}); }, [](Items&) {},
       MenuIconState::bad},
      {"a second wrong tap on the hand today",
       [](Monitor& m, MenuFacts&) {
         const WrongTaps taps{{m.wrongTapKey(now, AlertModule::hand), 2}};
         m = Monitor(Thresholds{}, Calendar::utc(), true, false, taps, countingIDs());
       },
       [](Items& items) { find(items, Id::recalibrateBadge).visible = true; }},
      {"login item waiting for approval", [](Monitor&, MenuFacts& f) { f.login = LoginItemStatus::requiresApproval; },
       [](Items& items) {
         find(items, Id::login).title = "Start at login (needs approval in your desktop's autostart settings)";
       }},
      {"before the monitor starts", [](Monitor&, MenuFacts& f) { f.monitor = nullptr; },
       [](Items& items) { find(items, Id::status).title = "Starting…"; }},
  };
  for (const Case& c : cases) {
    Monitor monitor = makeMonitor();
    MenuFacts facts = factsOf(monitor);
    c.setUp(monitor, facts);
    Items expected = watchingMenu();
    c.expect(expected);
    EXPECT_EQ(menuItems(facts), expected) << c.name;
    EXPECT_EQ(menuIconState(facts), c.icon) << c.name;
  }
}

}  // namespace
}  // namespace kestrel
