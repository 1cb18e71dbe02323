// The floor for start-up time and memory: QApplication and one titled QWidget, shown.
//   bench_floor_window WIDTH HEIGHT [text]
//   bench_floor_cue WIDTH HEIGHT [text] [sound]
// "text" adds a line of text, which makes Qt load the fonts; bench_floor_cue is linked with the
// program's sound cue (and so with the sound server's client library) and, given "sound", plays
// the cue once after the first paint. Each step shows what one more thing costs.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <time.h>

#ifdef FLOOR_WITH_CUE
#include "play_burp.h"
#endif

namespace {

void trace(const char* what) {
    static const bool on = std::getenv("HOPSMELD_FLOOR_TRACE") != nullptr;
    if (!on)
        return;
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    std::fprintf(stderr, "floor %s at %.2f\n", what, ts.tv_sec * 1e3 + ts.tv_nsec / 1e6);
}

bool wanted(int argc, char* argv[], const char* flag) {
    for (int i = 3; i < argc; ++i)
        if (!std::strcmp(argv[i], flag))
            return true;
    return false;
}

class FloorWindow : public QWidget {
  public:
    explicit FloorWindow(bool prepareSound) : prepareSound_(prepareSound) {}

  protected:
    bool event(QEvent* event) override {
        const bool result = QWidget::event(event);
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            trace("painted");
#ifdef FLOOR_WITH_CUE
            if (prepareSound_) {
                QTimer::singleShot(0, this, [] {
                    hopsmeld::PlayBurp();
                    trace("cue started");
                });
            }
#endif
        }
        return result;
    }

  private:
    bool prepareSound_;
    bool painted_ = false;
};

} // namespace

int main(int argc, char* argv[]) {
    trace("in main");
    QApplication app(argc, argv);
    const int width = argc > 2 ? std::atoi(argv[1]) : 320;
    const int height = argc > 2 ? std::atoi(argv[2]) : 240;
    FloorWindow window(wanted(argc, argv, "sound"));
    window.setWindowTitle(QStringLiteral("Hopsmeld Floor"));
    window.resize(width, height);
    if (wanted(argc, argv, "text"))
        (new QLabel(QStringLiteral("Original Gravity"), &window))->move(10, 10);
    trace("showing");
    window.show();
    return QApplication::exec();
}
