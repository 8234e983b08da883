#include "core/pictures/picture_store.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "core/pictures/picture_history.hpp"
#include "core/pictures/picture_prune.hpp"
#include "core/tests/support/log_builders.hpp"
#include "core/tests/support/temp_folder.hpp"

namespace kestrel {
namespace {

using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

constexpr Instant afternoon = 1773065703;  // 2026-03-09T14:15:03Z
constexpr Instant morning = 1773046964;    // 2026-03-09T09:02:44Z
constexpr Instant dayBefore = 1772971200;  // 2026-03-08T12:00:00Z
constexpr Instant noon = 1773057600;       // 2026-03-09T12:00:00Z

const LogClock utc{Calendar::utc()};

PictureRecord record(const std::string& id, Instant at, bool photo = false) {
  return PictureRecord(id, AlertModule::head, "Head forward · tuck your chin", at, photo, testing::frameWithHands({}));
}

void keep(const PictureStore& store, const PictureRecord& r, const std::string& photo = "") {
  store.createDayDirectory(r);
  if (r.photo) store.writePhoto(photo, r);
  store.writeRecord(r);
}

TEST(PictureStore, LayoutOfDaysAndFiles) {
  TempFolder folder;
  const PictureStore store{folder / "pictures", utc};
  const PictureRecord r = record("ID-1", afternoon, true);
  keep(store, r, "\xFF\xD8\xFFphoto");
  EXPECT_EQ(store.recordFile(r), folder / "pictures" / "2026-03-09" / "141503-ID-1.json");
  EXPECT_EQ(readBytes(store.recordFile(r)), r.encoded());
  EXPECT_EQ(readBytes(folder / "pictures" / "2026-03-09" / "141503-ID-1.lsphoto"), "\xFF\xD8\xFFphoto");
  // The root is tagged for backup tools.
  const auto tag = readBytes(folder / "pictures" / "CACHEDIR.TAG").value_or("");
  EXPECT_EQ(tag.substr(0, 43), "Signature: 8a477f597d28d172789f06886806bc55");
  store.removePhoto(r);
  EXPECT_FALSE(std::filesystem::exists(store.photoFile(r)));
  store.removePhoto(r);  // nothing left to remove: ignored
}

TEST(PictureStore, DaysNewestFirstWithTheirPicturesNewestFirst) {
  TempFolder folder;
  const PictureStore store{folder / "pictures", utc};
  keep(store, record("MORNING", morning));
  keep(store, record("AFTERNOON", afternoon, true), "jpeg");
  keep(store, record("YESTERDAY", dayBefore));

  const auto days = store.days();
  ASSERT_EQ(days.size(), 2u);
  EXPECT_EQ(days[0].name, "2026-03-09");
  EXPECT_EQ(days[0].title(), "Mon 9 Mar");
  EXPECT_EQ(days[1].title(), "Sun 8 Mar");
  ASSERT_EQ(days[0].entries.size(), 2u);
  const auto photo = folder / "pictures" / "2026-03-09" / "141503-AFTERNOON.lsphoto";
  EXPECT_EQ(days[0].entries[0],
            (PictureEntry{"2026-03-09", "141503-AFTERNOON", record("AFTERNOON", afternoon, true), photo, "14:15"}));
  EXPECT_EQ(days[0].entries[1],
            (PictureEntry{"2026-03-09", "090244-MORNING", record("MORNING", morning), std::nullopt, "09:02"}));
  EXPECT_EQ(PictureHistory::lookup(store, "2026-03-09", "090244-MORNING"), days[0].entries[1]);
}

TEST(PictureStore, SkipsWhatItCannotRead) {
  TempFolder folder;
  const PictureStore store{folder / "pictures", utc};
  const PictureRecord missingPhoto = record("GONE", morning, true);
  keep(store, missingPhoto, "jpeg");
  std::filesystem::remove(store.photoFile(missingPhoto));
  const auto root = folder / "pictures";
  writeBytes(root / "2026-03-09" / "235959-BROKEN.json", "{\"schema\":1");
  writeBytes(root / "2026-03-09" / "235958-OTHER.json", R"({"schema":2})");
  writeBytes(root / "2026-03-09" / "notes.txt", "hello");
  // A record under an impossible or foreign folder name is never listed.
  writeBytes(root / "2026-02-30" / "120000-A.json", record("A", noon).encoded());
  writeBytes(root / "notes" / "120000-A.json", record("A", noon).encoded());
  writeBytes(root / "2026-03-09.txt", "x");
  // A day with nothing readable is left out.
  writeBytes(root / "2026-03-07" / "120000-B.json", "garbage");

  const auto days = store.days();
  ASSERT_EQ(days.size(), 1u);
  ASSERT_EQ(days[0].entries.size(), 1u);
  EXPECT_EQ(days[0].entries[0].stem, "090244-GONE");
  EXPECT_TRUE(days[0].entries[0].record.photo);
  EXPECT_FALSE(days[0].entries[0].hasPhoto());

  EXPECT_EQ(store.entry("2026-03-09", "235959-BROKEN"), std::nullopt);
  EXPECT_EQ(store.entry("2026-02-30", "120000-A"), std::nullopt);
  EXPECT_EQ(store.entry("2026-03-09", "../2026-03-09/090244-GONE"), std::nullopt);
  EXPECT_EQ(store.entry("2026-03-09", "missing"), std::nullopt);

  EXPECT_TRUE((PictureStore{folder / "absent", utc}).days().empty());
}

TEST(PictureStore, DayTitles) {
  EXPECT_EQ((PictureDay{"2024-02-29", {}}.title()), "Thu 29 Feb");
  EXPECT_EQ((PictureDay{"notes", {}}.title()), "notes");
  EXPECT_EQ((PictureDay{"2026-02-30", {}}.title()), "2026-02-30");
}

std::vector<std::string> listing(const std::filesystem::path& root) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(root)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(PictureStore, PruneDeletesWholeOldDays) {
  TempFolder folder;
  const auto root = folder / "pictures";
  for (const char* day : {"2026-03-01", "2026-03-02", "2026-03-03", "2026-03-09", "2026-02-30", "notes"}) {
    writeBytes(root / day / "120000-A.json", "x");
  }
  writeBytes(root / "2026-03-09.txt", "x");
  std::vector<std::string> reports;
  const PictureStore store{root, utc};
  EXPECT_EQ(store.prune(noon, PictureRetention::week, [&](const std::string& m) { reports.push_back(m); }),
            (std::vector<std::string>{"2026-03-01", "2026-03-02"}));
  EXPECT_EQ(listing(root), (std::vector<std::string>{"2026-02-30", "2026-03-03", "2026-03-09", "2026-03-09.txt", "notes"}));
  EXPECT_TRUE(reports.empty());
  EXPECT_TRUE((PictureStore{folder / "absent", utc}).prune(noon, PictureRetention::day, [](const std::string&) {}).empty());

  store.deleteAll([&](const std::string& m) { reports.push_back(m); });
  EXPECT_EQ(listing(root), (std::vector<std::string>{"2026-02-30", "2026-03-09.txt", "notes"}));
  EXPECT_TRUE(reports.empty());
}

TEST(PictureStore, FailedPruneIsReportedAndOtherDaysGoOn) {
  if (testing::runningAsRoot()) GTEST_SKIP() << "permissions do not apply to root";
  TempFolder folder;
  const auto root = folder / "pictures";
  writeBytes(root / "2026-03-01" / "120000-A.json", "x");
  writeBytes(root / "2026-03-02" / "120000-A.json", "x");
  ::chmod((root / "2026-03-01").c_str(), 0500);
  std::vector<std::string> reports;
  const PictureStore store{root, utc};
  EXPECT_EQ(store.prune(noon, PictureRetention::day, [&](const std::string& m) { reports.push_back(m); }),
            (std::vector<std::string>{"2026-03-02"}));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].rfind("picture prune failed day=2026-03-01 error=", 0), 0u) << reports[0];
}

TEST(PicturePrune, RetentionKeepsTodayAndTheDaysBefore) {
  const std::vector<std::string> existing = {"2026-03-09", "2026-03-03", "2026-03-02", "2026-02-08", "2026-02-07",
                                             "2026-03-08", "notes", "2026-02-30", "2025-12-31"};
  struct Case {
    PictureRetention retention;
    Instant now;
    const char* zone;
    std::vector<std::string> pruned;
  };
  const Case cases[] = {
      {PictureRetention::day, noon, "UTC",
       {"2025-12-31", "2026-02-07", "2026-02-08", "2026-03-02", "2026-03-03", "2026-03-08"}},
      {PictureRetention::week, noon, "UTC", {"2025-12-31", "2026-02-07", "2026-02-08", "2026-03-02"}},
      {PictureRetention::month, noon, "UTC", {"2025-12-31", "2026-02-07"}},
      // Late on the 9th in UTC is already the 10th in Berlin: one day more goes.
      {PictureRetention::week, 1773099000, "Europe/Berlin",
       {"2025-12-31", "2026-02-07", "2026-02-08", "2026-03-02", "2026-03-03"}},
  };
  for (const auto& c : cases) {
    const LogClock clock{*Calendar::named(c.zone)};
    EXPECT_EQ(PicturePrune::daysToPrune(existing, c.now, c.retention, clock), c.pruned)
        << static_cast<int>(c.retention) << " " << c.zone;
  }
  // Across the start of a month: a week on 2026-03-03 keeps 2026-02-25 on.
  EXPECT_EQ(PicturePrune::daysToPrune({"2026-02-24", "2026-02-25"}, 1772539200, PictureRetention::week, utc),
            (std::vector<std::string>{"2026-02-24"}));
}

TEST(PicturePrune, WhenToPruneAndCloseTheViewer) {
  EXPECT_TRUE(PicturePrune::needsPrune(std::nullopt, noon, utc));
  EXPECT_FALSE(PicturePrune::needsPrune("2026-03-09", noon, utc));
  EXPECT_TRUE(PicturePrune::needsPrune("2026-03-08", noon, utc));
  EXPECT_FALSE(PicturePrune::closesViewer(std::nullopt, {"2026-03-01"}));
  EXPECT_TRUE(PicturePrune::closesViewer("2026-03-01", {"2026-02-28", "2026-03-01"}));
  EXPECT_FALSE(PicturePrune::closesViewer("2026-03-02", {"2026-03-01"}));
}

}  // namespace
}  // namespace kestrel
