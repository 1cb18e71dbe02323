#pragma once

// What the two X11 probes share: the monotonic clock in ms, quiet X errors, a window's title.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <time.h>

#include <string>

inline double nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Errors for windows that vanish while we look at them are expected; ignore them.
inline int ignoreXError(Display*, XErrorEvent*) {
    return 0;
}

inline std::string title(Display* display, Window window) {
    static const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    static const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    std::string name;
    if (XGetWindowProperty(display, window, netWmName, 0, 1024, False, utf8, &type, &format, &items,
                           &after, &data) == Success &&
        data) {
        name.assign(reinterpret_cast<char*>(data), items);
        XFree(data);
        if (!name.empty())
            return name;
    }
    char* legacy = nullptr;
    if (XFetchName(display, window, &legacy) && legacy) {
        name = legacy;
        XFree(legacy);
    }
    return name;
}
