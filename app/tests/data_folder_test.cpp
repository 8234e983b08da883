#include "app/data_folder.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>

#include "core/tests/support/temp_folder.hpp"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

TEST(Locations, FollowTheXdgFoldersWithTheirDefaultsForUnsetOrEmptyOnes) {
  struct Case {
    std::map<std::string, std::string> environment;
    std::string data, settings, autostart;
  };
  const Case cases[] = {
      {{{"HOME", "/home/u"}},
       "/home/u/.local/share/Larkspur",
       "/home/u/.config/Larkspur/settings.json",
       "/home/u/.config/autostart"},
      {{{"HOME", "/home/u"}, {"XDG_DATA_HOME", "/d"}, {"XDG_CONFIG_HOME", ""}},
       "/d/Larkspur",
       "/home/u/.config/Larkspur/settings.json",
       "/home/u/.config/autostart"},
      {{{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "/c"}}, "/home/u/.local/share/Larkspur", "/c/Larkspur/settings.json",
       "/c/autostart"},
  };
  for (const Case& c : cases) {
    const Locations l = Locations::from([&](const char* name) -> std::optional<std::string> {
      auto it = c.environment.find(name);
      if (it == c.environment.end()) return std::nullopt;
      return it->second;
    });
    EXPECT_EQ(l.dataFolder, c.data);
    EXPECT_EQ(l.settingsFile, c.settings);
    EXPECT_EQ(l.autostartFolder, c.autostart);
  }
}

fs::perms modeOf(const fs::path& path) { return fs::status(path).permissions() & fs::perms::mask; }

TEST(DataFolder, IsMadeTheUsersOwnAndLooserModesAreTightenedOnce) {
  TempFolder temp;
  const fs::path data = temp / "share/Larkspur";
  ::umask(022);
  testing::writeBytes(data / "logs/2026-03-09.jsonl", "{}\n");
  testing::writeBytes(data / "state.json", "{}");
  fs::permissions(data / "state.json", fs::perms::owner_read | fs::perms::owner_write);
  ::umask(077);

  EXPECT_EQ(secureDataFolder(data), "data folder permissions tightened folders=2 files=1");
  EXPECT_EQ(modeOf(data), fs::perms::owner_all);
  EXPECT_EQ(modeOf(data / "logs"), fs::perms::owner_all);
  EXPECT_EQ(modeOf(data / "logs/2026-03-09.jsonl"), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(secureDataFolder(data), std::nullopt);  // nothing left to tighten
  EXPECT_EQ(testing::readBytes(data / "logs/2026-03-09.jsonl"), "{}\n");

  const fs::path fresh = temp / "new/Larkspur";
  EXPECT_EQ(secureDataFolder(fresh), std::nullopt);
  EXPECT_EQ(modeOf(fresh), fs::perms::owner_all);
}

TEST(DataFolder, ADamagedFileIsKeptBesideItselfAndLeftInPlace) {
  TempFolder temp;
  const fs::path file = temp / "settings.json";
  testing::writeBytes(file, "{\"glowEnabled\": tru");
  EXPECT_EQ(keepDamaged(file, false), std::nullopt);
  EXPECT_FALSE(fs::exists(temp / "settings.json.corrupt"));
  EXPECT_EQ(keepDamaged(file, true), "damaged settings.json kept as settings.json.corrupt");
  EXPECT_EQ(testing::readBytes(temp / "settings.json.corrupt"), "{\"glowEnabled\": tru");
  EXPECT_EQ(testing::readBytes(file), "{\"glowEnabled\": tru");
  EXPECT_EQ(keepDamaged(temp / "gone.json", true).value().rfind("damaged gone.json not kept: ", 0), 0u);
}

}  // namespace
}  // namespace kestrel
