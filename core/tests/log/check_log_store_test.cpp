#include "core/log/check_log_store.hpp"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cmath>

#include "core/base/json_text.hpp"
#include "core/tests/support/log_builders.hpp"
#include "core/tests/support/temp_folder.hpp"

namespace kestrel {
namespace {

using testing::readBytes;
using testing::scoredLine;
using testing::TempFolder;
using testing::writeBytes;

constexpr Instant noon = 1773057600;  // 2026-03-09T12:00:00Z
const LogClock utc{Calendar::utc()};

EventLine raiseLine(const std::string& id) {
  EventLine line;
  line.t = "2026-03-09T12:00:00Z";
  line.event = "alert_raise";
  line.module = AlertModule::head;
  line.alertId = id;
  line.hint = "Head forward · tuck your chin";
  line.hidden = false;
  return line;
}

ScoreLine scoreOf(const CheckLine& line) { return {line.schema, line.skip, line.head, line.hand, line.stale}; }

TEST(CheckLogStore, AppendsOneLinePerRecordToTheDayFile) {
  TempFolder folder;
  const CheckLogStore log{folder / "Larkspur" / "logs", utc};
  EXPECT_EQ(log.fileURL(noon), folder / "Larkspur" / "logs" / "2026-03-09.jsonl");
  const CheckLine check = scoredLine(HeadVerdict::good, HandVerdict::good);
  log.append(check, noon);
  EXPECT_EQ(readBytes(log.fileURL(noon)), lineText(check) + "\n");
  log.append(raiseLine("A"), noon + 1);
  EXPECT_EQ(readBytes(log.fileURL(noon)), lineText(check) + "\n" + lineText(raiseLine("A")) + "\n");
  // A moment of another day goes to that day's file.
  log.append(raiseLine("B"), noon + 86400);
  EXPECT_EQ(readBytes(folder / "Larkspur" / "logs" / "2026-03-10.jsonl"), lineText(raiseLine("B")) + "\n");
}

TEST(CheckLogStore, GarbageLinesAreSkippedAndTheLinesAroundThemKept) {
  TempFolder folder;
  const CheckLogStore log{folder / "logs", utc};
  const CheckLine first = scoredLine(HeadVerdict::good, HandVerdict::good);
  const CheckLine second = scoredLine(HeadVerdict::bad, std::nullopt);
  CheckLine schemaOne = scoredLine(HeadVerdict::good, HandVerdict::snoozed);
  schemaOne.schema = 1;
  CheckLine schemaThree = first;
  schemaThree.schema = 3;
  EventLine eventThree = raiseLine("THREE");
  eventThree.schema = 3;
  const std::string good1 = lineText(first);
  // A check line damaged only in a list the score does not need.
  Json noBurst = Json::parse(lineText(second));
  noBurst.erase("burstFrames");
  // A check line with a huge list of hand joints: about 10 MB.
  CheckLine big = scoredLine(HeadVerdict::good, HandVerdict::good);
  big.handJoints.assign(1, std::vector<Joint>(130000, testing::joint(612.3457031250001, 301.99999999999994, 0.87)));
  std::string spaced = lineText(first);
  spaced.replace(spaced.find(R"("type":"check")"), 14, R"("type": "check")");
  std::string badUtf8 = lineText(raiseLine("UTF"));
  badUtf8.replace(badUtf8.find("Head"), 1, "\xff");

  const std::string content = std::string("\n") +                                          //
                              good1 + "\n" +                                               // kept
                              "\n\n" +                                                     // empty lines
                              "plain text with \"type\":\"check\" in it\n" +               //
                              lineText(raiseLine("A")) + "\n" +                            // kept
                              good1.substr(0, good1.size() / 2) + "\n" +                   // truncated
                              R"({"schema":"2","stale":false,"type":"check"})" + "\n" +    // wrong type
                              R"({"event":7,"schema":2,"t":"x","type":"event"})" + "\n" +  // wrong type
                              lineText(schemaThree) + "\n" + lineText(eventThree) + "\n" + // other schema
                              spaced + "\n" +                                              // space after colon
                              badUtf8 + "\n" +                                             // invalid UTF-8
                              std::string(10'000'000, 'x') + "\n" +                        // 10 MB of nothing
                              noBurst.dump() + "\n" +                                      // score only
                              lineText(big) + "\n" +                                       // 10 MB, kept
                              lineText(schemaOne) + "\n" +                                 // kept
                              "{\"schema\":2,\"stale\":false,\"type\":\"check\"";          // cut-off last line
  writeBytes(log.fileURL(noon), content);

  EXPECT_EQ(log.checkLines(noon), (std::vector<CheckLine>{first, big, schemaOne}));
  EXPECT_EQ(log.eventLines(noon), std::vector<EventLine>{raiseLine("A")});
  const DayLines day = log.dayLines(noon);
  EXPECT_EQ(day.checks, (std::vector<ScoreLine>{scoreOf(first), scoreOf(second), scoreOf(big), scoreOf(schemaOne)}));
  EXPECT_EQ(day.events, std::vector<EventLine>{raiseLine("A")});
}

// The file is read in windows of 64 KiB that grow for longer lines: lines ending just before,
// on and just after a window's edge, and one filling a window exactly, all come back.
TEST(CheckLogStore, LinesAroundTheEdgesOfTheReadWindow) {
  TempFolder folder;
  const CheckLogStore log{folder / "logs", utc};
  std::vector<CheckLine> lines;
  std::string content;
  for (std::size_t length : {65535u, 65536u, 65537u, 10u, 131072u, 65536u * 2 - 1, 300000u}) {
    CheckLine line = scoredLine(HeadVerdict::good, HandVerdict::good);
    line.thresholdsId.assign(length > 400 ? length - lineText(line).size() + 1 : 1, 'x');
    if (length <= 400) line.thresholdsId = "short";
    lines.push_back(line);
    content += lineText(line) + "\n";
  }
  // The last line has no line feed and exactly fills what is left of a window.
  CheckLine last = scoredLine(HeadVerdict::bad, HandVerdict::good);
  last.thresholdsId.assign(65536 - content.size() % 65536 - lineText(last).size() + 1, 'y');
  lines.push_back(last);
  content += lineText(last);
  ASSERT_EQ(content.size() % 65536, 0u);
  writeBytes(log.fileURL(noon), content);

  EXPECT_EQ(log.checkLines(noon), lines);
  std::vector<ScoreLine> scores;
  for (const CheckLine& line : lines) scores.push_back(scoreOf(line));
  EXPECT_EQ(log.dayLines(noon).checks, scores);
}

TEST(CheckLogStore, MissingAndUnreadableDays) {
  TempFolder folder;
  const CheckLogStore log{folder / "logs", utc};
  EXPECT_TRUE(log.eventLines(noon).empty());
  EXPECT_EQ(log.dayLines(noon), DayLines{});
  // A folder where the day file belongs.
  std::filesystem::create_directories(log.fileURL(noon));
  EXPECT_TRUE(log.checkLines(noon).empty());
  EXPECT_EQ(log.dayLines(noon), DayLines{});
  writeBytes(log.fileURL(noon + 86400), "");
  EXPECT_EQ(log.dayLines(noon + 86400), DayLines{});
}

TEST(CheckLogStore, UnreadableDayFile) {
  if (testing::runningAsRoot()) GTEST_SKIP() << "permissions do not apply to root";
  TempFolder folder;
  const CheckLogStore log{folder / "logs", utc};
  log.append(scoredLine(HeadVerdict::good, HandVerdict::good), noon);
  ::chmod(log.fileURL(noon).c_str(), 0);
  EXPECT_TRUE(log.checkLines(noon).empty());
  EXPECT_EQ(log.dayLines(noon), DayLines{});
}

TEST(CheckLogStore, FailedAppendsLeaveTheEarlierLines) {
  TempFolder folder;
  const CheckLogStore log{folder / "logs", utc};
  const CheckLine kept = scoredLine(HeadVerdict::good, HandVerdict::good);
  log.append(kept, noon);
  const auto before = readBytes(log.fileURL(noon));

  CheckLine notFinite = kept;
  notFinite.noseConf = std::nan("");
  EXPECT_THROW(log.append(notFinite, noon), EncodeError);
  EXPECT_EQ(readBytes(log.fileURL(noon)), before);

  // The next day's file cannot be created where a folder stands.
  std::filesystem::create_directories(log.fileURL(noon + 86400));
  EXPECT_THROW(log.append(kept, noon + 86400), std::system_error);

  // The log folder cannot be created where a file stands.
  writeBytes(folder / "blocked", "x");
  EXPECT_THROW((CheckLogStore{folder / "blocked" / "logs", utc}.append(kept, noon)), std::filesystem::filesystem_error);
  EXPECT_EQ(readBytes(log.fileURL(noon)), before);
}

// Lets the process write files no larger than `limit` bytes while it lives.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t limit) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = saved_;
    lowered.rlim_cur = limit;
    ::setrlimit(RLIMIT_FSIZE, &lowered);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, previous_);
  }

 private:
  rlimit saved_{};
  sighandler_t previous_ = nullptr;
};

TEST(CheckLogStore, AWriteFailingHalfWayIsCutBackOff) {
  TempFolder folder;
  const CheckLogStore log{folder / "logs", utc};
  const CheckLine first = scoredLine(HeadVerdict::good, HandVerdict::good);
  log.append(first, noon);
  const std::string before = readBytes(log.fileURL(noon)).value_or("");
  {
    // Room for 10 more bytes: the next line is written in part, then the disk is "full".
    const FileSizeLimit limit(before.size() + 10);
    EXPECT_THROW(log.append(raiseLine("A"), noon), std::system_error);
  }
  EXPECT_EQ(readBytes(log.fileURL(noon)), before);
  log.append(raiseLine("B"), noon);
  EXPECT_EQ(log.dayLines(noon), (DayLines{{scoreOf(first)}, {raiseLine("B")}}));
}

TEST(CheckLogStore, ALineCutOffEarlierDoesNotSwallowTheNext) {
  TempFolder folder;
  const CheckLogStore log{folder / "logs", utc};
  const CheckLine first = scoredLine(HeadVerdict::good, HandVerdict::good);
  const std::string text = lineText(first);
  writeBytes(log.fileURL(noon), text + "\n" + text.substr(0, 40));
  log.append(raiseLine("A"), noon);
  EXPECT_EQ(readBytes(log.fileURL(noon)), text + "\n" + text.substr(0, 40) + "\n" + lineText(raiseLine("A")) + "\n");
  EXPECT_EQ(log.dayLines(noon), (DayLines{{scoreOf(first)}, {raiseLine("A")}}));
}

TEST(CheckLogStore, PruneKeepsSixtyDays) {
  TempFolder folder;
  const CheckLogStore log{folder / "logs", utc};
  EXPECT_TRUE(log.prune(noon).empty());  // no folder yet
  for (const char* name : {"2025-12-31.jsonl", "2026-01-01.jsonl", "2025-11-02.jsonl", "notes.txt", "2025-01-01.json",
                           "2026-03-02.jsonl"}) {
    writeBytes(folder / "logs" / name, "x");
  }
  // 2026-03-02T12:00:00Z: sixty days of 24 hours earlier is 2026-01-01, which stays.
  EXPECT_EQ(log.prune(1772452800), (std::vector<std::string>{"2025-11-02.jsonl", "2025-12-31.jsonl"}));
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(folder / "logs")) left.push_back(entry.path().filename());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"2025-01-01.json", "2026-01-01.jsonl", "2026-03-02.jsonl", "notes.txt"}));
}

}  // namespace
}  // namespace kestrel
