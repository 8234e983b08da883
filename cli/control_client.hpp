#pragma once

#include <QDBusConnection>
#include <filesystem>
#include <iosfwd>
#include <string>

#include "core/launch/control_command.hpp"

namespace kestrel {

// The command line's side of the control interface: carries one command to the Kestrel that
// owns `applicationId` on the session bus, and prints its answer.
class ControlClient {
 public:
  ControlClient(QDBusConnection bus, std::string applicationId, std::filesystem::path dataFolder);

  // Prints to `out` (answers) and `err` (failures); gives the exit status: 0 done, 1 when no
  // Kestrel runs or it refused.
  int run(const ControlCommand& command, std::ostream& out, std::ostream& err);

 private:
  bool running();
  int status(const ControlCommand& command, std::ostream& out, std::ostream& err);

  QDBusConnection bus_;
  std::string applicationId_;
  std::filesystem::path dataFolder_;
};

}  // namespace kestrel
