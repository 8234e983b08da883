#include "core/launch/login_item_policy.hpp"

namespace kestrel::LoginItemPolicy {

namespace {

// A folder of the path named like the mount point of a running AppImage.
bool liesInTemporaryMount(std::string_view path) {
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    if (end < path.size() && path.substr(start, end - start).starts_with(".mount_")) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

Decision shouldRegister(std::string_view executablePath, bool isReadOnlyVolume) {
  if (liesInTemporaryMount(executablePath)) return Skip{"translocated"};
  if (isReadOnlyVolume) return Skip{"read_only"};
  return Register{};
}

std::string logLine(const Decision& decision) {
  if (const auto* skip = std::get_if<Skip>(&decision)) return "login item skipped reason=" + skip->reason;
  return "login item register";
}

bool shouldCallRegister(LoginItemStatus before) {
  return before == LoginItemStatus::notRegistered || before == LoginItemStatus::notFound;
}

bool isOffered(LoginItemStatus after) {
  return after == LoginItemStatus::enabled || after == LoginItemStatus::requiresApproval;
}

std::string errorDescription(std::string_view domain, std::int64_t code) {
  return std::string(domain) + ":" + std::to_string(code);
}

std::string registerLogLine(LoginItemStatus before, LoginItemStatus after, std::optional<std::string_view> error) {
  std::string line = "login item register before=";
  line += toText(before);
  line += " after=";
  line += toText(after);
  if (error) {
    line += " error=";
    line += *error;
  }
  return line;
}

}  // namespace kestrel::LoginItemPolicy
