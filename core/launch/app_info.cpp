#include "core/launch/app_info.hpp"

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

namespace kestrel::AppInfo {

namespace {

bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// A non-negative decimal number of ASCII digits only; absent when empty, not all digits or too large.
std::optional<std::int64_t> decimal(std::string_view text) {
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (!isAsciiDigit(c)) return std::nullopt;
    const int digit = c - '0';
    if (value > (std::numeric_limits<std::int64_t>::max() - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t at = text.find(separator, start);
    if (at == std::string_view::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, at - start));
    start = at + 1;
  }
}

// The host of an absolute "scheme://[user@]host[:port][/path][?query][#fragment]" address,
// with its scheme; absent when the text does not read as one.
struct SchemeAndHost {
  std::string_view scheme;
  std::string_view host;
};

std::optional<SchemeAndHost> schemeAndHost(std::string_view url) {
  for (char c : url) {
    const auto u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u == 0x7F) return std::nullopt;  // blanks and control characters
  }
  const std::size_t colon = url.find(':');
  if (colon == std::string_view::npos || colon == 0 || !isAsciiLetter(url[0])) return std::nullopt;
  const std::string_view scheme = url.substr(0, colon);
  for (char c : scheme) {
    if (!isAsciiLetter(c) && !isAsciiDigit(c) && c != '+' && c != '-' && c != '.') return std::nullopt;
  }
  std::string_view rest = url.substr(colon + 1);
  if (rest.substr(0, 2) != "//") return std::nullopt;
  rest.remove_prefix(2);
  std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
  if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
  std::string_view host = authority;
  if (const std::size_t portColon = authority.rfind(':');
      portColon != std::string_view::npos && authority.find(']', portColon) == std::string_view::npos) {
    const std::string_view port = authority.substr(portColon + 1);
    if (!port.empty() && !decimal(port)) return std::nullopt;
    host = authority.substr(0, portColon);
  }
  if (host.empty()) return std::nullopt;
  return SchemeAndHost{scheme, host};
}

constexpr std::array<std::string_view, 12> monthAbbreviations{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

std::string_view productHost() { return KESTREL_PRODUCT_HOST; }

std::string_view builtDownloadURL() { return KESTREL_DOWNLOAD_URL; }

bool isEndToEndTestBuild(std::string_view identifier) { return identifier.ends_with(".e2e"); }

std::optional<std::string> downloadURL(std::optional<std::string_view> value) {
  if (!value) return std::nullopt;
  const auto parts = schemeAndHost(*value);
  if (!parts || !equalsIgnoringCase(parts->scheme, "https") || !equalsIgnoringCase(parts->host, productHost())) {
    return std::nullopt;
  }
  return std::string(*value);
}

std::string versionLine(std::optional<std::string_view> commit, std::optional<std::string_view> buildDate,
                        std::string_view identifier) {
  if (!commit || commit->empty()) return "Version unknown";
  std::string line = "Version ";
  line += *commit;
  if (isEndToEndTestBuild(identifier)) line += " · test build";
  if (buildDate) {
    if (const auto date = shortDate(*buildDate)) line += " · " + *date;
  }
  return line;
}

std::optional<std::string> shortDate(std::string_view buildDate) {
  const auto parts = split(buildDate, '-');
  if (parts.size() != 3) return std::nullopt;
  const auto year = decimal(parts[0]);
  const auto month = decimal(parts[1]);
  const auto day = decimal(parts[2]);
  if (!year || !month || !day) return std::nullopt;
  if (*month < 1 || *month > 12 || *day < 1 || *day > 31) return std::nullopt;
  return std::to_string(*day) + " " + std::string(monthAbbreviations[static_cast<std::size_t>(*month - 1)]);
}

}  // namespace kestrel::AppInfo
