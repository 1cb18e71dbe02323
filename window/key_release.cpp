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
        switch (event->type()) {
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (!key->isAutoRepeat()) {
                loneAlt_ = key->key() == Qt::Key_Alt;
                releasedInMenuBar_ = false;
            }
            break;
        }
        case QEvent::FocusOut:
            // A lone Alt: as it goes up the menu bar takes the focus, and the release with it.
            // That release was still this box's key.
            if (loneAlt_ && static_cast<QFocusEvent*>(event)->reason() == Qt::MenuBarFocusReason) {
                releasedInMenuBar_ = true;
                handler_();
            }
            loneAlt_ = false;
            break;
        case QEvent::KeyRelease: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->isAutoRepeat())
                break;
            loneAlt_ = false;
            if (key->key() == Qt::Key_Alt && releasedInMenuBar_) {
                releasedInMenuBar_ = false; // counted already as the focus went
                break;
            }
            // The text has already changed on the key press; the widget itself does nothing
            // with the release, so the handler can run before it sees it.
            handler_();
            break;
        }
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> handler_;
    bool loneAlt_ = false;           // Alt went down here and nothing else since
    bool releasedInMenuBar_ = false; // ... and its release went to the menu bar
};

} // namespace

void onKeyRelease(QWidget* widget, std::function<void()> handler) {
    widget->installEventFilter(new KeyReleaseFilter(widget, std::move(handler)));
}

} // namespace hopsmeld
