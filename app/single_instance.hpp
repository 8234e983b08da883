#pragma once

#include <QDBusConnection>
#include <filesystem>
#include <string>

namespace kestrel {

// One Kestrel per session. The first one owns the session-bus name of its application id; a
// later one asks it to show its window and steps aside. Without a session bus, a lock file
// (held with flock, so a killed Kestrel leaves none behind) does the same job, minus the window.
class SingleInstance {
 public:
  enum class Role {
    first,          // this process is the one Kestrel
    handedOver,     // another one runs and was asked to show its window
    alreadyRunning  // another one runs and could not be reached
  };

  // `lockFolder` is where the lock file goes when there is no session bus.
  SingleInstance(QDBusConnection bus, const std::string& applicationId, const std::filesystem::path& lockFolder);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  Role role() const { return role_; }
  // For the terminal: why this process ends, or how the one Kestrel is held.
  const std::string& message() const { return message_; }
  // The lock file's descriptor while held; -1 with the bus name instead.
  int lockFd() const { return lockFd_; }

  // Where the lock file lies: $XDG_RUNTIME_DIR when set, else `fallback`.
  static std::filesystem::path lockFolder(const std::filesystem::path& fallback);

 private:
  void claimName(QDBusConnection& bus, const std::string& applicationId);
  void claimLock(const std::filesystem::path& file);

  Role role_ = Role::first;
  std::string message_;
  int lockFd_ = -1;
};

}  // namespace kestrel
