#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "app/login_item_service.hpp"

namespace kestrel {

// The login item as an XDG autostart entry, `<config home>/autostart/<application id>.desktop`:
// enabled while that file exists and is not hidden; enabling writes it, disabling removes it.
class XdgAutostart final : public LoginItemService {
 public:
  // Where the running program lies, or none when that cannot be told.
  using LocateExecutable = std::function<std::optional<std::filesystem::path>()>;

  XdgAutostart(std::string applicationId, std::filesystem::path configHome, LocateExecutable locate);
  // For this process: `$XDG_CONFIG_HOME` (else ~/.config) and /proc/self/exe.
  explicit XdgAutostart(std::string applicationId);

  // notFound while the executable cannot be located; otherwise enabled or notRegistered.
  LoginItemStatus status() override;
  std::optional<std::string> enable() override;
  std::optional<std::string> disable() override;
  // Empty when the executable cannot be located.
  std::string executablePath() override;
  bool isReadOnlyVolume() override;

  std::filesystem::path entryPath() const;

  // The desktop entry that starts `executable` at login.
  static std::string desktopEntry(const std::filesystem::path& executable, const std::string& applicationId);
  // The Exec= value that runs exactly `executable`, quoted and escaped as desktop entries need.
  static std::string execValue(const std::filesystem::path& executable);
  // Whether desktop entry text hides the entry (`Hidden=true` in its main group).
  static bool hidden(const std::string& entry);
  // $XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config.
  static std::filesystem::path configHome();
  // The target of /proc/self/exe, when it still exists.
  static std::optional<std::filesystem::path> ownExecutable();

 private:
  std::string applicationId_;
  std::filesystem::path configHome_;
  LocateExecutable locate_;
};

}  // namespace kestrel
