#include "core/fixture_status.hpp"

#include <algorithm>

#include "core/vision_revisions.hpp"

namespace kestrel {

std::string FixtureStatus::description() const {
  if (std::holds_alternative<Ready>(value)) return "ready";
  if (std::holds_alternative<Missing>(value)) return "missing";
  if (std::holds_alternative<WrongSchema>(value)) return "wrong schema";
  return "stale (" + std::get<Stale>(value).reason + ")";
}

FixtureStatus FixtureStatus::check(const std::optional<SkeletonFile::Header>& header, const std::string& videoSHA256,
                                   const std::string& osBuild) {
  if (!header) return {Missing{}};
  if (header->schema != SkeletonFile::currentSchema) return {WrongSchema{}};
  if (header->videoSHA256 != videoSHA256) return {Stale{"video hash differs"}};
  if (header->revisions != VisionRevisions::current()) return {Stale{"vision analysis revisions differ"}};
  if (header->osBuild != osBuild) {
    return {Stale{"OS build differs (" + header->osBuild + " \u2192 " + osBuild + ")"}};
  }
  return {Ready{}};
}

FixtureStatus::Decision FixtureStatus::decide(const std::vector<std::pair<std::string, FixtureStatus>>& videos,
                                              bool required) {
  std::string message;
  if (videos.empty()) {
    message = "no indexed videos \u2014 record and index fixture videos first";
  } else {
    std::vector<std::pair<std::string, FixtureStatus>> unusable;
    for (const auto& video : videos) {
      if (!video.second.isReady()) unusable.push_back(video);
    }
    if (unusable.empty()) return {Decision::Run{}};
    std::stable_sort(unusable.begin(), unusable.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string first = unusable.front().first + ": " + unusable.front().second.description();
    if (unusable.size() > 1) first += " (+" + std::to_string(unusable.size() - 1) + " more)";
    message = "skeleton not usable \u2014 " + first + "; run kestrel-fixtures convert";
  }
  if (required) return {Decision::Fail{message}};
  return {Decision::Skip{message}};
}

}  // namespace kestrel
