#include "core/pictures/picture_writer.hpp"

#include <exception>

#include "core/pictures/picture_naming.hpp"

namespace kestrel {

PictureWriter::PictureWriter(PictureStore store, std::unique_ptr<PhotoEncoder> encoder, PictureReport report,
                             Stopwatch stopwatch)
    : store_(std::move(store)),
      encoder_(std::move(encoder)),
      report_(std::move(report)),
      stopwatch_(std::move(stopwatch)),
      queue_([this](const std::string& failure) { report_("picture writer job failed: " + failure); }) {}

void PictureWriter::save(std::vector<PictureRequest> requests, Measurements measurements,
                         std::shared_ptr<const PhotoSource> frame, bool keepPhoto,
                         std::function<void(std::vector<PictureSaved>)> completion) {
  if (requests.empty()) return;
  queue_.async([this, requests = std::move(requests), measurements = std::move(measurements),
                frame = std::move(frame), keepPhoto, completion = std::move(completion)] {
    const double started = stopwatch_();
    std::optional<std::string> photo;
    if (keepPhoto) {
      if (!frame) {
        report_("picture photo skipped: no frame copy");
      } else if (!encoder_) {
        report_("picture photo encode failed: no encoder");
      } else {
        try {
          photo = encoder_->jpeg(*frame);
        } catch (const std::exception& e) {
          report_(std::string("picture photo encode failed: ") + e.what());
        }
      }
    }
    std::vector<PictureSaved> saved;
    for (const PictureRequest& request : requests) {
      if (auto result = writeOne(request, measurements, photo, started)) saved.push_back(std::move(*result));
    }
    if (completion) completion(std::move(saved));
  });
}

std::optional<PictureSaved> PictureWriter::writeOne(const PictureRequest& request, const Measurements& measurements,
                                                    const std::optional<std::string>& photo, double started) const {
  PictureRecord record(request.alertId, request.module, request.hint, request.raisedAt, false, measurements);
  // An identifier that is not safe in a file name could lead outside the day folder, and its
  // record would never be read back.
  if (!PictureNaming::isSafeAlertId(request.alertId)) {
    report_("picture write failed alertId=" + request.alertId + ": identifier not usable in a file name");
    return std::nullopt;
  }
  try {
    store_.createDayDirectory(record);
  } catch (const std::exception& e) {
    report_("picture write failed alertId=" + request.alertId + ": " + e.what());
    return std::nullopt;
  }
  if (photo) {
    try {
      store_.writePhoto(*photo, record);
      record.photo = true;
    } catch (const std::exception& e) {
      report_("picture photo write failed alertId=" + request.alertId + ": " + e.what());
    }
  }
  try {
    store_.writeRecord(record);
  } catch (const std::exception& e) {
    if (record.photo) store_.removePhoto(record);
    report_("picture write failed alertId=" + request.alertId + ": " + e.what());
    return std::nullopt;
  }
  const auto bytes = record.photo ? static_cast<std::int64_t>(photo->size()) : 0;
  return PictureSaved{request.alertId, record.photo, bytes, (stopwatch_() - started) * 1000};
}

void PictureWriter::prune(Instant now, PictureRetention retention,
                          std::function<void(std::vector<std::string>)> completion) {
  queue_.async([this, now, retention, completion = std::move(completion)] {
    auto removed = store_.prune(now, retention, report_);
    if (completion) completion(std::move(removed));
  });
}

void PictureWriter::deleteAll(std::function<void()> completion) {
  queue_.async([this, completion = std::move(completion)] {
    store_.deleteAll(report_);
    if (completion) completion();
  });
}

void PictureWriter::flush() { queue_.sync(); }

}  // namespace kestrel
