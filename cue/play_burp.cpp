#include "play_burp.h"

#include <QCoreApplication>
#include <QLibrary>

namespace hopsmeld {

namespace {

using CueCall = void (*)();

struct CueModule {
    CueCall prepare = nullptr;
    CueCall play = nullptr;
};

// Loaded on first use, from beside the program: before that, nothing of the sound system is
// in the process. Without the module the cue is silent, like a missing Burp.wav.
const CueModule& cueModule() {
    static const CueModule module = [] {
        QLibrary library(QCoreApplication::applicationDirPath() +
                         QStringLiteral("/plugins/libhopsmeld-cue.so"));
        CueModule found;
        if (library.load()) {
            found.prepare = reinterpret_cast<CueCall>(library.resolve("hopsmeld_cue_prepare"));
            found.play = reinterpret_cast<CueCall>(library.resolve("hopsmeld_cue_play"));
        }
        return found;
    }();
    return module;
}

} // namespace

void PlayBurp() {
    if (const CueCall play = cueModule().play)
        play();
}

void PrepareBurp() {
    if (const CueCall prepare = cueModule().prepare)
        prepare();
}

} // namespace hopsmeld
