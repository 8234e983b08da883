#include "app/single_instance.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "app/control_service.hpp"

namespace kestrel {

SingleInstance::SingleInstance(QDBusConnection bus, const std::string& applicationId,
                               const std::filesystem::path& lockFolder) {
  if (bus.isConnected() && bus.interface() != nullptr) {
    claimName(bus, applicationId);
  } else {
    claimLock(lockFolder / (applicationId + ".lock"));
  }
}

SingleInstance::~SingleInstance() {
  if (lockFd_ >= 0) ::close(lockFd_);
}

std::filesystem::path SingleInstance::lockFolder(const std::filesystem::path& fallback) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  return runtime != nullptr && *runtime != '\0' ? std::filesystem::path(runtime) : fallback;
}

void SingleInstance::claimName(QDBusConnection& bus, const std::string& applicationId) {
  const QString name = QString::fromStdString(applicationId);
  const auto reply = bus.interface()->registerService(name, QDBusConnectionInterface::DontQueueService,
                                                      QDBusConnectionInterface::DontAllowReplacement);
  if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
    message_ = "owns " + applicationId + " on the session bus";
    return;
  }
  // Someone else has the name: bring that Kestrel's window up instead of a second camera.
  const QDBusMessage call = QDBusMessage::createMethodCall(name, ControlService::objectPath,
                                                           ControlService::interfaceName, "OpenWindow");
  const QDBusMessage answer = bus.call(call, QDBus::Block, 5000);
  if (answer.type() == QDBusMessage::ReplyMessage) {
    role_ = Role::handedOver;
    message_ = "Kestrel is already running; its window was brought up.";
  } else {
    role_ = Role::alreadyRunning;
    message_ = "Kestrel is already running, but did not answer: " + answer.errorMessage().toStdString();
  }
}

void SingleInstance::claimLock(const std::filesystem::path& file) {
  std::error_code error;
  std::filesystem::create_directories(file.parent_path(), error);
  lockFd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lockFd_ < 0) {
    // Nothing can tell; better two copies than none.
    message_ = "no session bus and no lock file at " + file.string() + ": " + std::strerror(errno);
    return;
  }
  if (::flock(lockFd_, LOCK_EX | LOCK_NB) == 0) {
    message_ = "no session bus; holds the lock file " + file.string();
    return;
  }
  ::close(lockFd_);
  lockFd_ = -1;
  role_ = Role::alreadyRunning;
  message_ = "Kestrel is already running (it holds " + file.string() + "); without a session bus it cannot be "
             "asked to show its window.";
}

}  // namespace kestrel
