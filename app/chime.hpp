#pragma once

#include <string>
#include <string_view>

#include "app/sound_player.hpp"
#include "core/settings/chime_sound.hpp"
#include "platform/system_log.hpp"

namespace kestrel {

// The chime: a sound name from the settings played once from the freedesktop sound theme,
// falling back to the theme's "complete" when that sound is gone.
class Chime {
 public:
  Chime(SoundPlayer& player, SystemLog& log, std::string folder = std::string(ChimeSound::folder))
      : player_(player), log_(log), folder_(std::move(folder)) {}

  // The sounds of the folder as it is now; an unreadable folder has none.
  ChimeSound::Library library() const;
  // Resolves the name against the folder as it is now, logs what plays and plays it;
  // `preview` is the Settings tab's trial.
  void play(std::string_view sound, bool preview);

 private:
  SoundPlayer& player_;
  SystemLog& log_;
  std::string folder_;
};

}  // namespace kestrel
