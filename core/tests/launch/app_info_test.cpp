#include "core/launch/app_info.hpp"

#include <gtest/gtest.h>

#include <string>

namespace kestrel {
namespace {

std::string onHost(std::string_view prefix, std::string_view suffix) {
  return std::string(prefix) + std::string(AppInfo::productHost()) + std::string(suffix);
}

TEST(AppInfo, DownloadLinkMustBeHttpsOnTheProductHost) {
  struct Case {
    std::string value;
    bool accepted;
  };
  const Case cases[] = {
      {onHost("https://", ""), true},
      {onHost("https://", "/download?from=app#latest"), true},
      {onHost("https://", ":443/download"), true},
      {onHost("HTTPS://", "/download"), true},
      {onHost("https://user@", "/"), true},
      {onHost("http://", "/download"), false},
      {onHost("https://", ".example.org/download"), false},
      {onHost("https://", "@example.org/download"), false},  // the host is what follows "@"
      {"https://example.org/" + std::string(AppInfo::productHost()), false},
      {onHost("https://", ":https/download"), false},  // a port that is not a number
      {onHost("https://", "/down load"), false},
      {onHost(" https://", "/"), false},
      {onHost("https:", "/download"), false},
      {"https:///download", false},
      {"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AppInfo::downloadURL(c.value), c.accepted ? std::optional(c.value) : std::nullopt) << c.value;
  }
  EXPECT_EQ(AppInfo::downloadURL(std::nullopt), std::nullopt);
}

TEST(AppInfo, ShortDateNeedsThreeNumbersWithAValidMonthAndDay) {
  struct Case {
    const char* date;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {"2024-03-07", "7 Mar"},
      {"2024-01-31", "31 Jan"},
      {"2024-12-01", "1 Dec"},
      {"2024-02-31", "31 Feb"},  // only the ranges are checked, not the calendar
      {"2024-13-01", std::nullopt},
      {"2024-00-10", std::nullopt},
      {"2024-05-00", std::nullopt},
      {"2024-05-32", std::nullopt},
      {"2024-02", std::nullopt},
      {"x-02-03", std::nullopt},
      {"2024-02-03-04", std::nullopt},
      {"2024-02-", std::nullopt},
      {"2024-+2-03", std::nullopt},
      {"9223372036854775807-02-03", "3 Feb"},  // the largest year a count holds
      {"9223372036854775808-02-03", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(AppInfo::shortDate(c.date), c.expected) << c.date;
}

TEST(AppInfo, VersionLineJoinsItsParts) {
  struct Case {
    std::optional<std::string_view> commit;
    std::optional<std::string_view> buildDate;
    std::string_view bundleIdentifier;
    std::string expected;
  };
  const Case cases[] = {
      {std::nullopt, "2024-03-07", "io.github.kestrel.Kestrel.e2e", "Version unknown"},
      {"", "2024-03-07", "io.github.kestrel.Kestrel", "Version unknown"},
      {"abc1234", "2024-03-07", "io.github.kestrel.Kestrel", "Version abc1234 · 7 Mar"},
      {"abc1234", "2024-03-07", "io.github.kestrel.Kestrel.e2e", "Version abc1234 · test build · 7 Mar"},
      {"abc1234", std::nullopt, "io.github.kestrel.Kestrel.e2e", "Version abc1234 · test build"},
      {"abc1234", "2024-13-01", "io.github.kestrel.Kestrel", "Version abc1234"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AppInfo::versionLine(c.commit, c.buildDate, c.bundleIdentifier), c.expected) << c.expected;
  }
}

}  // namespace
}  // namespace kestrel
