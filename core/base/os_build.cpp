#include "core/base/os_build.hpp"

namespace kestrel {

namespace {

// One os-release value: a bare word, a single-quoted text (taken literally) or a
// double-quoted text in which a backslash keeps the next character ("\"", "\\", "\$", "\`").
// Quoted and bare pieces may follow each other as in a shell word.
std::string unquote(std::string_view value) {
  std::string out;
  std::size_t i = 0;
  while (i < value.size()) {
    const char c = value[i];
    if (c == '\'') {
      const auto close = value.find('\'', i + 1);
      const auto end = close == std::string_view::npos ? value.size() : close;
      out.append(value.substr(i + 1, end - i - 1));
      i = end + 1;
    } else if (c == '"') {
      ++i;
      while (i < value.size() && value[i] != '"') {
        if (value[i] == '\\' && i + 1 < value.size()) ++i;
        out.push_back(value[i++]);
      }
      ++i;
    } else if (c == '\\' && i + 1 < value.size()) {
      out.push_back(value[i + 1]);
      i += 2;
    } else {
      out.push_back(c);
      ++i;
    }
  }
  return out;
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

}  // namespace

std::string osBuild(std::string_view prettyName, std::string_view kernelRelease, std::string_view openCVVersion) {
  std::string build(prettyName);
  build.append(" \u00b7 kernel ").append(kernelRelease);
  build.append(" \u00b7 OpenCV ").append(openCVVersion);
  return build;
}

std::optional<std::string> osReleasePrettyName(std::string_view osRelease) {
  constexpr std::string_view key = "PRETTY_NAME=";
  std::optional<std::string> name;
  while (!osRelease.empty()) {
    const auto newline = osRelease.find('\n');
    const std::string_view line = trimmed(osRelease.substr(0, newline));
    osRelease = newline == std::string_view::npos ? std::string_view{} : osRelease.substr(newline + 1);
    if (!line.starts_with(key)) continue;
    std::string value = unquote(line.substr(key.size()));
    name = value.empty() ? std::nullopt : std::optional<std::string>(std::move(value));
  }
  return name;
}

}  // namespace kestrel
