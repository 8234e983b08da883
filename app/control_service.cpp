#include "app/control_service.hpp"

#include <QDBusMessage>

#include "core/launch/control_command.hpp"
#include "core/monitor/monitor_io.hpp"

namespace kestrel {

namespace {
constexpr const char* propertiesInterface = "org.freedesktop.DBus.Properties";
}

ControlService::ControlService(AppController& controller, QObject* parent) : QObject(parent), controller_(controller) {
  new ActivationAdaptor(this);  // owned by this object, as Qt's adaptors are
}

QString ControlService::applicationPath(const std::string& applicationId) {
  QString path = "/" + QString::fromStdString(applicationId);
  path.replace('.', '/').replace('-', '_');
  return path;
}

bool ControlService::registerOn(const QDBusConnection& bus, const std::string& applicationId, QString& error) {
  bus_ = bus;
  const auto options = QDBusConnection::ExportScriptableContents | QDBusConnection::ExportAdaptors;
  const QString paths[] = {objectPath, applicationPath(applicationId)};
  for (const QString& path : paths) {
    if (bus_.objectRegisteredAt(path) == this) continue;
    if (!bus_.registerObject(path, this, options)) {
      error = "the object path " + path + " is taken: " + bus_.lastError().message();
      return false;
    }
  }
  published_ = properties(report());
  return true;
}

const StatusReport& ControlService::report() {
  if (!report_ || !reportAge_.isValid() || reportAge_.elapsed() > 1000) {
    report_ = controller_.statusReport();
    reportAge_.start();
  }
  return *report_;
}

QVariantMap ControlService::properties(const StatusReport& r) {
  return {{"Status", text(r.status)},
          {"MenuIcon", text(r.menuIcon)},
          {"ScorePercent", r.scorePercent ? static_cast<int>(*r.scorePercent) : -1},
          {"Paused", r.paused},
          {"LastCheckAt", text(r.lastCheckAt)},
          {"LastCheck", text(r.lastCheck)}};
}

void ControlService::publishChanges() {
  report_.reset();
  const QVariantMap now = properties(report());
  QVariantMap changed;
  for (auto it = now.begin(); it != now.end(); ++it) {
    if (published_.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
  }
  published_ = now;
  if (changed.isEmpty() || !bus_.isConnected()) return;
  QDBusMessage signal = QDBusMessage::createSignal(objectPath, propertiesInterface, "PropertiesChanged");
  signal << QString(interfaceName) << changed << QStringList();
  bus_.send(signal);
}

bool ControlService::accept(const std::optional<std::string>& problem, const char* error) {
  report_.reset();
  if (!problem) return true;
  if (calledFromDBus()) sendErrorReply(error, QString::fromStdString(*problem));
  return false;
}

void ControlService::Pause(qlonglong seconds) {
  if (!accept(durationProblem(static_cast<double>(seconds), true))) return;
  const Instant at = controller_.now();
  controller_.handle(input::Pause{seconds == 0 ? std::nullopt : std::optional<Instant>(at + seconds), at});
}

void ControlService::Resume() {
  accept(std::nullopt);
  controller_.handle(input::Resume{controller_.now()});
}

void ControlService::SnoozeHandAlerts(qlonglong seconds) {
  if (!accept(durationProblem(static_cast<double>(seconds), false))) return;
  const Instant at = controller_.now();
  controller_.handle(input::Snooze{at + seconds, at});
}

void ControlService::HideGlow(qlonglong seconds) {
  if (!accept(durationProblem(static_cast<double>(seconds), false))) return;
  const Instant at = controller_.now();
  controller_.handle(input::HideGlow{at + seconds, at});
}

void ControlService::CheckNow() { accept(controller_.checkNow(), notNow); }

void ControlService::OpenWindow() {
  accept(std::nullopt);
  controller_.openWindow();
}

void ControlService::Calibrate() {
  accept(std::nullopt);
  controller_.openCalibration();
}

ActivationAdaptor::ActivationAdaptor(ControlService* service) : QDBusAbstractAdaptor(service), service_(service) {}

void ActivationAdaptor::Activate(const QVariantMap&) { service_->OpenWindow(); }

void ActivationAdaptor::Open(const QStringList&, const QVariantMap&) { service_->OpenWindow(); }

void ActivationAdaptor::ActivateAction(const QString& name, const QVariantList&, const QVariantMap&) {
  if (name == "calibrate") {
    service_->Calibrate();
  } else {
    service_->OpenWindow();
  }
}

}  // namespace kestrel
