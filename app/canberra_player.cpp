#include "app/canberra_player.hpp"

#include <canberra.h>

namespace kestrel {

CanberraPlayer::CanberraPlayer(const std::string& applicationName, const std::string& applicationId) {
  createStatus_ = ca_context_create(&context_);
  if (createStatus_ != CA_SUCCESS) {
    context_ = nullptr;
    return;
  }
  ca_context_change_props(context_, CA_PROP_APPLICATION_NAME, applicationName.c_str(), CA_PROP_APPLICATION_ID,
                          applicationId.c_str(), static_cast<const char*>(nullptr));
}

CanberraPlayer::~CanberraPlayer() {
  if (context_) ca_context_destroy(context_);
}

int CanberraPlayer::play(const std::string& path) {
  if (!context_) return createStatus_ != CA_SUCCESS ? createStatus_ : CA_ERROR_STATE;
  // The server connection is opened on the first play and kept; a failed one is tried again
  // at the next play.
  return ca_context_play(context_, 0, CA_PROP_MEDIA_FILENAME, path.c_str(), CA_PROP_EVENT_DESCRIPTION, "Kestrel chime",
                         static_cast<const char*>(nullptr));
}

}  // namespace kestrel
