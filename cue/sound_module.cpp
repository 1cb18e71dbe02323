// The sound module's entry points: a SoundCue behind plain C functions, so that the program can
// look them up after loading the module.
#include "sound_module.h"
#include "sound_cue.h"

#include <type_traits>

using namespace hopsmeld;

extern "C" {

__attribute__((visibility("default"))) void* hopsmeld_new_cue(const char* path,
                                                              const char* applicationName) {
    return new SoundCue(path, applicationName);
}

__attribute__((visibility("default"))) void hopsmeld_play_cue(void* cue) {
    static_cast<SoundCue*>(cue)->play();
}

__attribute__((visibility("default"))) void hopsmeld_delete_cue(void* cue) {
    delete static_cast<SoundCue*>(cue);
}

} // extern "C"

// The program calls them through these types.
static_assert(std::is_same_v<decltype(&hopsmeld_new_cue), sound_module::NewCue> &&
              std::is_same_v<decltype(&hopsmeld_play_cue), sound_module::PlayCue> &&
              std::is_same_v<decltype(&hopsmeld_delete_cue), sound_module::DeleteCue>);
