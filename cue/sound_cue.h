#pragma once

#include <memory>
#include <string>

// Plays one WAV file through the desktop's sound server, fire and forget. A new cue cuts the one
// playing. Nothing is held open between cues but the connection to the server, so the sound
// device can sleep while the program sits in the tray; a server that went away is connected
// to again on the next cue. Without a server, or with a file that cannot be played: silence.
namespace hopsmeld {

class SoundCue {
  public:
    SoundCue(std::string path, std::string applicationName);
    ~SoundCue();
    SoundCue(const SoundCue&) = delete;
    SoundCue& operator=(const SoundCue&) = delete;

    // Returns at once: the file is read here, the server is talked to in the background.
    void play();

  private:
    struct Player;

    std::string path_;
    std::string applicationName_;
    std::unique_ptr<Player> player_; // started with the first cue
};

} // namespace hopsmeld
