#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>

#include "core/log/app_state.hpp"
#include "core/log/baseline_store.hpp"
#include "core/base/file_io.hpp"
#include "core/base/json_text.hpp"
#include "core/tests/support/temp_folder.hpp"

namespace kestrel {
namespace {

using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

TEST(FileIO, AtomicWriteReplacesAndLeavesNoTemporaryFile) {
  TempFolder folder;
  const auto path = folder / "state.json";
  writeFileAtomically(path, "first");
  writeFileAtomically(path, "second");
  EXPECT_EQ(readFile(path), "second");
  std::int64_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) ++entries;
  EXPECT_EQ(entries, 1);
}

TEST(FileIO, FailedAtomicWriteKeepsTheOldFile) {
  TempFolder folder;
  const auto path = folder / "state.json";
  writeFileAtomically(path, "kept");
  // A folder cannot be renamed over by a file.
  std::filesystem::create_directory(folder / "taken");
  EXPECT_THROW(writeFileAtomically(folder / "taken", "x"), std::system_error);
  EXPECT_THROW(writeFileAtomically(folder / "missing" / "state.json", "x"), std::system_error);
  EXPECT_EQ(readFile(path), "kept");
}

TEST(FileIO, WriteJSONIsIndentedSortedWithoutFinalLineFeed) {
  TempFolder folder;
  const auto path = folder / "a" / "b" / "file.json";
  writeJSON(Json{{"zeta", 1}, {"alpha", "x/y"}, {"mid", Json{{"b", true}, {"a", 0.1}}}}, path);
  EXPECT_EQ(readFile(path),
            "{\n  \"alpha\": \"x/y\",\n  \"mid\": {\n    \"a\": 0.1,\n    \"b\": true\n  },\n  \"zeta\": 1\n}");
  EXPECT_THROW(writeJSON(Json{{"bad", std::nan("")}}, path), EncodeError);
  EXPECT_EQ(readFile(path)->substr(0, 1), "{");
}

AppState sampleState() { return AppState(true, {{"2026-3-7-head", 2}, {"2026-3-8-hand", 1}}, true); }

TEST(AppStateStore, SavesSortedAndLoadsBack) {
  TempFolder folder;
  const AppStateStore store{folder / "Larkspur" / "state.json"};
  store.save(sampleState());
  EXPECT_EQ(readBytes(store.url),
            "{\n  \"loginItemOffered\": true,\n  \"pausedIndefinitely\": true,\n  \"schema\": 1,\n"
            "  \"wrongTaps\": {\n    \"2026-3-7-head\": 2,\n    \"2026-3-8-hand\": 1\n  }\n}");
  EXPECT_EQ(store.load(), sampleState());
  EXPECT_EQ(store.loadStrict(), sampleState());
}

TEST(AppStateStore, UnusableFilesGiveTheDefaultOrNothing) {
  struct Case {
    const char* name;
    const char* content;
  };
  const Case cases[] = {
      {"other schema", R"({"loginItemOffered":true,"pausedIndefinitely":true,"schema":2,"wrongTaps":{}})"},
      {"missing loginItemOffered", R"({"pausedIndefinitely":true,"schema":1,"wrongTaps":{}})"},
      {"number for a boolean", R"({"loginItemOffered":1,"pausedIndefinitely":true,"schema":1,"wrongTaps":{}})"},
      {"real count", R"({"loginItemOffered":true,"pausedIndefinitely":true,"schema":1,"wrongTaps":{"a":1.5}})"},
      {"list of taps", R"({"loginItemOffered":true,"pausedIndefinitely":true,"schema":1,"wrongTaps":[]})"},
      {"truncated", R"({"loginItemOffered":true,"pausedIndefinitely":true,"sch)"},
      {"not UTF-8", "{\"loginItemOffered\":true,\"pausedIndefinitely\":true,\"schema\":1,\"wrongTaps\":{\"\xff\":1}}"},
  };
  for (const auto& c : cases) {
    TempFolder folder;
    const AppStateStore store{folder / "state.json"};
    writeBytes(store.url, c.content);
    EXPECT_EQ(store.load(), AppState()) << c.name;
    EXPECT_EQ(store.loadStrict(), std::nullopt) << c.name;
  }
}

TEST(AppStateStore, MissingOrUnreadableFile) {
  TempFolder folder;
  const AppStateStore missing{folder / "state.json"};
  EXPECT_EQ(missing.load(), AppState());
  EXPECT_EQ(missing.loadStrict(), AppState());

  // A folder where the file should be exists but cannot be read.
  std::filesystem::create_directory(folder / "folder.json");
  const AppStateStore folderStore{folder / "folder.json"};
  EXPECT_EQ(folderStore.load(), AppState());
  EXPECT_EQ(folderStore.loadStrict(), std::nullopt);
  EXPECT_ANY_THROW(folderStore.save(sampleState()));
}

TEST(AppStateStore, UnreadableFile) {
  if (testing::runningAsRoot()) GTEST_SKIP() << "permissions do not apply to root";
  TempFolder folder;
  const AppStateStore locked{folder / "locked.json"};
  locked.save(sampleState());
  ::chmod(locked.url.c_str(), 0);
  EXPECT_EQ(locked.load(), AppState());
  EXPECT_EQ(locked.loadStrict(), std::nullopt);
}

BaselineSet sampleSet() {
  Baseline laptop{ScreenRole::laptop, 1.5, -2, 0.3, 0.7, std::nullopt, 0.55};
  return BaselineSet("8C0D3E4A-1B2C-4D5E-8F90-A1B2C3D4E5F6", "usb-cam/1", {laptop}, Reach{0.3, 0.4});
}

TEST(BaselineStore, SavesAndLoadsBackButNotUnusableCalibrations) {
  TempFolder folder;
  const BaselineStore store{folder / "Larkspur" / "baselines.json"};
  EXPECT_EQ(store.load(), std::nullopt);
  store.save(sampleSet());
  EXPECT_EQ(store.load(), sampleSet());
  const auto text = readBytes(store.url).value_or("");
  EXPECT_NE(text.find("\"cameraID\": \"usb-cam/1\""), std::string::npos) << text;
  EXPECT_EQ(text.find("shoulderWidth"), std::string::npos);

  BaselineSet empty = sampleSet();
  empty.baselines.clear();
  BaselineSet oldSchema = sampleSet();
  oldSchema.schema = 2;
  for (const auto& set : {empty, oldSchema}) {
    store.save(set);
    EXPECT_EQ(store.load(), std::nullopt);
  }
  for (const char* bytes : {R"({"schema":3,"id":"x","cameraID":"c","baselines":[]})", "garbage"}) {
    writeBytes(store.url, bytes);
    EXPECT_EQ(store.load(), std::nullopt) << bytes;
  }
}

}  // namespace
}  // namespace kestrel
