#include "play_burp.h"

#include "sound_module.h"

#include <QCoreApplication>
#include <QEvent>

#include <cerrno>
#include <cstdio>
#include <dlfcn.h>
#include <future>
#include <string>

namespace hopsmeld {

namespace {

// The module's entry points; all empty when it cannot be loaded, and then every cue is silent.
struct Module {
    sound_module::NewCue newCue = nullptr;
    sound_module::PlayCue playCue = nullptr;
    sound_module::DeleteCue deleteCue = nullptr;
};

// A module that cannot be loaded says why, once: every cue is silent from then on.
Module load(const std::string& path) {
    // Never unloaded: the cue lives until the process ends.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "%s: no sound cue: %s\n", program_invocation_short_name, dlerror());
        return {};
    }
    Module module{
        reinterpret_cast<sound_module::NewCue>(dlsym(handle, sound_module::kNewCue)),
        reinterpret_cast<sound_module::PlayCue>(dlsym(handle, sound_module::kPlayCue)),
        reinterpret_cast<sound_module::DeleteCue>(dlsym(handle, sound_module::kDeleteCue))};
    if (!module.newCue || !module.playCue || !module.deleteCue) {
        std::fprintf(stderr, "%s: no sound cue: %s is not the program's sound module\n",
                     program_invocation_short_name, path.c_str());
        return {};
    }
    return module;
}

std::shared_future<Module>& loading() {
    static std::shared_future<Module> module;
    return module;
}

// The one cue of the process, made on the first cue and ended with the process's other static
// objects.
class Burp {
  public:
    explicit Burp(const Module& module) : module_(module) {
        if (!module_.newCue)
            return;
        // The path is taken as it is, without looking for a separator already there.
        const std::string path =
            (QCoreApplication::applicationDirPath() + QStringLiteral("/Burp.wav")).toStdString();
        cue_ =
            module_.newCue(path.c_str(), QCoreApplication::applicationName().toStdString().c_str());
    }
    ~Burp() {
        if (cue_)
            module_.deleteCue(cue_);
    }
    Burp(const Burp&) = delete;
    Burp& operator=(const Burp&) = delete;

    void play() {
        if (cue_)
            module_.playCue(cue_);
    }

  private:
    Module module_;
    void* cue_ = nullptr;
};

class FirstInput : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::KeyPress || type == QEvent::MouseButtonPress ||
            type == QEvent::TouchBegin || type == QEvent::TabletPress) {
            PrepareBurp();
            QCoreApplication::instance()->removeEventFilter(this);
            deleteLater();
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void PrepareBurp() {
    std::shared_future<Module>& module = loading();
    if (module.valid())
        return;
    const std::string path = (QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                              QLatin1String(sound_module::kPath))
                                 .toStdString();
    // On a thread of its own where one can be had, else on the first cue.
    module = std::async(std::launch::async | std::launch::deferred, load, path).share();
}

void PrepareBurpOnFirstInput() {
    QCoreApplication* app = QCoreApplication::instance();
    app->installEventFilter(new FirstInput(app));
}

void PlayBurp() {
    PrepareBurp();
    static Burp burp(loading().get());
    burp.play();
}

} // namespace hopsmeld
