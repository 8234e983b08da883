#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/base/instant.hpp"
#include "core/model/measurements.hpp"
#include "core/pictures/photo.hpp"
#include "core/pictures/picture_request.hpp"
#include "core/settings/picture_retention.hpp"
#include "core/pictures/picture_store.hpp"
#include "core/base/serial_queue.hpp"

namespace kestrel {

// What became of one requested picture.
struct PictureSaved {
  std::string alertId;
  bool photo = false;       // a photo file was written
  std::int64_t bytes = 0;   // the photo's size, 0 without photo
  double ms = 0;            // from the start of the check's batch to the end of this picture

  bool operator==(const PictureSaved&) const = default;
};

// Writes, prunes and deletes pictures on its own worker thread, one job at a time in the
// order asked, so a prune never races a write. Completions and reports are called on that
// thread; the caller moves back to its own thread itself.
class PictureWriter {
 public:
  // Monotonic seconds, for the timings of PictureSaved.
  using Stopwatch = std::function<double()>;

  PictureWriter(PictureStore store, std::unique_ptr<PhotoEncoder> encoder, PictureReport report, Stopwatch stopwatch);
  // Finishes the jobs still queued.
  ~PictureWriter() = default;
  PictureWriter(const PictureWriter&) = delete;
  PictureWriter& operator=(const PictureWriter&) = delete;

  // Keeps one picture per request of a check, all with the check's measurements and, when
  // `keepPhoto`, one photo encoded from `frame`. Returns at once. Without requests nothing
  // happens and the completion is not called.
  void save(std::vector<PictureRequest> requests, Measurements measurements, std::shared_ptr<const PhotoSource> frame,
            bool keepPhoto, std::function<void(std::vector<PictureSaved>)> completion);
  // Deletes the day folders older than the retention, then hands over the days removed.
  void prune(Instant now, PictureRetention retention, std::function<void(std::vector<std::string>)> completion);
  // Deletes every day folder, then calls the completion.
  void deleteAll(std::function<void()> completion);
  // Waits until everything queued so far has run. Not to be called from a completion.
  void flush();

 private:
  std::optional<PictureSaved> writeOne(const PictureRequest& request, const Measurements& measurements,
                                       const std::optional<std::string>& photo, double started) const;

  PictureStore store_;
  std::unique_ptr<PhotoEncoder> encoder_;
  PictureReport report_;
  Stopwatch stopwatch_;
  SerialQueue queue_;  // last: destroyed first, so queued jobs still find everything above
};

}  // namespace kestrel
