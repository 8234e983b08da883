#include "app/system_events.hpp"

#include <unistd.h>

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <cstdlib>
#include <functional>

namespace kestrel {

namespace {

constexpr QLatin1String properties("org.freedesktop.DBus.Properties");
constexpr QLatin1String sessionInterface("org.freedesktop.login1.Session");
constexpr QLatin1String displayConfig("org.gnome.Mutter.DisplayConfig");

bool noService(const QDBusError& error) {
  return error.type() == QDBusError::ServiceUnknown;
}

}  // namespace

SystemEvents::SystemEvents(SystemLog& log, QDBusConnection systemBus, QDBusConnection sessionBus, QObject* parent)
    : QObject(parent), log_(log), system_(std::move(systemBus)), session_(std::move(sessionBus)) {}

void SystemEvents::start() {
  if (started_) return;
  started_ = true;

  if (!system_.isConnected()) {
    log_.notice("system events: no system bus, sleep and wake are not seen");
  } else {
    system_.connect(login1, login1Path, manager, QStringLiteral("PrepareForSleep"), this,
                    SLOT(prepareForSleep(bool)));
    takeInhibitor();
    findSession();
  }

  if (!session_.isConnected()) {
    log_.notice("system events: no session bus, screen lock and display sleep are not seen");
    return;
  }
  // Any sender on any path: the freedesktop interface is served by KDE (org.kde.screensaver
  // at /ScreenSaver) and others, GNOME has its own; both may fire for one lock.
  for (const char* interface : {"org.freedesktop.ScreenSaver", "org.gnome.ScreenSaver"}) {
    session_.connect(QString(), QString(), QString::fromLatin1(interface), QStringLiteral("ActiveChanged"), this,
                     SLOT(screenSaverActiveChanged(bool)));
  }
  session_.connect(QString(), QStringLiteral("/org/gnome/Mutter/DisplayConfig"), properties,
                   QStringLiteral("PropertiesChanged"), this,
                   SLOT(displayPropertiesChanged(QString, QVariantMap, QStringList)));
}

void SystemEvents::takeInhibitor() {
  if (inhibiting_ || inhibitor_.isValid()) return;
  inhibiting_ = true;
  QDBusMessage call = QDBusMessage::createMethodCall(login1, login1Path, manager, QStringLiteral("Inhibit"));
  call << QStringLiteral("sleep") << QStringLiteral("Kestrel") << QStringLiteral("Release the camera before sleeping")
       << QStringLiteral("delay");
  auto* watcher = new QDBusPendingCallWatcher(system_.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
    finished->deleteLater();
    inhibiting_ = false;
    const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *finished;
    if (reply.isError()) {
      if (noService(reply.error())) {
        if (!loggedNoLogind_) log_.notice("system events: no logind, sleep and wake are not seen");
        loggedNoLogind_ = true;
      } else {
        log_.error("system events: sleep inhibitor refused: " + reply.error().name().toStdString());
      }
      return;
    }
    // An answer that comes while the machine goes to sleep would hold the sleep up; the next
    // wake takes the inhibitor again.
    if (!asleep_) inhibitor_ = reply.value();
  });
}

void SystemEvents::findSession() {
  // This process's session, or else the one the environment names.
  QDBusMessage byPid = QDBusMessage::createMethodCall(login1, login1Path, manager, QStringLiteral("GetSessionByPID"));
  byPid << static_cast<quint32>(getpid());
  auto* watcher = new QDBusPendingCallWatcher(system_.asyncCall(byPid), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
    finished->deleteLater();
    const QDBusPendingReply<QDBusObjectPath> reply = *finished;
    if (!reply.isError()) {
      watchSession(reply.value().path());
      return;
    }
    if (noService(reply.error())) return;  // told once by the inhibitor
    const char* id = std::getenv("XDG_SESSION_ID");
    if (!id || !*id) {
      log_.notice("system events: no logind session, its lock state is not seen");
      return;
    }
    QDBusMessage byId = QDBusMessage::createMethodCall(login1, login1Path, manager, QStringLiteral("GetSession"));
    byId << QString::fromLocal8Bit(id);
    auto* second = new QDBusPendingCallWatcher(system_.asyncCall(byId), this);
    connect(second, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* answered) {
      answered->deleteLater();
      const QDBusPendingReply<QDBusObjectPath> session = *answered;
      if (session.isError()) {
        log_.notice("system events: no logind session, its lock state is not seen");
        return;
      }
      watchSession(session.value().path());
    });
  });
}

void SystemEvents::watchSession(const QString& path) {
  sessionPath_ = path;
  system_.connect(login1, path, properties, QStringLiteral("PropertiesChanged"), this,
                  SLOT(sessionPropertiesChanged(QString, QVariantMap, QStringList)));
}

void SystemEvents::prepareForSleep(bool start) {
  if (start) {
    if (!asleep_) {
      asleep_ = true;
      // The handlers run now, on this thread: the camera is stopped before the inhibitor
      // goes and logind lets the machine sleep.
      emit systemEvent(SystemEvent::sleep);
    }
    inhibitor_ = QDBusUnixFileDescriptor();
    return;
  }
  if (asleep_) {
    asleep_ = false;
    emit systemEvent(SystemEvent::wake);
  }
  takeInhibitor();
}

void SystemEvents::screenSaverActiveChanged(bool active) { setLocked(active); }

void SystemEvents::sessionPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                            const QStringList&) {
  if (interface != sessionInterface) return;
  if (auto found = changed.find(QStringLiteral("LockedHint")); found != changed.end()) setLocked(found->toBool());
}

void SystemEvents::displayPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                            const QStringList&) {
  if (interface != displayConfig) return;
  auto found = changed.find(QStringLiteral("PowerSaveMode"));
  if (found == changed.end()) return;
  // 0 is on; 1 to 3 are standby, suspend and off; -1 is a mode Mutter does not know.
  const int mode = found->toInt();
  if (mode >= 0) setDisplayAsleep(mode != 0);
}

void SystemEvents::setLocked(bool locked) {
  if (locked == locked_) return;
  locked_ = locked;
  emit systemEvent(locked ? SystemEvent::lock : SystemEvent::unlock);
}

void SystemEvents::setDisplayAsleep(bool asleep) {
  if (asleep == displayAsleep_) return;
  displayAsleep_ = asleep;
  emit systemEvent(asleep ? SystemEvent::displaySleep : SystemEvent::displayWake);
}

}  // namespace kestrel
