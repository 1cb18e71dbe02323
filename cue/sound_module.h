#pragma once

// What the program finds in the sound module, a library of its own in a folder beside the
// executable, which holds the sound cue with the sound server's client library and the WAV reader.
// Loaded only when a cue is near, so a start that plays none never maps, relocates or pages in
// libpulse, libsndfile and the codec libraries libsndfile brings.
namespace hopsmeld::sound_module {

// From the executable's folder. In a folder of its own, so that a package installing it does not
// take it for a library of the system's and run ldconfig.
inline constexpr const char* kPath = "modules/hopsmeld-sound.so";

// The module's entry points, looked up by these names.
using NewCue = void* (*)(const char* path, const char* applicationName);
using PlayCue = void (*)(void* cue);
using DeleteCue = void (*)(void* cue);
inline constexpr const char* kNewCue = "hopsmeld_new_cue";
inline constexpr const char* kPlayCue = "hopsmeld_play_cue";
inline constexpr const char* kDeleteCue = "hopsmeld_delete_cue";

} // namespace hopsmeld::sound_module
