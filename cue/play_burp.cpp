#include "play_burp.h"

#include "sound_cue.h"

#include <QCoreApplication>

namespace hopsmeld {

void PlayBurp() {
    // Made on the first cue and ended with the process's other static objects; the path is
    // taken as it is, without looking for a separator already there.
    static SoundCue burp(
        (QCoreApplication::applicationDirPath() + QStringLiteral("/Burp.wav")).toStdString(),
        QCoreApplication::applicationName().toStdString());
    burp.play();
}

} // namespace hopsmeld
