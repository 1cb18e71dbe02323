// Starts a program and tells how long it took until its window, found by its exact title, was
// viewable on the X server, and the program's peak resident memory once it has settled.
// Watching the server's own map events costs nothing and misses nothing between two polls.
//   bench_startup_probe [--hold-ms N] [--timeout-ms N] [--close 1] [--icon 1] TITLE PROGRAM
//   [ARGS...]
// The window is one the window manager manages (it has WM_STATE): a tray icon with the same
// title is not it. --icon also waits for that icon, docked and viewable in an XEmbed tray.
// --close ends the program through its window's close box (WM_DELETE_WINDOW) instead of
// SIGTERM, so that a wrapper such as /usr/bin/time outlives it and reports; a program still
// running a second later gets SIGTERM itself, the wrapper does not.
// Prints one line: map_ms=<ms> cpu_ms=<ms> width=<px> height=<px> rss_kb=<KiB> late=<0|1>
// icon_ms=<ms, -1 without one> (then exec_at and viewable_at: the same two moments on the
// monotonic clock, in ms). cpu_ms is the processor time all the program's threads had used
// when its window appeared.
#include "x11_probe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

namespace {

// Run time of every thread of a process so far, from the scheduler's own accounting.
double cpuMs(pid_t pid) {
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir)
        return -1;
    double total = 0;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        if (FILE* file = std::fopen((tasks + "/" + entry->d_name + "/schedstat").c_str(), "r")) {
            unsigned long long ns = 0;
            if (std::fscanf(file, "%llu", &ns) == 1)
                total += ns / 1e6;
            std::fclose(file);
        }
    }
    closedir(dir);
    return total;
}

bool managed(Display* display, Window window) {
    static const Atom wmState = XInternAtom(display, "WM_STATE", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, window, wmState, 0, 2, False, wmState, &type, &format, &items,
                       &after, &data);
    if (data)
        XFree(data);
    return type == wmState;
}

struct Found {
    Window window = 0;
    int width = 0, height = 0;
};

enum class Wanted { Window, Icon };

// A window is found once it has the title and is viewable: mapped, and so is its WM frame. An
// icon is a small window with the title that no window manager manages, viewable in the tray.
Found check(Display* display, const std::set<Window>& windows, const std::string& wanted,
            Wanted what = Wanted::Window) {
    for (Window window : windows) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, window, &attributes) ||
            attributes.map_state != IsViewable || title(display, window) != wanted)
            continue;
        const bool isManaged = managed(display, window);
        const bool small = attributes.width <= 64 && attributes.height <= 64;
        if (what == Wanted::Window ? isManaged : !isManaged && small)
            return {window, attributes.width, attributes.height};
    }
    return {};
}

} // namespace

int main(int argc, char* argv[]) {
    int holdMs = 1500, timeoutMs = 20000;
    bool closeWindow = false, waitForIcon = false;
    int arg = 1;
    for (; arg + 1 < argc && std::strncmp(argv[arg], "--", 2) == 0; arg += 2) {
        if (!std::strcmp(argv[arg], "--hold-ms"))
            holdMs = std::atoi(argv[arg + 1]);
        else if (!std::strcmp(argv[arg], "--timeout-ms"))
            timeoutMs = std::atoi(argv[arg + 1]);
        else if (!std::strcmp(argv[arg], "--close"))
            closeWindow = std::atoi(argv[arg + 1]) != 0;
        else if (!std::strcmp(argv[arg], "--icon"))
            waitForIcon = std::atoi(argv[arg + 1]) != 0;
    }
    if (argc - arg < 2) {
        std::fprintf(
            stderr,
            "usage: %s [--hold-ms N] [--timeout-ms N] [--close 1] [--icon 1] TITLE PROGRAM "
            "[ARGS...]\n",
            argv[0]);
        return 2;
    }
    const std::string wanted = argv[arg];
    char** command = argv + arg + 1;

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "startup_probe: no X display\n");
        return 2;
    }
    XSetErrorHandler(ignoreXError);
    fcntl(ConnectionNumber(display), F_SETFD, FD_CLOEXEC);
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const double started = nowMs();
    const pid_t child = fork();
    if (child == 0) {
        // Its own process group: a wrapper and the program it runs end together on a time-out.
        setpgid(0, 0);
        execvp(command[0], command);
        _exit(127);
    }
    if (child < 0)
        return 2;
    setpgid(child, child);

    // Every window made on the root (the program's and the window manager's frames) is
    // watched for its own map events and title changes; a window put into another (a tray
    // icon into the tray) has its new ancestors watched for theirs.
    std::set<Window> windows;
    Found found, icon;
    double mappedAt = 0, iconAt = -1, cpuAtMap = -1;
    bool late = false;
    bool ended = false;
    int status = 0;
    rusage usage{};
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    while (!found.window || (waitForIcon && !icon.window && nowMs() < mappedAt + holdMs)) {
        if (nowMs() - started > timeoutMs || (ended = wait4(child, &status, WNOHANG, &usage) > 0))
            break;
        if (!XPending(display)) {
            poll(&fd, 1, 50);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        bool recheck = false;
        switch (event.type) {
        case CreateNotify:
            windows.insert(event.xcreatewindow.window);
            XSelectInput(display, event.xcreatewindow.window,
                         StructureNotifyMask | PropertyChangeMask);
            recheck = true; // mapped before we started watching it: found, though a little late
            break;
        case DestroyNotify:
            windows.erase(event.xdestroywindow.window);
            break;
        case ReparentNotify:
            if (windows.count(event.xreparent.window)) {
                for (Window up = event.xreparent.parent; up && up != root;) {
                    XSelectInput(display, up, StructureNotifyMask);
                    Window top = 0, *children = nullptr;
                    unsigned count = 0;
                    if (!XQueryTree(display, up, &top, &up, &children, &count))
                        break;
                    if (children)
                        XFree(children);
                }
            }
            recheck = true;
            break;
        case MapNotify:
        case PropertyNotify: // a title or WM_STATE set after mapping
            recheck = true;
            break;
        default:
            break;
        }
        if (!recheck)
            continue;
        if (!found.window && (found = check(display, windows, wanted)).window) {
            mappedAt = nowMs();
            cpuAtMap = cpuMs(child);
            late = event.type == CreateNotify;
        }
        if (waitForIcon && !icon.window &&
            (icon = check(display, windows, wanted, Wanted::Icon)).window)
            iconAt = nowMs();
    }
    if (!found.window) {
        std::fprintf(stderr, "startup_probe: no viewable window titled \"%s\" (%s)\n",
                     wanted.c_str(), ended ? "the program ended" : "timed out");
        if (!ended) {
            kill(-child, SIGKILL);
            wait4(child, &status, 0, &usage);
        }
        return 1;
    }

    // Let the program settle (first paint, sound server) before reading its peak memory.
    const double holdUntil = mappedAt + holdMs;
    while (nowMs() < holdUntil) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
        }
        poll(&fd, 1, 20);
    }
    if (closeWindow) {
        XEvent message{};
        message.xclient.type = ClientMessage;
        message.xclient.window = found.window;
        message.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        message.xclient.format = 32;
        message.xclient.data.l[0] =
            static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        message.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, found.window, False, NoEventMask, &message);
        XFlush(display);
    } else {
        kill(-child, SIGTERM);
    }
    const double killedAt = nowMs();
    bool termed = !closeWindow;
    while (wait4(child, &status, WNOHANG, &usage) == 0) {
        // A program that only hides on its close box (one living in the tray) gets SIGTERM, but
        // not the wrapper, which is to report when the program has ended.
        if (!termed && nowMs() - killedAt > 1000) {
            termed = true;
            const std::string children =
                "/proc/" + std::to_string(child) + "/task/" + std::to_string(child) + "/children";
            if (FILE* file = std::fopen(children.c_str(), "r")) {
                int pid = 0;
                while (std::fscanf(file, "%d", &pid) == 1)
                    kill(pid, SIGTERM);
                std::fclose(file);
            }
        }
        if (nowMs() - killedAt > 5000) {
            kill(-child, SIGKILL);
            wait4(child, &status, 0, &usage);
            break;
        }
        usleep(2000);
    }
    std::printf("map_ms=%.2f cpu_ms=%.2f width=%d height=%d rss_kb=%ld late=%d icon_ms=%.2f "
                "exec_at=%.2f viewable_at=%.2f\n",
                mappedAt - started, cpuAtMap, found.width, found.height, usage.ru_maxrss,
                late ? 1 : 0, icon.window ? iconAt - started : -1.0, started, mappedAt);
    XCloseDisplay(display);
    return 0;
}
