#include "key_release.h"

#include <QKeyEvent>
#include <QWidget>

namespace hopsmeld {

namespace {

class KeyReleaseFilter : public QObject {
  public:
    KeyReleaseFilter(QWidget* widget, std::function<void()> handler)
        : QObject(widget), handler_(std::move(handler)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // The text has already changed on the key press; the widget itself does nothing
        // with the release, so the handler can run before it sees it.
        if (event->type() == QEvent::KeyRelease && !static_cast<QKeyEvent*>(event)->isAutoRepeat())
            handler_();
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> handler_;
};

} // namespace

void onKeyRelease(QWidget* widget, std::function<void()> handler) {
    widget->installEventFilter(new KeyReleaseFilter(widget, std::move(handler)));
}

} // namespace hopsmeld
