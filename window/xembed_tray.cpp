#include "xembed_tray.h"

#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace hopsmeld {

namespace {

// The screen of DISPLAY (":0.1" is screen 1), whose tray selection the icon docks into.
int displayScreen() {
    const char* display = std::getenv("DISPLAY");
    const char* dot = display ? std::strrchr(display, '.') : nullptr;
    const char* colon = display ? std::strrchr(display, ':') : nullptr;
    return dot && colon && dot > colon ? std::atoi(dot + 1) : 0;
}

} // namespace

XEmbedTrayWatch::XEmbedTrayWatch(QObject* parent) : QObject(parent) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return; // not on X11: no XEmbed tray
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(connection, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present)
        return;
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(displayScreen());
    auto atomCookie = xcb_intern_atom(connection, false, uint16_t(name.size()), name.data());
    auto versionCookie =
        xcb_xfixes_query_version(connection, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(connection, atomCookie, nullptr);
    std::free(xcb_xfixes_query_version_reply(connection, versionCookie, nullptr));
    if (!atom)
        return;
    selection_ = atom->atom;
    std::free(atom);
    selectionEvent_ = xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;

    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_xfixes_select_selection_input(connection, root, selection_,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    // Asked after the events are selected, so that no change falls between the two.
    auto ownerCookie = xcb_get_selection_owner(connection, selection_);
    if (xcb_get_selection_owner_reply_t* owner =
            xcb_get_selection_owner_reply(connection, ownerCookie, nullptr)) {
        present_ = owner->owner != XCB_NONE;
        std::free(owner);
    }
    qGuiApp->installNativeEventFilter(this);
}

XEmbedTrayWatch::~XEmbedTrayWatch() {
    if (selection_ && qGuiApp)
        qGuiApp->removeNativeEventFilter(this);
}

bool XEmbedTrayWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != selectionEvent_)
        return false;
    const auto* notify = static_cast<const xcb_xfixes_selection_notify_event_t*>(message);
    if (notify->selection != selection_)
        return false;
    const bool present = notify->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER &&
                         notify->owner != XCB_NONE;
    if (present != present_) {
        present_ = present;
        emit changed();
    }
    return false; // Qt's own tray code follows the same selection
}

} // namespace hopsmeld
