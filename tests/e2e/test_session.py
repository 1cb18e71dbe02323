#!/usr/bin/python3
"""One program per desktop session, and the end of a program that meets a failure it cannot
handle: a second start brings the first one's window back; starts at the same moment leave one;
memory running out during a paste ends in a message.

    test_session.py PROGRAM [CASE...]
"""
import os
import subprocess
import time

import pyatspi

from desktop import Desktop, Failure, is_shown, main, shown, step, the_shown, text_of

CLASS = "merow-hopsmeld-helper"


def icons(d):
    return [w for w in d.windows(classname=CLASS) if max(d.geometry(w)[2:]) <= 32]


def minimised(d, window):
    return "_NET_WM_STATE_HIDDEN" in d.run("xprop", "-id", window, "_NET_WM_STATE")


def second_start_shows_the_first(program):
    """a second start: the running window back as left, status 0, one program, one icon"""
    with Desktop(tray="trayer", atspi=True) as d:
        first = d.start_program(program)
        window = d.wait_until(d.windows, 15, "the window")[0]
        d.xdotool("windowactivate", "--sync", window)
        app = d.application(first.pid)
        d.wait_until(lambda: len(icons(d)) == 1, 10, "the tray icon")

        step("hidden by the Exit button on the second tab, then started again")
        the_shown(app, pyatspi.ROLE_PAGE_TAB, "Bottling Gravity").queryAction().doAction(0)
        txt5 = d.wait_until(lambda: [a for a in shown(app, pyatspi.ROLE_TEXT)
                                     if a.name == "Enter Original Gravity"], 5, "the second tab")[0]
        txt5.queryEditableText().setTextContents("1.060")
        the_shown(app, pyatspi.ROLE_PUSH_BUTTON, "Exit").queryAction().doAction(0)
        d.wait_until(lambda: not d.windows(), 5, "the Exit button to hide the window")
        started = time.monotonic()
        status = d.start_program(program).wait(10)
        if status != 0:
            raise Failure("the second start ended with %r" % status)
        d.wait_until(d.windows, 5, "the first window back")
        if not is_shown(txt5) or text_of(txt5) != "1.060":
            raise Failure("the window did not come back on the tab and with the boxes left")
        step("the second start took %.2f s" % (time.monotonic() - started))

        step("minimised, then started again: back to its normal size")
        d.xdotool("windowminimize", "--sync", window)
        if d.start_program(program).wait(10) != 0:
            raise Failure("the third start did not end with 0")
        d.wait_until(lambda: not minimised(d, window), 5, "the window restored")
        if not first.running() or len(d.windows()) != 1 or len(icons(d)) != 1:
            raise Failure("not one program with one window and one icon: " + first.output())

        step("the desktop's other calls: Open brings the window back, an unknown action is refused")
        the_shown(app, pyatspi.ROLE_PUSH_BUTTON, "Exit").queryAction().doAction(0)
        d.wait_until(lambda: not d.windows(), 5, "the window to hide")
        call = ["gdbus", "call", "--session", "-d", "org.example.HopsmeldHelper", "-o",
                "/org/example/HopsmeldHelper", "-m"]
        subprocess.run(call + ["org.freedesktop.Application.Open", "['file:///brew.txt']", "{}"], env=d.env, check=True,
                       stdout=subprocess.DEVNULL)
        d.wait_until(d.windows, 5, "the window after Open")
        refused = subprocess.run(call + ["org.freedesktop.Application.ActivateAction", "brew", "[]", "{}"],
                                 env=d.env, capture_output=True, text=True)
        if refused.returncode == 0 or "InvalidArgs" not in refused.stderr:
            raise Failure("ActivateAction of an unknown action: %r" % (refused.stderr or refused.stdout))


def starts_at_once_leave_one(program):
    """two starts at the same moment: one runs, the other ends with 0"""
    with Desktop(tray="trayer") as d:
        starts = [d.start_program(program) for _ in range(2)]
        d.wait_until(lambda: any(not p.running() for p in starts), 15, "one start to end")
        ended = [p for p in starts if not p.running()]
        d.holds(lambda: sum(p.running() for p in starts) == 1, 1, "both starts ended")
        if len(ended) != 1 or ended[0].wait() != 0:
            raise Failure("expected one start to end with 0: %s" % [p.process.returncode for p in starts])
        d.wait_until(lambda: len(d.windows()) == 1, 10, "the one window")


def memory_runs_out_in_a_paste(program):
    """a 1 MB paste with no memory to spare: the message, then status 1 without a core"""
    with Desktop(tray="trayer") as d:
        # One malloc arena, so the address space in use grows with what is allocated.
        p = d.start_program(program, env={"MALLOC_ARENA_MAX": "1"})
        window = d.wait_until(d.windows, 15, "the window")[0]
        d.wait_until(lambda: len(icons(d)) == 1, 10, "the tray icon")

        sizes = [0, 1]
        while sizes[-1] != sizes[-2] and len(sizes) < 50:  # settled: the same for half a second
            time.sleep(0.5)
            sizes.append(int(open("/proc/%d/statm" % p.pid).read().split()[0]) * 4096)
        subprocess.run(["prlimit", "--pid", str(p.pid), "--as=%d" % (sizes[-1] + (1 << 20))], check=True)
        with open(big := os.path.join(d.dir, "paste.txt"), "w") as file:
            file.write("1" * (1 << 20))
        d.start_program("xclip", "-selection", "clipboard", "-i", big)  # serves it until stopped
        d.xdotool("windowactivate", "--sync", window)
        d.xdotool("key", "ctrl+v")
        d.wait_until(lambda: len(d.windows()) == 2, 10, "the message box beside the window")
        d.screenshot(os.path.join(os.getcwd(), "memory-runs-out.png"))
        d.xdotool("key", "Return")
        status = p.wait(10)
        if status != 1 or "merow-hopsmeld-helper: not enough memory" not in p.output():
            raise Failure("ended with %r: %s" % (status, p.output()))


CASES = [second_start_shows_the_first, starts_at_once_leave_one, memory_runs_out_in_a_paste]

if __name__ == "__main__":
    main(CASES)
