#!/usr/bin/python3
"""test_program.py PROGRAM [CASE...]: the install tree of PROGRAM's build folder, started from a
folder with spaces and non-ASCII letters, finding its sound and help beside itself; no display."""
import os
import subprocess

from desktop import Desktop, Failure, main, wait_until


def installed_in_an_odd_folder(program):
    """the install tree in 'Brew Kit Ünïcode ß': window class, cue, help"""
    with Desktop(sound=True) as d:
        prefix = os.path.join(d.folder("Brew Kit Ünïcode ß"), "usr")
        subprocess.run(["cmake", "--install", os.path.dirname(os.path.dirname(program)), "--prefix", prefix],
                       check=True, stdout=subprocess.DEVNULL)
        recording = d.record()
        d.start_program(os.path.join(prefix, "bin", "merow-hopsmeld-helper"), cwd="/")
        window = wait_until(d.windows, 15, "the window")[0]
        wait_until(lambda: d.xdotool("getactivewindow") == [window], 5, "the window to take the keyboard")
        entry = os.path.join(prefix, "share/applications/org.example.HopsmeldHelper.desktop")
        wm_class = open(entry).read().split("StartupWMClass=")[1].split()[0]
        if '"%s"' % wm_class not in d.run("xprop", "-id", window, "WM_CLASS"):
            raise Failure("the window's class is not the desktop entry's StartupWMClass %r" % wm_class)
        d.xdotool("type", "--delay", "20", "1.050\t1.010\t ")  # a calculation
        recording.wait_for(1)
        if (heard := len(recording.sounds())) != 1:
            raise Failure("heard %d cues after a calculation, expected 1" % heard)
        for key, title in (("alt+h", "Merow Hopsmeld Helper Help"), ("alt+b", "Beer Guide")):
            d.xdotool("windowactivate", "--sync", window, "key", key)
            wait_until(lambda: d.windows(title), 5, "%s to show %r" % (key, title))


def no_window(program):
    """no display, a display not there, a platform plugin not installed: one line naming it, status 1"""
    for env, named in (({}, "neither DISPLAY nor WAYLAND_DISPLAY is set"),
                       ({"DISPLAY": ":987"}, "the X display :987 cannot be reached"),
                       ({"DISPLAY": ":987", "QT_QPA_PLATFORM": "brewpad"}, '"brewpad" is not installed')):
        env.update({k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")})
        run = subprocess.run([program], env=env, capture_output=True, text=True, timeout=30)
        if run.returncode != 1 or len(run.stderr.splitlines()) != 1 or named not in run.stderr:
            raise Failure("status %d, stderr %r, expected %r" % (run.returncode, run.stderr, named))


if __name__ == "__main__":
    main([installed_in_an_odd_folder, no_window])
