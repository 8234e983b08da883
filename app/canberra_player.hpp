#pragma once

#include <memory>
#include <string>

#include "app/sound_player.hpp"

struct ca_context;

namespace kestrel {

// Sound files played through libcanberra, which hands them to the desktop's sound server.
// Playing returns at once; the sound plays on libcanberra's own threads. Without a sound
// server every play fails with libcanberra's status (such as CA_ERROR_NOTAVAILABLE).
class CanberraPlayer final : public SoundPlayer {
 public:
  // `applicationName` and `applicationId` label the sounds in the server's mixer.
  CanberraPlayer(const std::string& applicationName, const std::string& applicationId);
  ~CanberraPlayer() override;
  CanberraPlayer(const CanberraPlayer&) = delete;
  CanberraPlayer& operator=(const CanberraPlayer&) = delete;

  int play(const std::string& path) override;

 private:
  struct Plays;

  ca_context* context_ = nullptr;
  int createStatus_ = 0;  // why there is no context
  std::unique_ptr<Plays> plays_;
};

}  // namespace kestrel
