#include "app/xdg_autostart.hpp"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <fstream>
#include <sstream>

#include "app/tests/support.hpp"
#include "core/tests/support/temp_folder.hpp"

namespace kestrel {
namespace {

using namespace testing;
using S = LoginItemStatus;

constexpr const char* id = "io.github.kestrel.Kestrel";

XdgAutostart autostart(const TempFolder& folder, std::optional<std::filesystem::path> executable) {
  return XdgAutostart(id, folder / "config", [executable] { return executable; });
}

const std::filesystem::path program = "/usr/bin/kestrel";

TEST(XdgAutostart, StatusFollowsTheEntry) {
  struct Case {
    const char* name;
    std::optional<std::string> entry;  // none: no file
    std::optional<std::filesystem::path> executable;
    LoginItemStatus status;
  };
  const Case cases[] = {
      {"no entry", std::nullopt, program, S::notRegistered},
      {"an entry", "[Desktop Entry]\nType=Application\nExec=kestrel\n", program, S::enabled},
      {"an empty file", "", program, S::enabled},
      {"hidden", "[Desktop Entry]\nType=Application\nHidden=true\n", program, S::notRegistered},
      {"hidden, with blanks", "[Desktop Entry]\n  Hidden = true \r\n", program, S::notRegistered},
      {"not hidden", "[Desktop Entry]\nHidden=false\n", program, S::enabled},
      {"hidden in another group", "[Desktop Entry]\nExec=kestrel\n[Desktop Action x]\nHidden=true\n", program,
       S::enabled},
      {"a key that only starts like it", "[Desktop Entry]\nHiddenness=true\n", program, S::enabled},
      {"executable not found", "[Desktop Entry]\nExec=kestrel\n", std::nullopt, S::notFound},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    XdgAutostart item = autostart(folder, c.executable);
    if (c.entry) writeBytes(item.entryPath(), *c.entry);
    EXPECT_EQ(item.status(), c.status) << c.name;
  }
}

TEST(XdgAutostart, EnableWritesTheEntryOverAHiddenOneAndDisableRemovesIt) {
  TempFolder folder;
  XdgAutostart item = autostart(folder, "/opt/Kestrel Apps/kestrel");
  EXPECT_EQ(item.entryPath(), folder / "config/autostart/io.github.kestrel.Kestrel.desktop");
  writeBytes(item.entryPath(), "[Desktop Entry]\nHidden=true\n");
  EXPECT_EQ(item.enable(), std::nullopt);
  EXPECT_EQ(item.status(), S::enabled);
  EXPECT_EQ(readBytes(item.entryPath()),
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Name=Kestrel\n"
            "Comment=Watches how you sit through the laptop camera\n"
            "Exec=\"/opt/Kestrel Apps/kestrel\"\n"
            "Icon=io.github.kestrel.Kestrel\n"
            "Terminal=false\n"
            "X-GNOME-Autostart-enabled=true\n");
  // Nothing is left beside it from the writing.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(item.entryPath().parent_path()), {}), 1);

  EXPECT_EQ(item.disable(), std::nullopt);
  EXPECT_EQ(item.status(), S::notRegistered);
  EXPECT_FALSE(std::filesystem::exists(item.entryPath()));
  EXPECT_EQ(item.disable(), std::nullopt);  // already gone
}

TEST(XdgAutostart, FailuresAreErrnoCodes) {
  struct Case {
    const char* name;
    std::function<void(const TempFolder&)> setUp;
    std::optional<std::filesystem::path> executable;
    bool enabling;
    std::optional<std::string> result;
  };
  const Case cases[] = {
      {"config home is a file", [](const TempFolder& f) { writeBytes(f / "config", "x"); }, program, true, "errno:20"},
      {"executable not found", [](const TempFolder&) {}, std::nullopt, true, "errno:2"},
      {"the entry is a folder",
       [](const TempFolder& f) { std::filesystem::create_directories(f / "config/autostart/io.github.kestrel.Kestrel.desktop"); },
       program, false, "errno:21"},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    c.setUp(folder);
    XdgAutostart item = autostart(folder, c.executable);
    EXPECT_EQ(c.enabling ? item.enable() : item.disable(), c.result) << c.name;
  }
}

TEST(XdgAutostart, ExecQuotesThePathAsDesktopEntriesNeed) {
  const std::pair<std::string, std::string> cases[] = {
      {"/opt/My Apps/kestrel", R"("/opt/My Apps/kestrel")"},
      {R"(/tmp/a"b)", R"("/tmp/a\\"b")"},
      {"/tmp/$HOME/k", R"("/tmp/\\$HOME/k")"},
      {"/tmp/`x`", R"("/tmp/\\`x\\`")"},
      {R"(/tmp/back\slash)", R"("/tmp/back\\\\slash")"},
      {"/tmp/100%/k", R"("/tmp/100%%/k")"},
      {"/tmp/it's;k", R"("/tmp/it's;k")"},
  };
  const bool validate = !QStandardPaths::findExecutable("desktop-file-validate").isEmpty();
  for (const auto& [path, exec] : cases) {
    EXPECT_EQ(XdgAutostart::execValue(path), exec) << path;
    if (!validate) continue;
    TempFolder folder;
    const std::filesystem::path file = folder / "io.github.kestrel.Kestrel.desktop";
    writeBytes(file, XdgAutostart::desktopEntry(path, id));
    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start("desktop-file-validate", {QString::fromStdString(file.string())});
    ASSERT_TRUE(check.waitForFinished());
    EXPECT_EQ(check.exitCode(), 0) << path << ": " << check.readAll().toStdString();
  }
}

TEST(XdgAutostart, ConfigHomeComesFromTheEnvironment) {
  struct Case {
    std::optional<const char*> configHome;
    std::filesystem::path expected;
  };
  const Case cases[] = {
      {"/srv/config", "/srv/config"},
      {"relative/config", "/home/someone/.config"},  // not absolute: ignored
      {std::nullopt, "/home/someone/.config"},
  };
  for (const Case& c : cases) {
    ScopedEnvironment env;
    env.set("HOME", "/home/someone");
    if (c.configHome) {
      env.set("XDG_CONFIG_HOME", *c.configHome);
    } else {
      env.unset("XDG_CONFIG_HOME");
    }
    EXPECT_EQ(XdgAutostart::configHome(), c.expected) << c.configHome.value_or("(unset)");
  }
}

TEST(XdgAutostart, FindsItsOwnExecutable) {
  const std::optional<std::filesystem::path> own = XdgAutostart::ownExecutable();
  ASSERT_TRUE(own);
  EXPECT_EQ(own->filename(), "kestrel_app_tests");
  XdgAutostart item(id);
  EXPECT_EQ(item.executablePath(), own->string());
}

// A mount point listed read-only in /proc/mounts, if this machine has one.
std::optional<std::filesystem::path> readOnlyMount() {
  std::ifstream mounts("/proc/mounts");
  std::string line;
  while (std::getline(mounts, line)) {
    std::istringstream fields(line);
    std::string device, point, type, options;
    fields >> device >> point >> type >> options;
    if ((options == "ro" || options.starts_with("ro,")) && std::filesystem::is_directory(point)) return point;
  }
  return std::nullopt;
}

TEST(XdgAutostart, TellsAReadOnlyVolume) {
  TempFolder folder;
  EXPECT_FALSE(autostart(folder, folder.path()).isReadOnlyVolume());
  EXPECT_FALSE(autostart(folder, folder / "missing").isReadOnlyVolume());  // unreadable counts as writable
  EXPECT_FALSE(autostart(folder, std::nullopt).isReadOnlyVolume());
  const std::optional<std::filesystem::path> mount = readOnlyMount();
  if (!mount) GTEST_SKIP() << "no read-only mount here";
  EXPECT_TRUE(autostart(folder, *mount).isReadOnlyVolume()) << *mount;
}

}  // namespace
}  // namespace kestrel
