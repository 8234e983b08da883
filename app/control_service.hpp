#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusContext>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <optional>
#include <string>

#include "app/app_controller.hpp"
#include "core/monitor/status_report.hpp"

namespace kestrel {

// Kestrel on the session bus: the control interface that the command line, keyboard
// shortcuts and status bars use, and org.freedesktop.Application for the desktop. Every
// method goes through the controller as the tray menu's items do; a bad duration is a D-Bus
// error that changes nothing.
class ControlService : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "io.github.kestrel.Kestrel1")
  Q_PROPERTY(QString Status READ status)
  Q_PROPERTY(QString MenuIcon READ menuIcon)
  Q_PROPERTY(int ScorePercent READ scorePercent)
  Q_PROPERTY(bool Paused READ paused)
  Q_PROPERTY(QString LastCheckAt READ lastCheckAt)
  Q_PROPERTY(QString LastCheck READ lastCheck)

 public:
  static constexpr const char* interfaceName = "io.github.kestrel.Kestrel1";
  static constexpr const char* objectPath = "/io/github/kestrel/Kestrel";
  // The error of a call whose arguments are refused, and of a check that cannot be taken now.
  static constexpr const char* invalidArgs = "org.freedesktop.DBus.Error.InvalidArgs";
  static constexpr const char* notNow = "io.github.kestrel.Kestrel1.Error.NotNow";

  ControlService(AppController& controller, QObject* parent = nullptr);

  // Puts the control interface at its path and org.freedesktop.Application at the path of
  // `applicationId`; false (with the bus's message in `error`) when either is taken.
  bool registerOn(const QDBusConnection& bus, const std::string& applicationId, QString& error);
  // The menu was brought up to date: sends PropertiesChanged with what changed since the last.
  void publishChanges();

  QString status() { return text(report().status); }
  QString menuIcon() { return text(report().menuIcon); }
  int scorePercent() { return report().scorePercent ? static_cast<int>(*report().scorePercent) : -1; }
  bool paused() { return report().paused; }
  QString lastCheckAt() { return text(report().lastCheckAt); }
  QString lastCheck() { return text(report().lastCheck); }

  // The object path org.freedesktop.Application expects for an application id.
  static QString applicationPath(const std::string& applicationId);

 public slots:
  Q_SCRIPTABLE void Pause(qlonglong seconds);
  Q_SCRIPTABLE void Resume();
  Q_SCRIPTABLE void SnoozeHandAlerts(qlonglong seconds);
  Q_SCRIPTABLE void HideGlow(qlonglong seconds);
  Q_SCRIPTABLE void CheckNow();
  Q_SCRIPTABLE void OpenWindow();
  Q_SCRIPTABLE void Calibrate();

 private:
  static QString text(const std::string& value) { return QString::fromStdString(value); }
  // The report as of at most a second ago: one property read after another costs one read of
  // the day's log, not one each.
  const StatusReport& report();
  static QVariantMap properties(const StatusReport& report);
  // Refuses the call with `problem`, if any; true when it may go on.
  bool accept(const std::optional<std::string>& problem, const char* error = invalidArgs);

  AppController& controller_;
  QDBusConnection bus_{QString()};
  std::optional<StatusReport> report_;
  QElapsedTimer reportAge_;
  QVariantMap published_;
};

// org.freedesktop.Application: activating Kestrel opens its window.
class ActivationAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

 public:
  explicit ActivationAdaptor(ControlService* service);

 public slots:
  void Activate(const QVariantMap& platformData);
  void Open(const QStringList& uris, const QVariantMap& platformData);
  void ActivateAction(const QString& name, const QVariantList& parameter, const QVariantMap& platformData);

 private:
  ControlService* service_;
};

}  // namespace kestrel
