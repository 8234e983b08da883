#include "core/pictures/picture_store.hpp"

#include <date/date.h>

#include <algorithm>
#include <system_error>

#include "core/base/file_io.hpp"
#include "core/pictures/picture_naming.hpp"
#include "core/pictures/picture_prune.hpp"

namespace kestrel {

namespace fs = std::filesystem;

namespace {

// The names in a folder; absent when it cannot be listed.
std::optional<std::vector<std::string>> names(const fs::path& folder) {
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error) return std::nullopt;
  std::vector<std::string> result;
  for (; it != fs::directory_iterator(); it.increment(error)) {
    if (error) return std::nullopt;
    result.push_back(it->path().filename().string());
  }
  if (error) return std::nullopt;
  return result;
}

std::string withExtension(std::string_view stem, std::string_view extension) {
  return std::string(stem) + "." + std::string(extension);
}

bool isUsableStem(std::string_view stem) {
  return stem.find('/') == std::string_view::npos && stem.find('\0') == std::string_view::npos;
}

constexpr std::string_view recordSuffix = ".json";

}  // namespace

// Tells backup tools that honour cache directory tags to leave the pictures out.
void excludeFromBackups(const fs::path& root) {
  static constexpr std::string_view signature = "Signature: 8a477f597d28d172789f06886806bc55";
  const fs::path tag = root / "CACHEDIR.TAG";
  const auto existing = readFile(tag);
  if (existing && existing->starts_with(signature)) return;
  try {
    writeFileAtomically(tag, std::string(signature) +
                                 "\n# This file is a cache directory tag created by Kestrel.\n"
                                 "# Its alert pictures stay on this machine and out of backups.\n"
                                 "# For information about cache directory tags see https://bford.info/cachedir/\n");
  } catch (const std::exception&) {
    // Backups that include the pictures are no reason to lose one.
  }
}

std::string PictureDay::title() const {
  if (!PictureNaming::isDayName(name)) return name;
  static constexpr const char* weekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const int year = std::stoi(name.substr(0, 4));
  const unsigned month = static_cast<unsigned>(std::stoi(name.substr(5, 2)));
  const unsigned day = static_cast<unsigned>(std::stoi(name.substr(8, 2)));
  const date::weekday weekday{date::sys_days{date::year{year} / date::month{month} / date::day{day}}};
  return std::string(weekdays[weekday.c_encoding()]) + " " + std::to_string(day) + " " + months[month - 1];
}

fs::path PictureStore::dayDirectory(const PictureRecord& record) const { return root / clock.dayName(record.raisedAt); }

fs::path PictureStore::recordFile(const PictureRecord& record) const {
  return dayDirectory(record) /
         withExtension(PictureNaming::stem(record.raisedAt, record.alertId, clock), PictureNaming::recordExtension);
}

fs::path PictureStore::photoFile(const PictureRecord& record) const {
  return dayDirectory(record) /
         withExtension(PictureNaming::stem(record.raisedAt, record.alertId, clock), PictureNaming::photoExtension);
}

void PictureStore::createDayDirectory(const PictureRecord& record) const {
  fs::create_directories(root);
  excludeFromBackups(root);
  fs::create_directories(dayDirectory(record));
}

void PictureStore::writePhoto(std::string_view bytes, const PictureRecord& record) const {
  writeFileAtomically(photoFile(record), bytes);
}

void PictureStore::writeRecord(const PictureRecord& record) const {
  writeFileAtomically(recordFile(record), record.encoded());
}

void PictureStore::removePhoto(const PictureRecord& record) const {
  std::error_code ignored;
  fs::remove(photoFile(record), ignored);
}

std::optional<PictureEntry> PictureStore::entry(std::string_view day, std::string_view stem) const {
  if (!PictureNaming::isDayName(day) || !isUsableStem(stem)) return std::nullopt;
  const fs::path folder = root / day;
  const auto bytes = readFile(folder / withExtension(stem, PictureNaming::recordExtension));
  if (!bytes) return std::nullopt;
  auto record = PictureRecord::decode(*bytes);
  if (!record) return std::nullopt;
  PictureEntry entry{std::string(day), std::string(stem), std::move(*record), std::nullopt, ""};
  if (entry.record.photo) {
    const fs::path photo = folder / withExtension(stem, PictureNaming::photoExtension);
    std::error_code error;
    if (fs::exists(photo, error)) entry.photoURL = photo;
  }
  entry.timeText = clock.hoursMinutes(entry.record.raisedAt);
  return entry;
}

std::vector<PictureDay> PictureStore::days() const {
  auto listed = names(root);
  if (!listed) return {};
  std::vector<std::string> dayNames;
  for (std::string& name : *listed) {
    if (PictureNaming::isDayName(name)) dayNames.push_back(std::move(name));
  }
  std::sort(dayNames.begin(), dayNames.end(), std::greater<>());

  std::vector<PictureDay> result;
  for (const std::string& day : dayNames) {
    auto files = names(root / day);
    if (!files) continue;
    std::vector<std::string> records;
    for (std::string& file : *files) {
      if (file.ends_with(recordSuffix)) records.push_back(std::move(file));
    }
    std::sort(records.begin(), records.end(), std::greater<>());
    PictureDay pictureDay{day, {}};
    for (const std::string& file : records) {
      if (auto found = entry(day, std::string_view(file).substr(0, file.size() - recordSuffix.size()))) {
        pictureDay.entries.push_back(std::move(*found));
      }
    }
    if (!pictureDay.entries.empty()) result.push_back(std::move(pictureDay));
  }
  return result;
}

std::vector<std::string> PictureStore::prune(Instant now, PictureRetention retention,
                                             const PictureReport& report) const {
  const auto listed = names(root);
  if (!listed) return {};
  std::vector<std::string> removed;
  for (const std::string& day : PicturePrune::daysToPrune(*listed, now, retention, clock)) {
    std::error_code error;
    fs::remove_all(root / day, error);
    if (error) {
      report("picture prune failed day=" + day + " error=" + error.message());
    } else {
      removed.push_back(day);
    }
  }
  return removed;
}

void PictureStore::deleteAll(const PictureReport& report) const {
  const auto listed = names(root);
  if (!listed) return;
  for (const std::string& day : *listed) {
    if (!PictureNaming::isDayName(day)) continue;
    std::error_code error;
    fs::remove_all(root / day, error);
    if (error) report("picture delete failed day=" + day + " error=" + error.message());
  }
}

}  // namespace kestrel
