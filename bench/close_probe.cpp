// Asks a window to close as its close box does (WM_DELETE_WINDOW) and tells how long it took
// until the window was unmapped, from the X server's own events: no polling gap.
//   bench_close_probe TITLE
// Prints one line: hidden_ms=<ms> (unmapped and still there 300 ms later), ended_ms=<ms> (the
// window was destroyed: the program ended), or timeout (nothing within 5 s). Exit status 1
// when no viewable managed window has the title.
#include "x11_probe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <poll.h>
#include <time.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool managedWithTitle(Display* display, Window window, const char* wanted) {
    static const Atom wmState = XInternAtom(display, "WM_STATE", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, wmState, 0, 2, False, wmState, &type, &format, &items,
                           &after, &data) != Success ||
        !data)
        return false;
    XFree(data);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable)
        return false;
    return title(display, window) == wanted;
}

// The window manager reparents the program's window into a frame: look two levels down.
Window find(Display* display, Window parent, const char* wanted, int depth) {
    Window root = 0, up = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        if (managedWithTitle(display, children[i], wanted))
            found = children[i];
        else if (depth > 0)
            found = find(display, children[i], wanted, depth - 1);
    }
    if (children)
        XFree(children);
    return found;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_close_probe TITLE\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "bench_close_probe: no display\n");
        return 2;
    }
    XSetErrorHandler(ignoreXError);
    const Window window = find(display, DefaultRootWindow(display), argv[1], 2);
    if (!window) {
        std::fprintf(stderr, "bench_close_probe: no window titled %s\n", argv[1]);
        return 1;
    }
    XSelectInput(display, window, StructureNotifyMask);
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = window;
    close.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSync(display, False); // the selection is in place before the request goes
    XSendEvent(display, window, False, NoEventMask, &close);
    XFlush(display);
    const double sent = nowMs();

    double unmapped = -1;
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    for (;;) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == UnmapNotify && event.xunmap.window == window && unmapped < 0)
                unmapped = nowMs();
            if (event.type == DestroyNotify && event.xdestroywindow.window == window) {
                std::printf("ended_ms=%.2f\n", (unmapped < 0 ? nowMs() : unmapped) - sent);
                return 0;
            }
        }
        const double now = nowMs();
        if (unmapped >= 0 && now - unmapped > 300) {
            std::printf("hidden_ms=%.2f\n", unmapped - sent);
            return 0;
        }
        if (unmapped < 0 && now - sent > 5000) {
            std::printf("timeout\n");
            return 0;
        }
        poll(&fd, 1, 10);
    }
}
