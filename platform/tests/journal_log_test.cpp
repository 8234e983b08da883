#include "platform/journal_log.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "testing/recording_log.hpp"

namespace kestrel {
namespace {

TEST(JournalLog, SendsOneEntryWithThePrefixPriorityAndFieldsElseWritesToTheFallback) {
  std::vector<std::vector<std::string>> sent;
  int result = 0;
  std::ostringstream fallback;
  JournalLog log(
      "io.github.kestrel.Kestrel",
      [&](const std::vector<std::string>& fields) {
        sent.push_back(fields);
        return result;
      },
      fallback);
  log.notice("camera doze start wake=57");
  log.info("frame analysed");
  log.error("chime failed");
  ASSERT_EQ(sent.size(), 3U);
  EXPECT_EQ(sent[0], (std::vector<std::string>{"MESSAGE=Larkspur camera doze start wake=57", "PRIORITY=5",
                                               "SYSLOG_IDENTIFIER=kestrel",
                                               "KESTREL_SUBSYSTEM=io.github.kestrel.Kestrel", "KESTREL_CATEGORY=app"}));
  EXPECT_EQ(sent[1][1], "PRIORITY=6");
  EXPECT_EQ(sent[2][1], "PRIORITY=3");
  EXPECT_EQ(fallback.str(), "");

  result = -ENOENT;  // no journal listens
  log.notice("camera doze ended reason=wake");
  log.error("picture write failed alertId=a1: disk full");
  EXPECT_EQ(fallback.str(), "Larkspur camera doze ended reason=wake\nLarkspur picture write failed alertId=a1: disk full\n");
}

TEST(JournalLog, TheJournalsOwnSendFallsBackWhereNoJournalListens) {
  if (std::filesystem::exists("/run/systemd/journal/socket")) GTEST_SKIP() << "a journal listens here";
  std::ostringstream captured;
  std::streambuf* const standardError = std::cerr.rdbuf(captured.rdbuf());
  {
    JournalLog log("io.github.kestrel.Kestrel");
    log.notice("quit signal=15");
  }
  std::cerr.rdbuf(standardError);
  EXPECT_EQ(captured.str(), "Larkspur quit signal=15\n");
}

}  // namespace
}  // namespace kestrel
