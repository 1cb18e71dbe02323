#include "play_burp.h"

#include "sound_cue.h"

#include <QCoreApplication>
#include <QPointer>

namespace hopsmeld {

namespace {

SoundCue& burp() {
    // Owned by the application, so the stream closes before the sound system goes.
    static QPointer<SoundCue> cue;
    if (!cue) {
        cue = new SoundCue(QCoreApplication::applicationDirPath() + QStringLiteral("/Burp.wav"),
                           QCoreApplication::instance());
    }
    return *cue;
}

} // namespace

void PlayBurp() { burp().play(); }

void PrepareBurp() { burp().prepare(); }

} // namespace hopsmeld
