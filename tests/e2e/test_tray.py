#!/usr/bin/python3
"""The notification area with real clicks on a real host: the icon, its double click and menu,
the cue of "Open Hopsmeld Helper", and the ways the program ends.

    test_tray.py PROGRAM [CASE...]
"""
import os
import signal
import time

import pyatspi

from desktop import (Desktop, Failure, has_focus, is_shown, main, shown, step, the_shown,
                     text_of)

CLASS = "merow-hopsmeld-helper"


def xembed_icons(d):
    """The program's icon windows: small windows of its class docked in trayer."""
    return [w for w in d.windows(classname=CLASS) if max(d.geometry(w)[2:]) <= 32]


def icons(d):
    """The program's icons in the host: docked windows in trayer, registered items elsewhere."""
    return xembed_icons(d) if d.tray == "trayer" else d.sni_items()


def panel_icon(d):
    """Centre of the icon a StatusNotifierItem panel draws (no window of the program's): the red
    of the beer can on the panel's strip at the top of the screen."""
    from PIL import Image
    path = os.path.join(d.dir, "panel.png")
    d.run("import", "-window", "root", "-crop", "1280x40+0+0", path)
    strip = Image.open(path).convert("RGB")
    red = [(x, y) for y in range(strip.height) for x in range(strip.width)
           if (lambda r, g, b: r > 150 and g < 90 and b < 90)(*strip.getpixel((x, y)))]
    if len(red) < 20:
        return None
    xs, ys = [x for x, _ in red], [y for _, y in red]
    return (min(xs) + max(xs)) // 2, (min(ys) + max(ys)) // 2


def icon_centre(d):
    found = d.wait_until(lambda: icons(d), 10, "the tray icon")
    if len(found) != 1:
        raise Failure("expected one tray icon, found %d" % len(found))
    if d.tray != "trayer":
        return d.wait_until(lambda: panel_icon(d), 10, "the icon drawn on the panel")
    x, y, w, h = d.geometry(found[0])
    return x + w // 2, y + h // 2


def click_icon(d, button, repeat=1):
    x, y = icon_centre(d)
    # Not --sync: it waits for a motion that never comes when the pointer is already there.
    d.xdotool("mousemove", str(x), str(y))
    d.wait_until(lambda: d.xdotool("getmouselocation")[:2] == ["x:%d" % x, "y:%d" % y], 5,
                 "the pointer over the icon")
    d.xdotool("click", "--repeat", str(repeat), "--delay", "80", str(button))


def popups(d):
    """Mapped override-redirect windows: menus (and tooltips)."""
    found = []
    for line in d.run("xwininfo", "-root", "-children").splitlines():
        window = line.split()[0] if line.strip().startswith("0x") else None
        if window:
            stats = d.run("xwininfo", "-id", window, "-stats")
            if "IsViewable" in stats and "Override Redirect State: yes" in stats:
                found.append(window)
    return found


def menu_entry(d, access_key, shot=None):
    """Right click on the icon, then the entry's access key, as a keyboard user would. The menu
    is the program's own on trayer and the panel's elsewhere: either way a new pop-up window."""
    before = set(popups(d))
    click_icon(d, 3)
    menu = d.wait_until(lambda: set(popups(d)) - before, 5, "a menu after a right click on the icon")
    if shot and os.environ.get("HOPSMELD_E2E_SHOTS"):
        d.screenshot(os.path.join(os.environ["HOPSMELD_E2E_SHOTS"], shot))
    d.xdotool("key", access_key)
    return menu


def start(d, program):
    p = d.start_program(program)
    window = d.wait_until(lambda: d.windows(), 15, "the window")[0]
    d.xdotool("windowactivate", "--sync", window)
    return p, d.application(p.pid)


def per_host(*hosts):
    """A case written as case(program, host) becomes one case for each host."""
    def cases(case):
        def on(host):
            run = lambda program: case(program, host)
            run.__name__, run.__doc__ = "%s_%s" % (case.__name__, host), "%s (%s)" % (
                case.__doc__.strip(), host)
            return run
        return [on(host) for host in hosts]
    return cases


def exit_button(d, app):
    the_shown(app, pyatspi.ROLE_PUSH_BUTTON, "Exit").queryAction().doAction(0)
    d.wait_until(lambda: not d.windows(), 5, "the Exit button to hide the window")


@per_host("trayer", "xfce", "lxqt")
def icon_and_menu(program, host):
    """One icon, its clicks, its menu's Open and Exit (a panel draws the published menu)"""
    with Desktop(tray=host, sound=True, atspi=True) as d:
        recording = d.record()
        p, app = start(d, program)
        d.wait_until(lambda: len(icons(d)) == 1, 10, "exactly one icon after start")

        step("Exit button hides; a single click: nothing on XEmbed, the window on a panel")
        the_shown(app, pyatspi.ROLE_PAGE_TAB, "Bottling Gravity").queryAction().doAction(0)
        txt5 = d.wait_until(lambda: [a for a in shown(app, pyatspi.ROLE_TEXT) if a.name == "Enter Original Gravity"],
                            5, "the second tab")[0]
        txt5.queryEditableText().setTextContents("1.060")
        exit_button(d, app)
        click_icon(d, 1)
        if host == "trayer":
            d.holds(lambda: not d.windows(), 0.8, "a single click brought the window back")
        else:  # the panel's Activate
            d.wait_until(lambda: d.windows(), 5, "the window after a click on the icon")
            exit_button(d, app)

        step("double click: the window again, as it was left, in silence")
        click_icon(d, 1, repeat=2)
        d.wait_until(lambda: d.windows(), 5, "the window after a double click on the icon")
        if not is_shown(txt5) or text_of(txt5) != "1.060":
            raise Failure("the window did not come back on the tab and with the boxes left")
        d.holds(lambda: len(d.windows()) == 1 and len(icons(d)) == 1, 0.5,
                "one window and one icon after the clicks")

        step("menu: Open Hopsmeld Helper shows the first tab with the caret in its first box")
        exit_button(d, app)
        menu_entry(d, "o", shot="menu-%s.png" % host)
        d.wait_until(lambda: d.windows(), 5, "Open Hopsmeld Helper to show the window")
        txt1 = the_shown(app, pyatspi.ROLE_TEXT, "Enter Original Gravity")
        d.wait_until(lambda: has_focus(txt1), 5, "the caret in the first box")

        step("menu: Exit ends the program with status 0 and takes the icon along")
        time.sleep(0.8)  # let the cue play out before the program goes
        menu_entry(d, "e")
        status = p.wait(5)
        if status != 0:
            raise Failure("Exit from the tray menu: %s" % ("still running" if status is None
                                                           else "status %d" % status))
        d.wait_until(lambda: not icons(d), 5, "the icon to go with the program")

        heard = recording.bursts()
        if heard != 1:
            raise Failure("heard %d cues, expected 1 (Open plays it, the clicks not)" % heard)


def sigterm(program):
    """SIGTERM ends the program with status 0 and removes the icon"""
    with Desktop(tray="trayer") as d:
        p = d.start_program(program)
        d.wait_until(lambda: xembed_icons(d), 15, "the icon")
        p.signal(signal.SIGTERM)
        status = p.wait(5)
        if status != 0:
            raise Failure("after SIGTERM: %s" % ("still running" if status is None
                                                 else "status %d" % status))
        d.wait_until(lambda: not xembed_icons(d), 5, "the icon to go after SIGTERM")


@per_host("trayer", "xfce")
def icon_kept(program, host):
    """Unfocused new window, host restart: always an icon, and without one closing ends"""
    with Desktop(tray=host, focus_new=False) as d:
        p = d.start_program(program)
        window = d.wait_until(lambda: d.windows(), 15, "the window")[0]
        d.wait_until(lambda: len(icons(d)) == 1, 10, "the icon of a window never activated")
        if d.active_window() == window:
            raise Failure("openbox focused the new window: the case tests nothing")
        d.stop_tray()
        d.start_tray()
        d.wait_until(lambda: len(icons(d)) == 1, 10, "the icon back in the restarted host")

        step("a close request hides while a host shows the icon, and ends once none does")
        for host_up in (True, False):
            if not host_up:
                d.stop_tray()
            d.xdotool("windowactivate", "--sync", window)
            d.xdotool("key", "alt+F4")
            if host_up:
                d.wait_until(lambda: not d.windows(), 5, "the window to hide")
                d.holds(p.running, 0.5, "the program ended with its icon in the host")
                click_icon(d, 1, repeat=2)
                d.wait_until(lambda: d.windows(), 5, "the window back from the icon")
        status = p.wait(5)
        if status != 0:
            raise Failure("closing without a host: %s" % ("still running" if status is None
                                                          else "status %d" % status))


CASES = [*icon_and_menu, sigterm, *icon_kept]

if __name__ == "__main__":
    main(CASES)
