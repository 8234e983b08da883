#include "app/xdg_autostart.hpp"

#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <system_error>

#include "core/base/file_io.hpp"
#include "core/launch/app_info.hpp"

namespace kestrel {

namespace {

std::string failure(int error) { return "errno:" + std::to_string(error); }

std::string trimmed(std::string s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.back())) s.pop_back();
  std::size_t start = 0;
  while (start < s.size() && blank(s[start])) ++start;
  return s.substr(start);
}

}  // namespace

XdgAutostart::XdgAutostart(std::string applicationId, std::filesystem::path configHome, LocateExecutable locate)
    : applicationId_(std::move(applicationId)), configHome_(std::move(configHome)), locate_(std::move(locate)) {}

XdgAutostart::XdgAutostart(std::string applicationId)
    : XdgAutostart(std::move(applicationId), configHome(), &XdgAutostart::ownExecutable) {}

std::filesystem::path XdgAutostart::entryPath() const { return configHome_ / "autostart" / (applicationId_ + ".desktop"); }

LoginItemStatus XdgAutostart::status() {
  if (!locate_()) return LoginItemStatus::notFound;
  const std::optional<std::string> entry = readFile(entryPath());
  return entry && !hidden(*entry) ? LoginItemStatus::enabled : LoginItemStatus::notRegistered;
}

std::optional<std::string> XdgAutostart::enable() {
  const std::optional<std::filesystem::path> executable = locate_();
  if (!executable) return failure(ENOENT);
  try {
    std::filesystem::create_directories(entryPath().parent_path());
    writeFileAtomically(entryPath(), desktopEntry(*executable, applicationId_));
  } catch (const std::system_error& e) {
    return failure(e.code().value());
  }
  return std::nullopt;
}

std::optional<std::string> XdgAutostart::disable() {
  if (::unlink(entryPath().c_str()) != 0 && errno != ENOENT) return failure(errno);
  return std::nullopt;
}

std::string XdgAutostart::executablePath() {
  const std::optional<std::filesystem::path> executable = locate_();
  return executable ? executable->string() : std::string();
}

bool XdgAutostart::isReadOnlyVolume() {
  const std::optional<std::filesystem::path> executable = locate_();
  struct statvfs volume {};
  if (!executable || ::statvfs(executable->c_str(), &volume) != 0) return false;
  return (volume.f_flag & ST_RDONLY) != 0;
}

std::string XdgAutostart::execValue(const std::filesystem::path& executable) {
  // The whole path as one quoted argument, with the quoting rule's escapes; then "%" doubled
  // (no field code), then the escapes of any string value, which are undone first on reading.
  std::string quoted = "\"";
  for (char c : executable.string()) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
    if (c == '%') quoted += '%';
  }
  quoted += '"';
  std::string value;
  for (char c : quoted) {
    switch (c) {
      case '\\':
        value += "\\\\";
        break;
      case '\n':
        value += "\\n";
        break;
      case '\t':
        value += "\\t";
        break;
      case '\r':
        value += "\\r";
        break;
      default:
        value += c;
    }
  }
  return value;
}

std::string XdgAutostart::desktopEntry(const std::filesystem::path& executable, const std::string& applicationId) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=" + std::string(AppInfo::name) + "\n"
         "Comment=Watches how you sit through the laptop camera\n"
         "Exec=" + execValue(executable) + "\n"
         "Icon=" + applicationId + "\n"
         "Terminal=false\n"
         "X-GNOME-Autostart-enabled=true\n";
}

bool XdgAutostart::hidden(const std::string& entry) {
  std::istringstream lines(entry);
  std::string line;
  bool mainGroup = false;
  while (std::getline(lines, line)) {
    line = trimmed(line);
    if (line.starts_with('[')) {
      mainGroup = line == "[Desktop Entry]";
      continue;
    }
    if (!mainGroup) continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    if (trimmed(line.substr(0, equals)) == "Hidden") return trimmed(line.substr(equals + 1)) == "true";
  }
  return false;
}

std::filesystem::path XdgAutostart::configHome() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/') return config;
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home ? home : "") / ".config";
}

std::optional<std::filesystem::path> XdgAutostart::ownExecutable() {
  std::error_code error;
  const std::filesystem::path target = std::filesystem::read_symlink("/proc/self/exe", error);
  // A program replaced or removed while running reads as "<path> (deleted)", which does not exist.
  if (error || target.empty() || !std::filesystem::exists(target, error)) return std::nullopt;
  return target;
}

}  // namespace kestrel
