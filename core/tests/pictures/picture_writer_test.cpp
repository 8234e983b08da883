#include "core/pictures/picture_writer.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "core/tests/support/log_builders.hpp"
#include "core/tests/support/temp_folder.hpp"

namespace kestrel {
namespace {

using testing::readBytes;
using testing::TempFolder;

constexpr Instant noon = 1773057600;  // 2026-03-09T12:00:00Z
const LogClock utc{Calendar::utc()};

struct FakeFrame : PhotoSource {};

// Encodes every frame as the same few bytes, or fails when told to.
class FakeEncoder : public PhotoEncoder {
 public:
  explicit FakeEncoder(std::atomic<int>& calls, bool fails = false) : calls_(calls), fails_(fails) {}
  std::string jpeg(const PhotoSource&) override {
    ++calls_;
    if (fails_) throw std::runtime_error("camera said no");
    return "\xFF\xD8\xFF-photo";
  }

 private:
  std::atomic<int>& calls_;
  bool fails_;
};

// Everything the writer tells its caller, gathered across its thread.
struct Outcome {
  std::mutex mutex;
  std::vector<std::string> reports;
  std::vector<std::vector<PictureSaved>> completions;
  std::vector<std::thread::id> threads;
};

struct Fixture {
  TempFolder folder;
  std::atomic<int> encodes{0};
  Outcome outcome;
  // Each reading of the stopwatch is a quarter second after the one before.
  double seconds = 10;
  PictureWriter writer;

  explicit Fixture(bool encoderFails = false)
      : writer(PictureStore{folder / "pictures", utc}, std::make_unique<FakeEncoder>(encodes, encoderFails),
               [this](const std::string& m) {
                 const std::lock_guard lock(outcome.mutex);
                 outcome.reports.push_back(m);
               },
               [this] {
                 const double now = seconds;
                 seconds += 0.25;
                 return now;
               }) {}

  std::function<void(std::vector<PictureSaved>)> completion() {
    return [this](std::vector<PictureSaved> saved) {
      const std::lock_guard lock(outcome.mutex);
      outcome.completions.push_back(std::move(saved));
      outcome.threads.push_back(std::this_thread::get_id());
    };
  }

  std::filesystem::path file(const std::string& name) const { return folder / "pictures" / "2026-03-09" / name; }
};

std::vector<PictureRequest> twoRequests() {
  return {PictureRequest{"HEAD-1", AlertModule::head, "Too close to the screen · sit back", noon},
          PictureRequest{"HAND-1", AlertModule::hand, "Hand at chin · rest your jaw", noon}};
}

TEST(PictureWriter, TwoAlertsWithPhotosGiveTwoRecordsAndTwoPhotos) {
  Fixture f;
  const Measurements m = testing::frameWithHands({Hand{{testing::joint(1, 2, 0.5)}}});
  f.writer.save(twoRequests(), m, std::make_shared<FakeFrame>(), true, f.completion());
  f.writer.flush();

  EXPECT_EQ(f.encodes, 1);
  ASSERT_EQ(f.outcome.completions.size(), 1u);
  EXPECT_EQ(f.outcome.completions[0], (std::vector<PictureSaved>{{"HEAD-1", true, 9, 250}, {"HAND-1", true, 9, 500}}));
  EXPECT_NE(f.outcome.threads[0], std::this_thread::get_id());
  EXPECT_TRUE(f.outcome.reports.empty());
  EXPECT_EQ(readBytes(f.file("120000-HEAD-1.lsphoto")), "\xFF\xD8\xFF-photo");
  EXPECT_EQ(readBytes(f.file("120000-HAND-1.lsphoto")), "\xFF\xD8\xFF-photo");
  const auto record = PictureRecord::decode(readBytes(f.file("120000-HAND-1.json")).value_or(""));
  EXPECT_EQ(record, PictureRecord("HAND-1", AlertModule::hand, "Hand at chin · rest your jaw", noon, true, m));
}

TEST(PictureWriter, PhotosThatCannotBeHadLeaveRecordsWithoutPhoto) {
  struct Case {
    const char* name;
    bool keepPhoto;
    bool withFrame;
    bool encoderFails;
    std::vector<std::string> reports;
    int encodes;
  };
  const Case cases[] = {
      {"photos not kept", false, true, false, {}, 0},
      {"no frame copy", true, false, false, {"picture photo skipped: no frame copy"}, 0},
      {"encoder fails", true, true, true, {"picture photo encode failed: camera said no"}, 1},
  };
  for (const auto& c : cases) {
    Fixture f(c.encoderFails);
    f.writer.save(twoRequests(), Measurements{}, c.withFrame ? std::make_shared<FakeFrame>() : nullptr, c.keepPhoto,
                  f.completion());
    f.writer.flush();
    EXPECT_EQ(f.outcome.reports, c.reports) << c.name;
    EXPECT_EQ(f.encodes, c.encodes) << c.name;
    ASSERT_EQ(f.outcome.completions.size(), 1u) << c.name;
    EXPECT_EQ(f.outcome.completions[0], (std::vector<PictureSaved>{{"HEAD-1", false, 0, 250}, {"HAND-1", false, 0, 500}}))
        << c.name;
    EXPECT_FALSE(std::filesystem::exists(f.file("120000-HEAD-1.lsphoto"))) << c.name;
    EXPECT_FALSE(PictureRecord::decode(readBytes(f.file("120000-HEAD-1.json")).value_or(""))->photo) << c.name;
  }
}

TEST(PictureWriter, WriteFailuresAreReportedPerPicture) {
  Fixture f;
  // Folders standing where the head alert's files go make both of its writes fail.
  std::filesystem::create_directories(f.file("120000-HEAD-1.json"));
  std::filesystem::create_directories(f.file("120000-HAND-1.lsphoto"));
  f.writer.save(twoRequests(), Measurements{}, std::make_shared<FakeFrame>(), true, f.completion());
  f.writer.flush();
  ASSERT_EQ(f.outcome.completions.size(), 1u);
  EXPECT_EQ(f.outcome.completions[0], (std::vector<PictureSaved>{{"HAND-1", false, 0, 250}}));
  ASSERT_EQ(f.outcome.reports.size(), 2u);
  EXPECT_EQ(f.outcome.reports[0].rfind("picture write failed alertId=HEAD-1: ", 0), 0u) << f.outcome.reports[0];
  EXPECT_EQ(f.outcome.reports[1].rfind("picture photo write failed alertId=HAND-1: ", 0), 0u) << f.outcome.reports[1];
  // The head alert's photo was written before its record failed, and is gone again.
  EXPECT_FALSE(std::filesystem::exists(f.file("120000-HEAD-1.lsphoto")));
}

TEST(PictureWriter, UnusableRootOrIdentifier) {
  Fixture f;
  testing::writeBytes(f.folder / "pictures", "a file where the folder belongs");
  std::vector<PictureRequest> requests = twoRequests();
  requests[1].alertId = "../escape";
  f.writer.save(requests, Measurements{}, nullptr, false, f.completion());
  f.writer.flush();
  ASSERT_EQ(f.outcome.completions.size(), 1u);
  EXPECT_TRUE(f.outcome.completions[0].empty());
  ASSERT_EQ(f.outcome.reports.size(), 2u);
  EXPECT_EQ(f.outcome.reports[0].rfind("picture write failed alertId=HEAD-1: ", 0), 0u) << f.outcome.reports[0];
  EXPECT_EQ(f.outcome.reports[1], "picture write failed alertId=../escape: identifier not usable in a file name");
}

TEST(PictureWriter, JobsRunInTheOrderAsked) {
  Fixture f;
  std::vector<std::string> order;
  std::mutex mutex;
  auto note = [&](const std::string& what) {
    const std::lock_guard lock(mutex);
    order.push_back(what);
  };
  testing::writeBytes(f.folder / "pictures" / "2026-03-01" / "120000-OLD.json", "x");
  // Nothing to save: no photo is encoded and no completion comes.
  f.writer.save({}, Measurements{}, std::make_shared<FakeFrame>(), true, [&](auto) { note("nothing saved"); });
  f.writer.save(twoRequests(), Measurements{}, nullptr, false, [&](std::vector<PictureSaved>) { note("save"); });
  f.writer.prune(noon, PictureRetention::day, [&](std::vector<std::string> removed) {
    note("prune " + (removed.empty() ? std::string("-") : removed.front()));
  });
  f.writer.deleteAll([&] { note("delete all"); });
  f.writer.flush();
  EXPECT_EQ(order, (std::vector<std::string>{"save", "prune 2026-03-01", "delete all"}));
  EXPECT_EQ(f.encodes, 0);
  EXPECT_FALSE(std::filesystem::exists(f.folder / "pictures" / "2026-03-09"));
  EXPECT_TRUE(std::filesystem::exists(f.folder / "pictures" / "CACHEDIR.TAG"));
}

TEST(PictureWriter, AFailingCompletionIsReportedAndTheQueueGoesOn) {
  Fixture f;
  f.writer.deleteAll([&] { f.writer.flush(); });
  bool ran = false;
  f.writer.deleteAll([&] { ran = true; });
  f.writer.flush();
  EXPECT_TRUE(ran);
  ASSERT_EQ(f.outcome.reports.size(), 1u);
  EXPECT_EQ(f.outcome.reports[0], "picture writer job failed: a serial queue cannot wait for itself");
}

TEST(PictureWriter, DestroyingTheWriterFinishesQueuedJobs) {
  std::atomic<int> finished{0};
  {
    Fixture f;
    for (int i = 0; i < 5; ++i) f.writer.deleteAll([&] { ++finished; });
  }
  EXPECT_EQ(finished, 5);
}

}  // namespace
}  // namespace kestrel
