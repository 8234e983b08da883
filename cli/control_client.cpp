#include "cli/control_client.hpp"

#include <QDBusConnectionInterface>
#include <QDBusPendingReply>
#include <ctime>
#include <ostream>

#include "cli/control_interface.h"
#include "core/monitor/status_report.hpp"
#include "platform/local_time_zone.hpp"

namespace kestrel {

namespace {

constexpr const char* objectPath = "/io/github/kestrel/Kestrel";
constexpr const char* notRunning = "Kestrel is not running";

using Proxy = IoGithubKestrelKestrel1Interface;

// The method a command calls, with its argument in seconds where it takes one.
QDBusPendingReply<> send(Proxy& proxy, const ControlCommand& command) {
  switch (command.verb) {
    case ControlVerb::pause:
      return proxy.Pause(static_cast<qlonglong>(command.duration.value_or(0)));
    case ControlVerb::resume:
      return proxy.Resume();
    case ControlVerb::snooze:
      return proxy.SnoozeHandAlerts(static_cast<qlonglong>(command.duration.value_or(ControlCommand::snoozeLength)));
    case ControlVerb::check:
      return proxy.CheckNow();
    case ControlVerb::open:
      return proxy.OpenWindow();
    case ControlVerb::calibrate:
    case ControlVerb::status:
      break;
  }
  return proxy.Calibrate();
}

}  // namespace

ControlClient::ControlClient(QDBusConnection bus, std::string applicationId, std::filesystem::path dataFolder)
    : bus_(std::move(bus)), applicationId_(std::move(applicationId)), dataFolder_(std::move(dataFolder)) {}

bool ControlClient::running() {
  return bus_.isConnected() && bus_.interface() != nullptr &&
         bus_.interface()->isServiceRegistered(QString::fromStdString(applicationId_)).value();
}

int ControlClient::run(const ControlCommand& command, std::ostream& out, std::ostream& err) {
  if (command.verb == ControlVerb::status) return status(command, out, err);
  if (!running()) {
    err << notRunning << "\n";
    return 1;
  }
  Proxy proxy(QString::fromStdString(applicationId_), objectPath, bus_);
  QDBusPendingReply<> reply = send(proxy, command);
  reply.waitForFinished();
  if (reply.isError()) {
    err << "kestrel " << toText(command.verb) << ": " << reply.error().message().toStdString() << "\n";
    return 1;
  }
  return 0;
}

int ControlClient::status(const ControlCommand& command, std::ostream& out, std::ostream& err) {
  StatusReport report;
  if (running()) {
    Proxy proxy(QString::fromStdString(applicationId_), objectPath, bus_);
    // One call for every property.
    QDBusMessage get = QDBusMessage::createMethodCall(proxy.service(), objectPath, "org.freedesktop.DBus.Properties",
                                                      "GetAll");
    get << QString(Proxy::staticInterfaceName());
    const QDBusReply<QVariantMap> all = bus_.call(get, QDBus::Block, 5000);
    if (!all.isValid()) {
      err << "kestrel status: " << all.error().message().toStdString() << "\n";
      return 1;
    }
    const QVariantMap p = all.value();
    const int score = p.value("ScorePercent", -1).toInt();
    report = {true,
              p.value("Status").toString().toStdString(),
              p.value("MenuIcon").toString().toStdString(),
              score < 0 ? std::nullopt : std::optional<std::int64_t>(score),
              p.value("Paused").toBool(),
              p.value("LastCheck").toString().toStdString(),
              p.value("LastCheckAt").toString().toStdString(),
              0};
    const CheckLogStore log{dataFolder_ / "logs", LogClock{localTimeZone()}};
    report.alertsToday = StatusReport::fromLog(log, static_cast<Instant>(std::time(nullptr))).alertsToday;
  } else if (command.json) {
    const CheckLogStore log{dataFolder_ / "logs", LogClock{localTimeZone()}};
    report = StatusReport::fromLog(log, static_cast<Instant>(std::time(nullptr)));
  } else {
    err << notRunning << "\n";
    return 1;
  }
  out << (command.json ? report.json() + "\n" : report.lines());
  return 0;
}

}  // namespace kestrel
