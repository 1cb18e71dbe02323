// The sound side of the cue, built as a module of its own: the program loads it, and with it Qt
// Multimedia and the sound server's client library, only once its window is on screen.
#include "sound_cue.h"

#include <QCoreApplication>
#include <QPointer>

namespace {

hopsmeld::SoundCue& burp() {
    static QPointer<hopsmeld::SoundCue> cue;
    if (!cue) {
        QCoreApplication* app = QCoreApplication::instance();
        cue = new hopsmeld::SoundCue(
            QCoreApplication::applicationDirPath() + QStringLiteral("/Burp.wav"), app);
        // The stream must close while the sound system is still up: libpulse aborts the
        // process when a stream is stopped after its context has gone.
        QObject::connect(app, &QCoreApplication::aboutToQuit, cue, &QObject::deleteLater);
    }
    return *cue;
}

} // namespace

extern "C" Q_DECL_EXPORT void hopsmeld_cue_prepare() {
    burp().prepare();
}

extern "C" Q_DECL_EXPORT void hopsmeld_cue_play() {
    burp().play();
}
