#include "launch_activation.h"

#include <QGuiApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

namespace hopsmeld {

namespace {

bool onX11() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

bool onWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// Runs `spend` once the window is on screen: at once when it is, else at its next expose (a
// window just shown is mapped by the window manager after a round trip, and activation
// requests for a window not yet mapped are dropped). A newer request replaces one still waiting.
class WhenExposed : public QObject {
  public:
    WhenExposed(QWindow* window, std::function<void()> spend)
        : QObject(window), window_(window), spend_(std::move(spend)) {
        setObjectName(QStringLiteral("LaunchActivation"));
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Expose && window_->isExposed()) {
            window_->removeEventFilter(this);
            spend_();
            deleteLater();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QWindow* window_;
    std::function<void()> spend_;
};

void whenExposed(QWidget& widget, std::function<void()> spend) {
    QWindow* window = widget.windowHandle();
    if (!window)
        return;
    delete window->findChild<WhenExposed*>(QStringLiteral("LaunchActivation"),
                                           Qt::FindDirectChildrenOnly);
    if (window->isExposed())
        spend();
    else
        new WhenExposed(window, std::move(spend));
}

// -- X11 --------------------------------------------------------------------------------------

xcb_connection_t* x11Connection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    const auto cookie = xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(c, cookie, nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

xcb_window_t rootOf(xcb_connection_t* c, xcb_window_t window) {
    std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr), &std::free);
    return tree ? tree->root : xcb_window_t{XCB_WINDOW_NONE};
}

// The time of the user's click that launched, which a startup id ends with ("..._TIME1234").
xcb_timestamp_t launchTime(const QByteArray& startupId) {
    const qsizetype at = startupId.lastIndexOf("_TIME");
    bool ok = false;
    const uint time = at < 0 ? 0 : startupId.mid(at + 5).toUInt(&ok);
    return ok ? time : XCB_CURRENT_TIME;
}

xcb_client_message_event_t message(xcb_window_t window, xcb_atom_t type, uint8_t format) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = format;
    event.window = window;
    event.type = type;
    return event;
}

// Asks the window manager for the focus with the time of the launch: later than anything the
// user did before that click, so not taken for focus stealing.
void activateX11(xcb_connection_t* c, xcb_window_t root, xcb_window_t window,
                 xcb_timestamp_t time) {
    xcb_client_message_event_t event = message(window, atom(c, "_NET_ACTIVE_WINDOW"), 32);
    event.data.data32[0] = 1; // from an application
    event.data.data32[1] = time;
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
}

// Startup notification's "remove": the launcher stops showing that a start is under way. The
// text goes to the root window in pieces of 20 bytes, the first of its own type.
void endStartupFeedback(xcb_connection_t* c, xcb_window_t root, xcb_window_t window,
                        const QByteArray& startupId) {
    QByteArray id = startupId;
    id.replace('\\', "\\\\").replace('"', "\\\"");
    const QByteArray text = "remove: ID=\"" + id + "\"";
    xcb_atom_t type = atom(c, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = atom(c, "_NET_STARTUP_INFO");
    for (qsizetype at = 0; at <= text.size(); at += 20, type = more) {
        xcb_client_message_event_t event = message(window, type, 8);
        // The text's closing NUL goes too: the rest of the last piece is zero.
        std::memcpy(event.data.data8, text.constData() + at,
                    static_cast<size_t>(std::min<qsizetype>(20, text.size() - at)));
        xcb_send_event(c, 0, root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                       reinterpret_cast<const char*>(&event));
    }
}

} // namespace

LaunchActivation::LaunchActivation(const QVariantMap& platformData)
    : token_(platformData.value(QStringLiteral("activation-token")).toString().toUtf8()),
      startupId_(platformData.value(QStringLiteral("desktop-startup-id")).toString().toUtf8()) {}

void LaunchActivation::beforeShowing(QWidget& window) const {
    xcb_connection_t* c = onX11() && !startupId_.isEmpty() ? x11Connection() : nullptr;
    if (!c)
        return;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window.winId()),
                        atom(c, "_NET_STARTUP_ID"), atom(c, "UTF8_STRING"), 8,
                        static_cast<uint32_t>(startupId_.size()), startupId_.constData());
    xcb_flush(c);
}

void LaunchActivation::afterShowing(QWidget& widget) const {
    if (onWayland() && !token_.isEmpty()) {
        // Qt's Wayland plugin spends the token in the environment on the next activation request.
        whenExposed(widget, [token = token_, window = QPointer<QWidget>(&widget)] {
            if (!window)
                return;
            qputenv("XDG_ACTIVATION_TOKEN", token);
            window->activateWindow();
        });
    } else if (onX11() && !startupId_.isEmpty()) {
        whenExposed(widget, [id = startupId_, window = QPointer<QWidget>(&widget)] {
            xcb_connection_t* c = x11Connection();
            if (!window || !c)
                return;
            const auto xid = static_cast<xcb_window_t>(window->winId());
            const xcb_window_t root = rootOf(c, xid);
            // Without a time the request would say nothing Qt's own did not.
            if (const xcb_timestamp_t time = launchTime(id); time != XCB_CURRENT_TIME)
                activateX11(c, root, xid, time);
            endStartupFeedback(c, root, xid, id);
            xcb_flush(c);
        });
    }
}

} // namespace hopsmeld
