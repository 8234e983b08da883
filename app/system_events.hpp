#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include "core/monitor/monitor_io.hpp"
#include "platform/system_log.hpp"

class QDBusPendingCallWatcher;

namespace kestrel {

// The session's power and lock notifications as system events, each real change once:
// - sleep and wake from logind's PrepareForSleep on the system bus; while awake the program
//   holds a delay inhibitor, let go only after the sleep event was handled, so the camera is
//   released before the machine sleeps;
// - lock and unlock from the screen savers' ActiveChanged on the session bus (freedesktop,
//   GNOME and KDE) and from the logind session's LockedHint, whichever comes first;
// - display sleep and wake from GNOME's display configuration (PowerSaveMode), where it exists.
// A bus or service that is not there costs one log line at start and nothing else.
class SystemEvents : public QObject {
  Q_OBJECT

 public:
  static constexpr const char* login1 = "org.freedesktop.login1";
  static constexpr const char* login1Path = "/org/freedesktop/login1";
  static constexpr const char* manager = "org.freedesktop.login1.Manager";

  // On the desktop's own buses, QDBusConnection::systemBus() and sessionBus().
  SystemEvents(SystemLog& log, QDBusConnection systemBus, QDBusConnection sessionBus, QObject* parent = nullptr);

  // Subscribes to every source and takes the sleep inhibitor. Once.
  void start();
  // Whether the sleep inhibitor is held now.
  bool holdsInhibitor() const { return inhibitor_.isValid(); }
  // The logind session whose lock state is followed; empty until it is known.
  const QString& sessionPath() const { return sessionPath_; }

 signals:
  // Delivered on the main thread; a sleep's handler runs before the inhibitor is let go.
  void systemEvent(kestrel::SystemEvent event);

 private slots:
  void prepareForSleep(bool start);
  void screenSaverActiveChanged(bool active);
  void sessionPropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated);
  void displayPropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated);

 private:
  void takeInhibitor();
  void findSession();
  void watchSession(const QString& path);
  void setLocked(bool locked);
  void setDisplayAsleep(bool asleep);

  SystemLog& log_;
  QDBusConnection system_;
  QDBusConnection session_;
  QDBusUnixFileDescriptor inhibitor_;
  QString sessionPath_;
  bool started_ = false;
  bool asleep_ = false;
  bool locked_ = false;
  bool displayAsleep_ = false;
  bool inhibiting_ = false;  // an Inhibit call is on its way
  bool loggedNoLogind_ = false;
};

}  // namespace kestrel
