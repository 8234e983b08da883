#include "core/settings/chime_sound.hpp"

#include <algorithm>

namespace kestrel::ChimeSound {

namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowered(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), lower);
  return out;
}

// Case-insensitive order (ASCII letters folded); names equal but for case keep byte order,
// so the order never depends on the listing.
bool namedBefore(const std::string& a, const std::string& b) {
  const std::string la = lowered(a);
  const std::string lb = lowered(b);
  if (la != lb) return la < lb;
  return a < b;
}

bool isSoundExtension(std::string_view extension) {
  const std::string e = lowered(extension);
  return std::find(extensions.begin(), extensions.end(), e) != extensions.end();
}

}  // namespace

std::optional<std::string> Resolution::path() const {
  if (!fileName) return std::nullopt;
  return std::string(folder) + "/" + *fileName;
}

std::string Resolution::logLine(bool preview) const {
  if (!fileName) return "chime failed chosen=" + chosen + " reason=missing";
  return std::string("chime ") + (preview ? "preview " : "") + "sound=" + name + " chosen=" + chosen +
         " fallback=" + (fallback ? "true" : "false");
}

Library::Library(const std::vector<std::string>& fileNames) {
  std::vector<std::string> sorted = fileNames;
  std::sort(sorted.begin(), sorted.end());
  for (const std::string& file : sorted) {
    if (file.starts_with('.')) continue;  // hidden files are never offered
    const std::size_t dot = file.rfind('.');
    if (dot == std::string::npos) continue;
    const std::string name = file.substr(0, dot);
    if (!isSoundExtension(std::string_view(file).substr(dot + 1)) || !isValidName(name)) continue;
    if (files.emplace(name, file).second) names.push_back(name);
  }
  std::sort(names.begin(), names.end(), namedBefore);
}

std::optional<std::string> Library::fileName(std::string_view name) const {
  const auto it = files.find(std::string(name));
  if (it == files.end()) return std::nullopt;
  return it->second;
}

Resolution Library::resolve(std::string_view chosen) const {
  if (auto file = fileName(chosen)) return Resolution{std::string(chosen), std::move(file), std::string(chosen), false};
  return Resolution{std::string(fallback), fileName(fallback), std::string(chosen), true};
}

std::string Library::menuSelection(std::string_view stored) const {
  if (files.contains(std::string(stored))) return std::string(stored);
  return std::string(fallback);
}

}  // namespace kestrel::ChimeSound
