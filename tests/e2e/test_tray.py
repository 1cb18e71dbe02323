#!/usr/bin/python3
"""test_tray.py PROGRAM [CASE...]: the notification area with real clicks on real hosts (trayer
for XEmbed, the Xfce and LXQt panels and GNOME Shell's AppIndicator extension for
StatusNotifierItem), one program per session, its ends."""
import functools
import os
import re
import signal
import time

import pyatspi
from gi.repository import Atspi
from PIL import ImageGrab

from desktop import Desktop, Failure, main, wait_until


def icons(d):
    """The program's icons: small docked windows of its class in trayer, registered items elsewhere
    whose owner is still on the bus (the LXQt panel was seen keeping an ended program's item). GNOME
    lists an item as ":1.29@/StatusNotifierItem", the others as ":1.29/StatusNotifierItem"."""
    if d.tray == "trayer":
        docked = d.xdotool("search", "--onlyvisible", "--classname", "^merow-hopsmeld-helper$")
        sizes = {w: d.xdotool("getwindowgeometry", w)[-1:] for w in docked}  # ["22x22"], or [] once gone
        return [w for w, size in sizes.items() if size and max(map(int, size[0].split("x"))) <= 32]
    owners = re.findall("'([^'@/]+)@?/", d.watcher("RegisteredStatusNotifierItems"))
    return [owner for owner in owners if d.bus_has(owner)]


def drawn_icon(d):
    """Where the icon is drawn: the centre of the beer can's red on the strip at the top, where trayer
    and the panels are (its right half on GNOME, whose top bar shows the focused window's icon on the
    left). For clicks while the window is hidden: its frame can be there too."""
    left = 640 if d.tray == "gnome" else 0
    strip = ImageGrab.grab((left, 0, 1280, 40), xdisplay=d.env["DISPLAY"])
    red = [(x, y) for y in range(strip.height) for x in range(strip.width)
           if (lambda r, g, b: r > 150 and g < 90 and b < 90)(*strip.getpixel((x, y)))]
    if len(red) < 20:
        return None
    xs, ys = zip(*red)
    return left + (min(xs) + max(xs)) // 2, (min(ys) + max(ys)) // 2


def click_icon(d, button, repeat=1):
    if len(found := wait_until(lambda: icons(d), 10, "the tray icon")) != 1:
        raise Failure("expected one tray icon, found %d" % len(found))
    x, y = wait_until(lambda: drawn_icon(d), 10, "the icon drawn")
    d.xdotool("mousemove", str(x), str(y))  # not --sync: no motion comes when the pointer is there
    wait_until(lambda: d.xdotool("getmouselocation")[:2] == ["x:%d" % x, "y:%d" % y], 5, "the pointer there")
    d.xdotool("click", "--repeat", str(repeat), "--delay", "80", str(button))
    return x, y


def open_menu(d):
    """The icon's menu: the program's own on trayer, the host's drawing of the published one
    elsewhere. A right click gives a new override-redirect window; GNOME opens its menu on a left
    click and draws it inside its own window: a dark box under the icon."""
    if d.tray == "gnome":
        x, _ = click_icon(d, 1)
        dark = lambda r, g, b: max(r, g, b) < 80 and max(r, g, b) - min(r, g, b) < 16
        box = lambda: ImageGrab.grab((x - 120, 45, x - 20, 85), xdisplay=d.env["DISPLAY"]).getdata()
        wait_until(lambda: sum(dark(*p) for p in box()) > 2500, 5, "GNOME's menu after a click on the icon")
        return

    def popups():
        ids = [l.split()[0] for l in d.run("xwininfo", "-root", "-children").splitlines() if l.strip().startswith("0x")]
        return {w for w in ids if all(s in d.run("xwininfo", "-id", w, "-stats")
                                      for s in ("IsViewable", "Override Redirect State: yes"))}
    before = popups()
    click_icon(d, 3)
    wait_until(lambda: popups() - before, 5, "a menu after a right click on the icon")


def menu_entry(d, access_key):
    """An entry of the icon's menu by its access key; GNOME's menus have none: the arrow keys."""
    open_menu(d)
    if d.tray == "gnome":
        d.xdotool("key", *["Down"] * (1 + "oe".index(access_key)), "Return")
    else:
        d.xdotool("key", access_key)


def application(pid):
    """The program's accessible application."""
    def find():
        for app in pyatspi.Registry.getDesktop(0):
            try:  # Qt's, not GTK's: under GNOME Qt's GTK theme registers the process too
                if app.get_process_id() == pid and app.get_toolkit_name() == "Qt":
                    return app
            except Exception:
                pass  # gone while we looked
    app = wait_until(find, 15, "the program on the accessibility bus")
    app.set_cache_mask(Atspi.Cache.NONE)  # states change: always ask the program
    return app


def descendants(acc):
    children = [c for c in (acc.getChildAtIndex(i) for i in range(acc.childCount)) if c is not None]
    return children + [d for c in children for d in descendants(c)]


def has_state(acc, *names):
    return all(acc.getState().contains(getattr(pyatspi, "STATE_" + n)) for n in names)


def the_shown(app, role, name, *states):
    """The one control of this role and name on screen (and in these states), waited for."""
    def found():
        matches = [a for a in descendants(app) if a.getRole() == role and a.name == name
                   and has_state(a, "SHOWING", "VISIBLE", *states)]
        return matches if len(matches) == 1 else []
    return wait_until(found, 5, " ".join(("one", repr(name), "on screen", *states)))[0]


def hide(d, app):
    wait_until(lambda: icons(d), 10, "the icon the window comes back from")
    wait_until(lambda: drawn_icon(d), 10, "the icon drawn")  # GNOME Shell answered no bus call 0.7 s before
    the_shown(app, pyatspi.ROLE_PUSH_BUTTON, "Exit").queryAction().doAction(0)
    wait_until(lambda: not d.windows(), 5, "the Exit button to hide the window")


def close(d, window):
    """Alt+F4 through openbox, pressed again if the window stays (a key can go astray under load)."""
    for _ in range(5):
        d.xdotool("windowactivate", "--sync", window, "key", "alt+F4")
        if wait_until(lambda: not d.windows(), 1):
            return
    raise Failure("five close requests and the window is still there")


def ends(p, expected, what):
    wait_until(lambda: not p.running(), 10)
    if (status := p.process.returncode) != expected:
        raise Failure("%s: %s" % (what, "still running" if status is None else "status %d" % status))


def bus(d, method, *args):
    """A call to the running program's org.freedesktop.Application."""
    return d.call("org.example.HopsmeldHelper", "/org/example/HopsmeldHelper", "org.freedesktop.Application." + method,
                  *args)


def per_host(case, *hosts):
    """case(program, host) as one case per host, named case_host."""
    for host in hosts:
        run = functools.partial(case, host=host)
        run.__name__, run.__doc__ = "%s_%s" % (case.__name__, host), "%s (%s)" % (case.__doc__, host)
        yield run


def icon_and_menu(program, host):
    """The icon's clicks, a second start, the menu's Open (the one cue) and Exit (status 0)"""
    with Desktop(tray=host, sound=True, atspi=True) as d:
        recording, p = d.record(), d.start_program(program)
        window = wait_until(d.windows, 15, "the window")[0]
        app = application(p.pid)
        the_shown(app, pyatspi.ROLE_PAGE_TAB, "Bottling Gravity").queryAction().doAction(0)
        box = the_shown(app, pyatspi.ROLE_TEXT, "Enter Original Gravity")  # the second tab's
        box.queryEditableText().setTextContents("1.060")
        as_left = lambda what: wait_until(lambda: has_state(box, "SHOWING", "VISIBLE")
                                          and box.queryText().getText(0, -1) == "1.060", 5, what)

        def click():
            if host == "gnome":  # a click opens the host's menu, a double click activates
                open_menu(d)
                d.xdotool("key", "Escape")
            else:
                click_icon(d, 1)
            if host in ("trayer", "gnome"):
                time.sleep(0.8)
                if d.windows():
                    raise Failure("a single click brought the window back")
                click_icon(d, 1, repeat=2)

        def second_start():  # while the menu is open: the window comes once it has closed
            open_menu(d)
            ends(d.start_program(program), 0, "the second start")
            d.xdotool("key", "Escape")
        for what, again in (("a click on the icon", click), ("a second start", second_start),
                            ("the bus's Open", lambda: bus(d, "Open", "['file:///brew.txt']", "{}"))):
            hide(d, app)
            again()
            as_left("the window back as left after " + what)
        if "InvalidArgs" not in bus(d, "ActivateAction", "brew", "[]", "{}"):
            raise Failure("an unknown action was not refused")
        close(d, window)
        menu_entry(d, "o")
        wait_until(d.windows, 5, "Open Hopsmeld Helper to show the window")
        the_shown(app, pyatspi.ROLE_PAGE_TAB_LIST, "Alcohol Content")  # named after its current tab: the first
        the_shown(app, pyatspi.ROLE_TEXT, "Enter Original Gravity", "FOCUSED")  # the caret in that tab's box
        recording.wait_for(1)
        menu_entry(d, "e")
        ends(p, 0, "Exit from the tray menu")
        wait_until(lambda: not icons(d), 5, "the icon to go with the program")
        if (heard := len(recording.sounds())) != 1:
            raise Failure("heard %d cues, expected 1 (Open plays it, the rest not)" % heard)


def bring_back(d):
    """The icon's click that shows the window: one on the Xfce and LXQt panels (Activate), two elsewhere."""
    click_icon(d, 1, repeat=1 if d.tray in ("xfce", "lxqt") else 2)
    wait_until(d.windows, 5, "the window back from the icon")


def watcher_process(d):
    answer = d.call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus.GetConnectionUnixProcessID",
                    "org.kde.StatusNotifierWatcher")
    return int(re.search(r"uint32 (\d+)", answer).group(1))


def late_host(program, host):
    """A window never focused, the host started 2 s after it, then restarted: the icon each time; no host: a close ends"""
    with Desktop(focus_new=False) as d:
        d.tray = host  # started below, late
        p = d.start_program(program)
        window = wait_until(d.windows, 15, "the window")[0]
        time.sleep(2)
        if d.xdotool("getactivewindow") == [window]:
            raise Failure("openbox focused the new window: the case tests nothing")
        for _ in range(2):
            d.start(host)
            wait_until(lambda: len(icons(d)) == 1, 10, "the icon in the host")
            close(d, window)
            bring_back(d)
            d.stop(host)
        close(d, window)
        ends(p, 0, "closing with no host to show the icon")


def host_stalls(program, host):
    """The host stopped for 2 s around a close: the window hides, the program stays, the icon brings it back"""
    with Desktop(tray=host) as d:
        p = d.start_program(program)
        window = wait_until(d.windows, 15, "the window")[0]
        wait_until(lambda: drawn_icon(d), 10, "the icon drawn")
        stalled = watcher_process(d)  # the panel's own process
        os.kill(stalled, signal.SIGSTOP)
        try:
            close(d, window)
            time.sleep(2)
        finally:
            os.kill(stalled, signal.SIGCONT)
        if not p.running():
            raise Failure("closing while the host was stopped ended the program")
        bring_back(d)


def host_leaves(program):
    """A watcher whose host leaves, as KDE's without its shell: closing hides while the host is there, ends after"""
    with Desktop(tray="watcher") as d:
        p = d.start_program(program)
        window = wait_until(d.windows, 15, "the window")[0]
        wait_until(lambda: len(icons(d)) == 1, 10, "the item listed")
        close(d, window)
        bus(d, "Activate", "{}")
        wait_until(d.windows, 5, "the window back from a second start")
        os.kill(watcher_process(d), signal.SIGUSR1)
        wait_until(lambda: "<false>" in d.watcher("IsStatusNotifierHostRegistered"), 5, "the host to leave")
        time.sleep(1)  # the program hears it from the watcher's signal, not from us
        close(d, window)
        ends(p, 0, "closing with no host left")


def starts_at_once(program):
    """Two starts at the same moment: one ends with 0; SIGTERM ends the other with 0 and its icon"""
    with Desktop(tray="trayer") as d:
        starts = [d.start_program(program) for _ in range(2)]
        first_out = wait_until(lambda: [p for p in starts if not p.running()], 15, "one start to end")[0]
        ends(first_out, 0, "the start that found the other")
        wait_until(lambda: len(icons(d)) == 1, 10, "the icon of the one left")
        left = starts[starts[0] is first_out]
        left.process.terminate()  # SIGTERM
        ends(left, 0, "after SIGTERM")
        wait_until(lambda: not icons(d), 5, "the icon to go after SIGTERM")


if __name__ == "__main__":
    main([*per_host(icon_and_menu, "trayer", "xfce", "lxqt", "gnome"), *per_host(late_host, "trayer", "lxqt"),
          *per_host(host_stalls, "xfce", "lxqt"), host_leaves, starts_at_once])
