#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/instant.hpp"
#include "core/log/log_clock.hpp"
#include "core/pictures/picture_record.hpp"
#include "core/settings/picture_retention.hpp"

namespace kestrel {

// Writes a cache directory tag (CACHEDIR.TAG) into the folder, so that backup tools that honour
// the tag leave it out; an existing tag is kept and failures are ignored.
void excludeFromBackups(const std::filesystem::path& folder);

// One stored picture as the History tab lists it.
struct PictureEntry {
  std::string day;   // the day folder's name
  std::string stem;  // the file name without its extension
  PictureRecord record;
  std::optional<std::filesystem::path> photoURL;  // present when the photo file exists
  std::string timeText;                           // the raise time, "HH:mm"

  bool hasPhoto() const { return photoURL.has_value(); }

  bool operator==(const PictureEntry&) const = default;
};

// One day folder of pictures, newest picture first.
struct PictureDay {
  std::string name;
  std::vector<PictureEntry> entries;

  // "Mon 9 Mar" for "2026-03-09"; a name that is not a day name is shown unchanged.
  std::string title() const;

  bool operator==(const PictureDay&) const = default;
};

// Takes one failure message; used by the operations that go on after a failure.
using PictureReport = std::function<void(const std::string&)>;

// The "pictures" folder: one folder per day named by the clock's day name, holding each
// alert's record ("<stem>.json") and, when kept, its photo ("<stem>.lsphoto"). Files are
// written atomically, so a reader sees a whole file or none.
struct PictureStore {
  std::filesystem::path root;
  LogClock clock;

  std::filesystem::path dayDirectory(const PictureRecord& record) const;
  std::filesystem::path recordFile(const PictureRecord& record) const;
  std::filesystem::path photoFile(const PictureRecord& record) const;

  // Creates the root (tagged so backup tools leave it out) and the record's day folder.
  // Throws std::filesystem::filesystem_error when a folder cannot be created.
  void createDayDirectory(const PictureRecord& record) const;
  // Throws on failure.
  void writePhoto(std::string_view bytes, const PictureRecord& record) const;
  // Throws on failure, also when the record cannot be encoded.
  void writeRecord(const PictureRecord& record) const;
  // Deletes the record's photo file; failures are ignored.
  void removePhoto(const PictureRecord& record) const;

  // The days holding at least one readable picture, newest first. Unreadable folders and
  // files and undecodable records are skipped silently.
  std::vector<PictureDay> days() const;
  // One picture; absent when the day is not a day name, the stem holds a "/", or the record
  // cannot be read.
  std::optional<PictureEntry> entry(std::string_view day, std::string_view stem) const;

  // Deletes the whole day folders older than the retention; gives the days deleted, ascending.
  std::vector<std::string> prune(Instant now, PictureRetention retention, const PictureReport& report) const;
  // Deletes every day folder; other entries of the root stay.
  void deleteAll(const PictureReport& report) const;
};

}  // namespace kestrel
