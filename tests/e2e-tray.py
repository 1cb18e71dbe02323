#!/usr/bin/python3
"""End to end with a real notification area: the icon, its double click and its menu, the sound
of "Open Hopsmeld Helper", and the ways the program ends.

    e2e-tray.py PROGRAM

Run inside with-xvfb.sh --wm --tray, with-pulse.sh and with-atspi.sh, with Debian's python3.
"""
import importlib.util
import math
import os
import signal
import struct
import subprocess
import sys
import tempfile
import time

import pyatspi
from gi.repository import Atspi

HERE = os.path.dirname(os.path.abspath(__file__))
module_spec = importlib.util.spec_from_file_location("e2e_window", os.path.join(HERE, "e2e-window.py"))
ui = importlib.util.module_from_spec(module_spec)
module_spec.loader.exec_module(ui)
Failure, step, wait_until, xdotool = ui.Failure, ui.step, ui.wait_until, ui.xdotool
TITLE = ui.TITLE
CLASS = "^merow-hopsmeld-helper$"


def tray_icons():
    """The program's icon windows: small windows of its class docked in the notification area."""
    icons = []
    for window in xdotool("search", "--onlyvisible", "--classname", CLASS):
        geometry = dict(line.split("=") for line in
                        xdotool("getwindowgeometry", "--shell", window) if "=" in line)
        if int(geometry["WIDTH"]) <= 32 and int(geometry["HEIGHT"]) <= 32:
            icons.append((window, geometry))
    return icons


def the_icon():
    icons = wait_until(tray_icons, 10)
    if len(icons) != 1:
        raise Failure("expected exactly one tray icon, found %d" % len(icons))
    window, geometry = icons[0]
    return int(geometry["X"]) + int(geometry["WIDTH"]) // 2, int(geometry["Y"]) + int(geometry["HEIGHT"]) // 2


def click_icon(button, repeat=1):
    x, y = the_icon()
    # Not --sync: it waits for a motion that never comes when the pointer is already there.
    xdotool("mousemove", str(x), str(y))
    time.sleep(0.1)
    xdotool("click", "--repeat", str(repeat), "--delay", "80", str(button))


def popups():
    """Visible windows of the program that are neither its window nor its icon: the menu."""
    titled = set(ui.visible_windows(TITLE))
    icons = {window for window, _ in tray_icons()}
    return [w for w in xdotool("search", "--onlyvisible", "--classname", CLASS)
            if w not in titled and w not in icons]


def choose_from_tray_menu(access_key):
    """Right click on the icon, then the entry's access key, as a keyboard user would."""
    click_icon(3)
    if not wait_until(popups, 5):
        raise Failure("a right click on the icon opened no menu")
    xdotool("key", access_key)


class Recorder:
    """The private sound server's monitor, from now on."""

    def __init__(self, path):
        self.path = path
        self.file = open(path, "wb")
        self.started = time.monotonic()
        self.process = subprocess.Popen(
            ["parec", "--raw", "--format=s16le", "--channels=1", "--rate=8000",
             "--latency-msec=20", "--device=%s.monitor" % os.environ["HOPSMELD_TEST_SINK"]],
            stdout=self.file)

    def bursts(self):
        # The monitor arrives late: wait until the recording covers the time gone by.
        wanted = int((time.monotonic() - self.started - 0.1) * 16000)
        wait_until(lambda: os.path.getsize(self.path) >= wanted, 5)
        self.process.terminate()
        self.process.wait()
        self.file.close()
        data = open(self.path, "rb").read()
        samples = struct.unpack("<%dh" % (len(data) // 2), data[: len(data) // 2 * 2])
        loud = [math.sqrt(sum(s * s for s in samples[i:i + 80]) / 80) > 328
                for i in range(0, len(samples) - 80, 80)]
        return sum(1 for i, l in enumerate(loud) if l and not any(loud[max(0, i - 10):i]))


def start(program, log):
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", LC_ALL="C.UTF-8")
    process = subprocess.Popen([program], env=env, stdout=log, stderr=log)
    windows = wait_until(lambda: ui.visible_windows(TITLE), 15)
    if len(windows) != 1:
        raise Failure("the window did not come up")
    xdotool("windowactivate", "--sync", windows[0])
    app = wait_until(lambda: ui.find_application(process.pid), 15)
    if app is None:
        raise Failure("the program did not appear on the accessibility bus")
    app.set_cache_mask(Atspi.Cache.NONE)
    return process, app


def ended(process, seconds=5):
    try:
        return process.wait(seconds)
    except subprocess.TimeoutExpired:
        return None


def with_tray(program, log, workdir):
    recorder = Recorder(os.path.join(workdir, "monitor.raw"))
    process, app = start(program, log)
    try:
        step("one icon after start")
        the_icon()

        step("type on both tabs, then the window's Exit button")
        txt1 = ui.the_shown(app, pyatspi.ROLE_TEXT, "Enter Original Gravity")
        ui.type_into(txt1, "1.050", already_focused=True)
        ui.click(ui.the_shown(app, pyatspi.ROLE_PAGE_TAB, "Bottling Gravity"))
        wait_until(lambda: ui.the_shown(app, pyatspi.ROLE_TEXT, "Desired Bottling Gravity"), 5)
        txt5 = ui.the_shown(app, pyatspi.ROLE_TEXT, "Enter Original Gravity")
        ui.type_into(txt5, "1.060")
        ui.click(ui.the_shown(app, pyatspi.ROLE_PUSH_BUTTON, "Exit"))
        if wait_until(lambda: not ui.visible_windows(TITLE), 5) is not True:
            raise Failure("the Exit button did not hide the window")

        step("a single click on the icon does nothing visible")
        click_icon(1)
        time.sleep(0.8)
        if ui.visible_windows(TITLE):
            raise Failure("a single click brought the window back")

        step("double click on the icon: the window as it was left")
        click_icon(1, repeat=2)
        if not wait_until(lambda: ui.visible_windows(TITLE), 5):
            raise Failure("a double click on the icon did not show the window")
        ui.expect_text(txt5, "1.060", "the Bottling Gravity tab kept its boxes")
        if ui.text_of(txt1) != "":
            raise Failure("the Exit button should have emptied %r" % txt1.name)
        if not ui.is_shown(txt5):
            raise Failure("the window did not come back on the tab it was left on")
        the_icon()  # still exactly one

        step("right click: the menu; Open Hopsmeld Helper")
        ui.click(ui.the_shown(app, pyatspi.ROLE_PUSH_BUTTON, "Exit"))
        wait_until(lambda: not ui.visible_windows(TITLE), 5)
        choose_from_tray_menu("o")
        if not wait_until(lambda: ui.visible_windows(TITLE), 5):
            raise Failure("Open Hopsmeld Helper did not show the window")
        if not wait_until(lambda: ui.is_shown(txt1) and
                          txt1.getState().contains(pyatspi.STATE_FOCUSED), 5):
            raise Failure("Open Hopsmeld Helper did not put the caret into %r on the first tab"
                          % txt1.name)
        the_icon()

        step("right click: Exit ends the program and takes the icon along")
        time.sleep(1.2)  # the burp plays out
        choose_from_tray_menu("e")
        status = ended(process)
        if status != 0:
            raise Failure("Exit from the tray menu: the program %s"
                          % ("is still running" if status is None else "ended with %d" % status))
        if wait_until(lambda: not tray_icons(), 5) is not True:
            raise Failure("the icon stayed after the program ended")

        step("exactly one cue: Open Hopsmeld Helper; the double click is silent")
        heard = recorder.bursts()
        print("   bursts of sound: %d" % heard, flush=True)
        if heard != 1:
            raise Failure("heard %d cues, expected 1" % heard)
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()


def sigterm(program, log):
    process, _ = start(program, log)
    step("SIGTERM ends the program cleanly")
    process.send_signal(signal.SIGTERM)
    status = ended(process)
    if status != 0:
        raise Failure("after SIGTERM: %s" % ("still running" if status is None else "status %d" % status))
    if wait_until(lambda: not tray_icons(), 5) is not True:
        raise Failure("the icon stayed after SIGTERM")


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: e2e-tray.py PROGRAM")
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(130))
    with tempfile.TemporaryDirectory() as workdir, tempfile.TemporaryFile("w+") as log:
        try:
            with_tray(sys.argv[1], log, workdir)
            sigterm(sys.argv[1], log)
        except Failure as failure:
            print("FAIL:", failure, file=sys.stderr, flush=True)
            log.seek(0)
            print("program output:\n" + log.read().strip(), file=sys.stderr)
            sys.exit(1)
    print("PASS: one icon; double click and Open bring the window back as left; Exit and SIGTERM "
          "end the program and remove the icon", flush=True)


if __name__ == "__main__":
    main()
