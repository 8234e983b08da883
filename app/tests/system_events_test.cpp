#include "app/system_events.hpp"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QUuid>
#include <functional>
#include <memory>

#include "app/tests/support.hpp"
#include "testing/recording_log.hpp"

namespace kestrel {

void PrintTo(SystemEvent e, std::ostream* os) { *os << toText(e); }

namespace {

using E = SystemEvent;
using testing::eventually;

// Lets the buses deliver for a while, for steps after which nothing may happen.
void settle(int milliseconds = 300) {
  eventually([] { return false; }, milliseconds);
}

// A bus daemon of the test's own, standing in for the session or the system bus.
class PrivateBus {
 public:
  PrivateBus() {
    daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    if (daemon_.waitForStarted() && daemon_.waitForReadyRead(5000)) address_ = daemon_.readLine().trimmed();
  }
  ~PrivateBus() {
    for (const QString& name : names_) QDBusConnection::disconnectFromBus(name);
    daemon_.terminate();
    daemon_.waitForFinished();
  }

  const QString& address() const { return address_; }
  // A connection of its own each time.
  QDBusConnection connect() {
    names_.push_back(QUuid::createUuid().toString());
    return QDBusConnection::connectToBus(address_, names_.back());
  }

 private:
  QProcess daemon_;
  QString address_;
  QStringList names_;
};

// The stand-in logind on the private system bus.
class FakeLogind {
 public:
  explicit FakeLogind(PrivateBus& system) : control_(system.connect()) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SYSTEM_BUS_ADDRESS", system.address());
    process_.setProcessEnvironment(env);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(KESTREL_FAKE_LOGIND, {});
    ready_ = process_.waitForStarted() && process_.waitForReadyRead(10000) && process_.readLine().trimmed() == "ready";
  }
  ~FakeLogind() {
    process_.terminate();
    process_.waitForFinished();
  }

  bool ready() const { return ready_; }
  void prepareForSleep(bool start) { call("EmitPrepareForSleep", {start}); }
  void setLockedHint(bool locked) { call("SetLockedHint", {locked}); }
  struct Inhibitors {
    unsigned taken = 0;
    unsigned released = 0;
    QStringList holders;
  };
  Inhibitors inhibitors() {
    const QList<QVariant> a = call("Inhibitors", {});
    if (a.size() != 3) return {};
    return {a[0].toUInt(), a[1].toUInt(), a[2].toStringList()};
  }

 private:
  QList<QVariant> call(const QString& method, const QList<QVariant>& args) {
    QDBusMessage m = QDBusMessage::createMethodCall(SystemEvents::login1, SystemEvents::login1Path,
                                                    "io.github.kestrel.FakeLogind", method);
    m.setArguments(args);
    return control_.call(m).arguments();
  }

  QDBusConnection control_;
  QProcess process_;
  bool ready_ = false;
};

// What dbus-send and gdbus emit would send from another program on the session bus.
void send(const PrivateBus& bus, const QStringList& args) {
  ASSERT_EQ(QProcess::execute("dbus-send", QStringList{"--bus=" + bus.address(), "--type=signal"} + args), 0);
}

// gdbus given an --address talks to it as a peer, not as a bus client, so the bus does not
// pass its signals on: it is pointed at the bus as the session bus instead.
void emitProperties(const PrivateBus& bus, const QString& interface, const QString& changed) {
  QProcess gdbus;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DBUS_SESSION_BUS_ADDRESS", bus.address());
  gdbus.setProcessEnvironment(env);
  gdbus.start("gdbus", {"emit", "--session", "--object-path", "/org/gnome/Mutter/DisplayConfig", "--signal",
                        "org.freedesktop.DBus.Properties.PropertiesChanged", "'" + interface + "'", changed, "@as []"});
  ASSERT_TRUE(gdbus.waitForFinished());
  ASSERT_EQ(gdbus.exitCode(), 0) << gdbus.readAllStandardError().toStdString();
}

bool haveTools() {
  for (const char* tool : {"dbus-daemon", "dbus-send", "gdbus"}) {
    if (QStandardPaths::findExecutable(tool).isEmpty()) return false;
  }
  return QFileInfo(KESTREL_FAKE_LOGIND).isExecutable();
}

// The program's side: the events it saw, on a stand-in system and session bus.
struct EventsRig {
  PrivateBus system;
  PrivateBus session;
  RecordingLog log;
  std::vector<SystemEvent> seen;
  std::unique_ptr<FakeLogind> logind;
  std::unique_ptr<SystemEvents> events;

  explicit EventsRig(bool withLogind = true) {
    testing::qtApplication();
    if (withLogind) logind = std::make_unique<FakeLogind>(system);
  }

  void start(QDBusConnection systemBus) {
    events = std::make_unique<SystemEvents>(log, systemBus, session.connect());
    QObject::connect(events.get(), &SystemEvents::systemEvent, [this](SystemEvent e) { seen.push_back(e); });
    events->start();
  }
  void start() { start(system.connect()); }
};

// One thing another program does, and every event seen after it so far.
struct Step {
  const char* name;
  std::function<void()> act;
  std::vector<SystemEvent> seen;
};

void expectSteps(EventsRig& rig, const std::vector<Step>& steps) {
  for (const Step& step : steps) {
    step.act();
    eventually([&] { return rig.seen.size() >= step.seen.size(); });
    settle();
    EXPECT_EQ(rig.seen, step.seen) << step.name;
  }
}

#define SKIP_WITHOUT_BUS_TOOLS() \
  if (!haveTools()) GTEST_SKIP() << "dbus-daemon, dbus-send, gdbus or python3-dbus missing"

TEST(SystemEvents, SleepsAfterTheHandlerAndLetsTheInhibitorGoThenTakesItAgainOnWake) {
  SKIP_WITHOUT_BUS_TOOLS();
  EventsRig rig;
  ASSERT_TRUE(rig.logind->ready());
  rig.start();
  ASSERT_TRUE(eventually([&] { return rig.events->holdsInhibitor(); }));
  FakeLogind::Inhibitors first = rig.logind->inhibitors();
  EXPECT_EQ(first.taken, 1u);
  EXPECT_EQ(first.holders, QStringList{"Kestrel"});

  // While the sleep is handled the inhibitor is still held.
  std::optional<unsigned> releasedDuringSleep;
  QObject::connect(rig.events.get(), &SystemEvents::systemEvent, [&](SystemEvent e) {
    if (e == E::sleep) releasedDuringSleep = rig.logind->inhibitors().released;
  });
  rig.logind->prepareForSleep(true);
  rig.logind->prepareForSleep(true);  // a repeat is no new sleep
  ASSERT_TRUE(eventually([&] { return rig.logind->inhibitors().released == 1; }));
  EXPECT_EQ(releasedDuringSleep, 0u);
  EXPECT_FALSE(rig.events->holdsInhibitor());

  rig.logind->prepareForSleep(false);
  ASSERT_TRUE(eventually([&] { return rig.events->holdsInhibitor(); }));
  settle();
  const FakeLogind::Inhibitors after = rig.logind->inhibitors();
  EXPECT_EQ(after.taken, 2u);
  EXPECT_EQ(after.released, 1u);
  EXPECT_EQ(rig.seen, (std::vector{E::sleep, E::wake}));
}

TEST(SystemEvents, EachLockAndUnlockOnceWhicheverSourcesFire) {
  SKIP_WITHOUT_BUS_TOOLS();
  EventsRig rig;
  ASSERT_TRUE(rig.logind->ready());
  rig.start();
  ASSERT_TRUE(eventually([&] { return !rig.events->sessionPath().isEmpty(); }));
  EXPECT_EQ(rig.events->sessionPath(), QStringLiteral("/org/freedesktop/login1/session/c1"));

  const auto screenSaver = [&](const char* path, const char* interface, bool active) {
    send(rig.session, {path, QString(interface) + ".ActiveChanged", active ? "boolean:true" : "boolean:false"});
  };
  expectSteps(rig, {
      {"freedesktop saver on", [&] { screenSaver("/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", true); },
       {E::lock}},
      {"logind locked too", [&] { rig.logind->setLockedHint(true); }, {E::lock}},
      {"logind unlocked", [&] { rig.logind->setLockedHint(false); }, {E::lock, E::unlock}},
      {"freedesktop saver off", [&] { screenSaver("/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", false); },
       {E::lock, E::unlock}},
      {"KDE saver on", [&] { screenSaver("/ScreenSaver", "org.freedesktop.ScreenSaver", true); },
       {E::lock, E::unlock, E::lock}},
      {"GNOME saver off", [&] { screenSaver("/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", false); },
       {E::lock, E::unlock, E::lock, E::unlock}},
  });
}

TEST(SystemEvents, DisplaySleepFollowsThePowerSaveMode) {
  SKIP_WITHOUT_BUS_TOOLS();
  EventsRig rig(false);
  rig.start();
  const auto mode = [&](int value, const QString& interface = "org.gnome.Mutter.DisplayConfig") {
    return [&rig, value, interface] {
      emitProperties(rig.session, interface, QString("{'PowerSaveMode': <int32 %1>}").arg(value));
    };
  };
  expectSteps(rig, {
      {"off", mode(3), {E::displaySleep}},
      {"standby while off", mode(1), {E::displaySleep}},
      {"unknown", mode(-1), {E::displaySleep}},
      {"another interface", mode(0, "org.gnome.Other"), {E::displaySleep}},
      {"another property",
       [&] { emitProperties(rig.session, "org.gnome.Mutter.DisplayConfig", "{'ApplyMonitorsConfigAllowed': <true>}"); },
       {E::displaySleep}},
      {"on", mode(0), {E::displaySleep, E::displayWake}},
      {"on again", mode(0), {E::displaySleep, E::displayWake}},
  });
}

TEST(SystemEvents, AMissingSystemBusOrLogindIsOneLogLine) {
  SKIP_WITHOUT_BUS_TOOLS();
  struct Case {
    const char* name;
    bool systemBus;
    std::string line;
  };
  const Case cases[] = {
      {"no system bus", false, "system events: no system bus, sleep and wake are not seen"},
      {"no logind", true, "system events: no logind, sleep and wake are not seen"},
  };
  for (const Case& c : cases) {
    EventsRig rig(false);
    rig.start(c.systemBus ? rig.system.connect()
                          : QDBusConnection::connectToBus("unix:path=/nonexistent/bus", QUuid::createUuid().toString()));
    eventually([&] { return !rig.log.lines().empty(); });
    settle();
    EXPECT_EQ(rig.log.lines(), (std::vector<RecordingLog::Line>{{LogLevel::notice, c.line}})) << c.name;
    EXPECT_FALSE(rig.events->holdsInhibitor()) << c.name;
    // The session's sources still work.
    send(rig.session, {"/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver.ActiveChanged", "boolean:true"});
    EXPECT_TRUE(eventually([&] { return rig.seen == std::vector{E::lock}; })) << c.name;
  }
}

}  // namespace
}  // namespace kestrel
