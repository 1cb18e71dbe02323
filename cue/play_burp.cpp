#include "play_burp.h"

#include "sound_cue.h"

#include <QCoreApplication>
#include <QPointer>

namespace hopsmeld {

namespace {

SoundCue& burp() {
    static QPointer<SoundCue> cue;
    if (!cue) {
        QCoreApplication* app = QCoreApplication::instance();
        cue =
            new SoundCue(QCoreApplication::applicationDirPath() + QStringLiteral("/Burp.wav"), app);
        // The stream must close while the sound system is still up: libpulse aborts the
        // process when a stream is stopped after its context has gone.
        QObject::connect(app, &QCoreApplication::aboutToQuit, cue, &QObject::deleteLater);
    }
    return *cue;
}

} // namespace

void PlayBurp() {
    burp().play();
}

void PrepareBurp() {
    burp().prepare();
}

} // namespace hopsmeld
