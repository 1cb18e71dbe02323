#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

// Whether an XEmbed tray owns the screen's tray selection, followed from the X server's own
// selection events: a tray that starts, ends or crashes is known at once, and the X server, not
// the tray, answers, so a tray that is busy or stopped is still known to be there.
namespace hopsmeld {

class XEmbedTrayWatch : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
  public:
    explicit XEmbedTrayWatch(QObject* parent = nullptr);
    ~XEmbedTrayWatch() override;

    bool present() const { return present_; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  signals:
    void changed();

  private:
    unsigned selection_ = 0; // the _NET_SYSTEM_TRAY_S<screen> atom; 0 off X11
    unsigned selectionEvent_ = 0;
    bool present_ = false;
};

} // namespace hopsmeld
