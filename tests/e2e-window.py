#!/usr/bin/python3
"""End to end through the accessibility tree: a brewer types and clicks with the real mouse and
keyboard (xdotool), and the test reads what a screen reader would read (AT-SPI).

    e2e-window.py PROGRAM

Needs an X display with a window manager and a notification area, and an AT-SPI bus
(with-xvfb.sh --wm --tray and with-atspi.sh give them). Run it with Debian's /usr/bin/python3:
pyatspi is a Debian package.
"""
import os
import signal
import subprocess
import sys
import tempfile
import time

import pyatspi
from gi.repository import Atspi

TITLE = "Merow Hopsmeld Helper"
FIRST_TAB_BOXES = ["Enter Original Gravity", "Enter Final Gravity",
                   "Alcohol % By Volume", "Alcohol % By Weight"]
SECOND_TAB_BOXES = ["Enter Original Gravity", "Alcohol % By Volume",
                    "Alcohol % By Weight", "Desired Bottling Gravity"]
BUTTONS = ["Calculate", "Reset", "Exit"]


class Failure(Exception):
    pass


def step(message):
    print("--", message, flush=True)


def wait_until(probe, seconds):
    """Polls probe() until it gives something true; returns its last answer."""
    end = time.monotonic() + seconds
    while True:
        answer = probe()
        if answer or time.monotonic() > end:
            return answer
        time.sleep(0.02)


def xdotool(*args):
    # search exits 1 when nothing matches; that is an answer, not an error.
    run = subprocess.run(["xdotool", *args], capture_output=True, text=True)
    if run.returncode not in (0, 1):
        raise Failure("xdotool %s failed: %s" % (" ".join(args), run.stderr.strip()))
    return run.stdout.split()


def visible_windows(title):
    return xdotool("search", "--onlyvisible", "--name", "^%s$" % title)


def find_application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        try:
            if app is not None and app.name == TITLE and app.get_process_id() == pid:
                return app
        except Exception:
            pass  # an application that went away while we looked
    return None


def descendants(acc):
    found = []
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            found.append(child)
            found.extend(descendants(child))
    return found


def is_shown(acc):
    states = acc.getState()
    return states.contains(pyatspi.STATE_SHOWING) and states.contains(pyatspi.STATE_VISIBLE)


def shown(app, role):
    """The controls of one role that are on screen, top to bottom."""
    controls = [a for a in descendants(app) if a.getRole() == role and is_shown(a)]
    return sorted(controls, key=lambda a: extents(a)[1])


def extents(acc):
    box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x, box.y, box.width, box.height


def text_of(acc):
    return acc.queryText().getText(0, -1)


def the_shown(app, role, name):
    matches = [a for a in shown(app, role) if a.name == name]
    if len(matches) != 1:
        raise Failure("expected one %s named %r on screen, found %d (on screen: %s)"
                      % (Atspi.role_get_name(role), name, len(matches),
                         [a.name for a in shown(app, role)]))
    return matches[0]


def click(acc):
    x, y, w, h = extents(acc)
    if w <= 0 or h <= 0:
        raise Failure("%r has no area on screen to click" % acc.name)
    xdotool("mousemove", "--sync", str(x + w // 2), str(y + h // 2), "click", "1")


def type_into(box, text, already_focused=False):
    if not already_focused:
        click(box)
        if not wait_until(lambda: box.getState().contains(pyatspi.STATE_FOCUSED), 5):
            raise Failure("clicking %r did not give it the keyboard focus" % box.name)
    # Replace whatever is there, as a user selecting the old entry would.
    xdotool("key", "ctrl+a")
    xdotool("type", "--delay", "30", text)
    got = wait_until(lambda: text_of(box) == text and text_of(box), 5)
    if got != text:
        raise Failure("typed %r into %r, it reads %r" % (text, box.name, text_of(box)))


def expect_text(box, want, why):
    got = wait_until(lambda: text_of(box) == want and want, 5)
    if got != want:
        got = text_of(box)
        hint = " (an error message is open)" if visible_windows("Hopsmeld Error") else ""
        raise Failure("%s: %r reads %r, expected %r%s" % (why, box.name, got, want, hint))
    print("   %r reads %r" % (box.name, got), flush=True)


def check_controls(app, box_names, result_names):
    """Boxes named by the label beside them, in order; results described; buttons by caption."""
    boxes = shown(app, pyatspi.ROLE_TEXT)
    if [b.name for b in boxes] != box_names:
        raise Failure("text boxes on screen, top to bottom: %s, expected %s"
                      % ([b.name for b in boxes], box_names))
    labels = shown(app, pyatspi.ROLE_LABEL)
    for box in boxes:
        bx, by, bw, bh = extents(box)
        beside = [l for l in labels
                  if by <= extents(l)[1] + extents(l)[3] // 2 <= by + bh
                  and extents(l)[0] < bx]
        if [l.name.strip() for l in beside] != [box.name]:
            raise Failure("box %r has the labels %s beside it" % (box.name, [l.name for l in beside]))
        description = box.description
        if box.name in result_names and not description.strip():
            raise Failure("result box %r has no description for screen readers" % box.name)
        print("   box %r, labelled %r, description %r" % (box.name, beside[0].name, description),
              flush=True)
    buttons = sorted(b.name for b in shown(app, pyatspi.ROLE_PUSH_BUTTON))
    if buttons != sorted(BUTTONS):
        raise Failure("buttons on screen: %s, expected %s" % (buttons, BUTTONS))
    print("   buttons: %s" % buttons, flush=True)
    return boxes


def run(program, log):
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", LC_ALL="C.UTF-8",
               # The cue must not reach any sound server on this machine.
               PULSE_SERVER="unix:/nonexistent/hopsmeld-no-sound")
    step("starting %s" % program)
    app_process = subprocess.Popen([program], env=env, stdout=log, stderr=log)
    try:
        test(app_process)
    finally:
        app_process.terminate()
        try:
            app_process.wait(5)
        except subprocess.TimeoutExpired:
            app_process.kill()
            app_process.wait()


def test(app_process):
    windows = wait_until(lambda: visible_windows(TITLE), 15)
    if len(windows) != 1:
        raise Failure("expected one visible window titled %r, found %d" % (TITLE, len(windows)))
    window = windows[0]
    step("window %s is up" % window)
    xdotool("windowactivate", "--sync", window)

    app = wait_until(lambda: find_application(app_process.pid), 15)
    if app is None:
        raise Failure("the program did not appear on the accessibility bus")
    # States change as tabs switch; always ask the program, never a stale copy.
    app.set_cache_mask(Atspi.Cache.NONE)
    step("found %r on the accessibility bus" % app.name)

    step("Alcohol Content: the controls")
    txt1, txt2, txt3, txt4 = check_controls(app, FIRST_TAB_BOXES, FIRST_TAB_BOXES[2:])

    step("Alcohol Content: the caret starts in the original gravity")
    if not wait_until(lambda: txt1.getState().contains(pyatspi.STATE_FOCUSED), 5):
        raise Failure("%r does not have the keyboard focus at start" % txt1.name)
    type_into(txt1, "1.050", already_focused=True)
    type_into(txt2, "1.010")
    step("Alcohol Content: click Calculate")
    click(the_shown(app, pyatspi.ROLE_PUSH_BUTTON, "Calculate"))
    expect_text(txt3, "5.25%", "1.050 and 1.010")
    expect_text(txt4, "4.20%", "1.050 and 1.010")
    expect_text(txt1, "1.050", "after Calculate")
    expect_text(txt2, "1.010", "after Calculate")

    step("switch to Bottling Gravity")
    click(the_shown(app, pyatspi.ROLE_PAGE_TAB, "Bottling Gravity"))
    if not wait_until(lambda: [b.name for b in shown(app, pyatspi.ROLE_TEXT)] == SECOND_TAB_BOXES,
                      5):
        raise Failure("after clicking the tab the boxes on screen are %s"
                      % [b.name for b in shown(app, pyatspi.ROLE_TEXT)])
    step("Bottling Gravity: the controls")
    txt5, txt6, txt7, txt8 = check_controls(app, SECOND_TAB_BOXES, SECOND_TAB_BOXES[3:])
    type_into(txt5, "1.050")
    type_into(txt6, "5.25")
    expect_text(txt7, "4.20", "typing 5.25 by volume")
    step("Bottling Gravity: click Calculate")
    click(the_shown(app, pyatspi.ROLE_PUSH_BUTTON, "Calculate"))
    expect_text(txt8, "1.010", "1.050 at 5.25% by volume")

    step("close the window through the window manager (Alt+F4)")
    xdotool("windowactivate", "--sync", window)
    xdotool("key", "alt+F4")
    if wait_until(lambda: not visible_windows(TITLE), 5) is not True:
        raise Failure("the window is still visible after Alt+F4")
    # A program that quits instead of hiding needs a moment to go.
    time.sleep(1)
    if app_process.poll() is not None:
        # Without a notification area the window could never come back, so the program ends.
        raise Failure("the program ended (exit code %s); it should keep running hidden "
                      "(is a notification area running?)" % app_process.returncode)
    if visible_windows(TITLE):
        raise Failure("the window came back by itself")
    print("   process %d still running, window not visible" % app_process.pid, flush=True)

    step("closing emptied all eight boxes")
    for box in (txt1, txt2, txt3, txt4, txt5, txt6, txt7, txt8):
        left = text_of(box)
        if left != "":
            raise Failure("after closing, %r still reads %r" % (box.name, left))
    print("   all eight read ''", flush=True)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: e2e-window.py PROGRAM")
    # ctest's timeout sends TERM: still stop the program.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(130))
    with tempfile.TemporaryFile("w+") as log:
        try:
            run(sys.argv[1], log)
        except Failure as failure:
            print("FAIL:", failure, file=sys.stderr, flush=True)
            log.seek(0)
            output = log.read().strip()
            if output:
                print("program output:\n" + output, file=sys.stderr)
            sys.exit(1)
    print("PASS: calculated on both tabs as a user would; closing hid the window and the program "
          "kept running", flush=True)


if __name__ == "__main__":
    main()
