#include "app/canberra_player.hpp"

#include <canberra.h>

#include <chrono>
#include <mutex>

namespace kestrel {

// The sounds still playing, counted down by libcanberra's threads as each one ends.
struct CanberraPlayer::Plays {
  using Clock = std::chrono::steady_clock;
  // A playing thread still closes its stream after it reports the end.
  static constexpr std::chrono::seconds closing{1};

  std::mutex mutex;
  int playing = 0;
  Clock::time_point lastEnded{};

  static void ended(ca_context*, std::uint32_t, int, void* userdata) {
    auto* plays = static_cast<Plays*>(userdata);
    const std::lock_guard lock(plays->mutex);
    --plays->playing;
    plays->lastEnded = Clock::now();
  }

  bool idle() {
    const std::lock_guard lock(mutex);
    return playing == 0 && Clock::now() - lastEnded >= closing;
  }
};

CanberraPlayer::CanberraPlayer(const std::string& applicationName, const std::string& applicationId)
    : plays_(std::make_unique<Plays>()) {
  createStatus_ = ca_context_create(&context_);
  if (createStatus_ != CA_SUCCESS) {
    context_ = nullptr;
    return;
  }
  ca_context_change_props(context_, CA_PROP_APPLICATION_NAME, applicationName.c_str(), CA_PROP_APPLICATION_ID,
                          applicationId.c_str(), static_cast<const char*>(nullptr));
}

CanberraPlayer::~CanberraPlayer() {
  if (!context_) return;
  // Destroying the context unloads libcanberra's driver, also under a thread that is still
  // playing or closing its stream, which then crashes the program. While a sound may still
  // be on its way the context and the count it reports to are left to the end of the process.
  if (!plays_->idle()) {
    static_cast<void>(plays_.release());
    return;
  }
  ca_context_destroy(context_);
}

int CanberraPlayer::play(const std::string& path) {
  if (!context_) return createStatus_ != CA_SUCCESS ? createStatus_ : CA_ERROR_STATE;
  ca_proplist* properties = nullptr;
  if (int status = ca_proplist_create(&properties); status != CA_SUCCESS) return status;
  ca_proplist_sets(properties, CA_PROP_MEDIA_FILENAME, path.c_str());
  ca_proplist_sets(properties, CA_PROP_EVENT_DESCRIPTION, "Kestrel chime");
  {
    const std::lock_guard lock(plays_->mutex);
    ++plays_->playing;
  }
  // The server connection is opened on the first play and kept; a failed one is tried again
  // at the next play. A play that fails here never reports an end.
  const int status = ca_context_play_full(context_, 0, properties, &Plays::ended, plays_.get());
  ca_proplist_destroy(properties);
  if (status != CA_SUCCESS) {
    const std::lock_guard lock(plays_->mutex);
    --plays_->playing;
  }
  return status;
}

}  // namespace kestrel
