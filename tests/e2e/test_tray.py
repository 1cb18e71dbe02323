#!/usr/bin/python3
"""The notification area with real clicks on a real host: the icon, its double click and menu,
the cue of "Open Hopsmeld Helper", and the ways the program ends.

    test_tray.py PROGRAM [CASE...]
"""
import signal
import time

import pyatspi

from desktop import (Desktop, Failure, has_focus, is_shown, main, shown, step, the_shown,
                     text_of)

CLASS = "merow-hopsmeld-helper"


def xembed_icons(d):
    """The program's icon windows: small windows of its class docked in trayer."""
    return [w for w in d.windows(classname=CLASS) if max(d.geometry(w)[2:]) <= 32]


def click_icon(d, button, repeat=1):
    icons = d.wait_until(lambda: xembed_icons(d), 10, "the tray icon")
    if len(icons) != 1:
        raise Failure("expected one tray icon, found %d" % len(icons))
    x, y, w, h = d.geometry(icons[0])
    # Not --sync: it waits for a motion that never comes when the pointer is already there.
    d.xdotool("mousemove", str(x + w // 2), str(y + h // 2))
    d.wait_until(lambda: d.xdotool("getmouselocation")[:2] == ["x:%d" % (x + w // 2),
                                                               "y:%d" % (y + h // 2)], 5,
                 "the pointer over the icon")
    d.xdotool("click", "--repeat", str(repeat), "--delay", "80", str(button))


def menu_entry(d, access_key):
    """Right click on the icon, then the entry's access key, as a keyboard user would."""
    before = set(d.windows(classname=CLASS))
    click_icon(d, 3)
    d.wait_until(lambda: set(d.windows(classname=CLASS)) - before, 5,
                 "the menu after a right click on the icon")
    d.xdotool("key", access_key)


def start(d, program):
    p = d.start_program(program)
    window = d.wait_until(lambda: d.windows(), 15, "the window")[0]
    d.xdotool("windowactivate", "--sync", window)
    return p, d.application(p.pid)


def icon_and_menu(program):
    """XEmbed: one icon; single click nothing, double click shows, menu Open and Exit"""
    with Desktop(tray="trayer", sound=True, atspi=True) as d:
        recording = d.record()
        p, app = start(d, program)
        d.wait_until(lambda: len(xembed_icons(d)) == 1, 10, "exactly one icon after start")

        step("Exit button hides; a single click on the icon does nothing")
        the_shown(app, pyatspi.ROLE_PAGE_TAB, "Bottling Gravity").queryAction().doAction(0)
        txt5 = d.wait_until(lambda: [a for a in shown(app, pyatspi.ROLE_TEXT) if a.name == "Enter Original Gravity"],
                            5, "the second tab")[0]
        txt5.queryEditableText().setTextContents("1.060")
        the_shown(app, pyatspi.ROLE_PUSH_BUTTON, "Exit").queryAction().doAction(0)
        d.wait_until(lambda: not d.windows(), 5, "the Exit button to hide the window")
        click_icon(d, 1)
        d.holds(lambda: not d.windows(), 0.8, "a single click brought the window back")

        step("double click: the window again, as it was left, in silence")
        click_icon(d, 1, repeat=2)
        d.wait_until(lambda: d.windows(), 5, "the window after a double click on the icon")
        if not is_shown(txt5) or text_of(txt5) != "1.060":
            raise Failure("the window did not come back on the tab and with the boxes left")

        step("menu: Open Hopsmeld Helper shows the first tab with the caret in its first box")
        the_shown(app, pyatspi.ROLE_PUSH_BUTTON, "Exit").queryAction().doAction(0)
        d.wait_until(lambda: not d.windows(), 5, "the window to hide")
        menu_entry(d, "o")
        d.wait_until(lambda: d.windows(), 5, "Open Hopsmeld Helper to show the window")
        txt1 = the_shown(app, pyatspi.ROLE_TEXT, "Enter Original Gravity")
        d.wait_until(lambda: has_focus(txt1), 5, "the caret in the first box")
        d.wait_until(lambda: len(xembed_icons(d)) == 1, 5, "still exactly one icon")

        step("menu: Exit ends the program with status 0 and takes the icon along")
        time.sleep(0.8)  # let the cue play out before the program goes
        menu_entry(d, "e")
        status = p.wait(5)
        if status != 0:
            raise Failure("Exit from the tray menu: %s" % ("still running" if status is None
                                                           else "status %d" % status))
        d.wait_until(lambda: not xembed_icons(d), 5, "the icon to go with the program")

        heard = recording.bursts()
        if heard != 1:
            raise Failure("heard %d cues, expected 1 (Open plays it, the double click not)" % heard)


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


CASES = [icon_and_menu, sigterm]

if __name__ == "__main__":
    main(CASES)
