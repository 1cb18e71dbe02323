#!/usr/bin/python3
"""test_program.py PROGRAM [CASE...]: the install tree of PROGRAM's build folder, started from a
folder with spaces and non-ASCII letters, finding its sound and help beside itself, started again
from a launcher; no display."""
import os
import subprocess
import tempfile
import time

from desktop import Desktop, Failure, main, wait_until


def installed_in_an_odd_folder(program):
    """the install tree in 'Brew Kit Ünïcode ß': window class, keys as X sends them, cue, help, a
    second start from a launcher bringing the window back in front of them"""
    with Desktop(sound=True) as d:
        prefix = os.path.join(d.folder("Brew Kit Ünïcode ß"), "usr")
        subprocess.run(["cmake", "--install", os.path.dirname(os.path.dirname(program)), "--prefix", prefix],
                       check=True, stdout=subprocess.DEVNULL)
        recording = d.record()
        installed = os.path.join(prefix, "bin", "merow-hopsmeld-helper")
        d.start_program(installed, cwd="/")
        window = wait_until(d.windows, 15, "the window")[0]
        wait_until(lambda: d.xdotool("getactivewindow") == [window], 5, "the window to take the keyboard")
        entry = os.path.join(prefix, "share/applications/org.example.HopsmeldHelper.desktop")
        wm_class = open(entry).read().split("StartupWMClass=")[1].split()[0]
        if '"%s"' % wm_class not in d.run("xprop", "-id", window, "WM_CLASS"):
            raise Failure("the window's class is not the desktop entry's StartupWMClass %r" % wm_class)
        # Alt+C is no access key and types nothing; Ctrl+Shift+Tab comes back to the first box.
        d.xdotool("type", "--delay", "20", "1.050")
        d.xdotool("key", "--delay", "20", "alt+c", "ctrl+Tab", "ctrl+shift+Tab")
        d.xdotool("type", "--delay", "20", "\t1.010\t ")  # a calculation
        recording.wait_for(1)
        if (heard := len(recording.sounds())) != 1:
            raise Failure("heard %d cues after a calculation, expected 1" % heard)
        for key, title in (("alt+h", "Merow Hopsmeld Helper Help"), ("alt+b", "Beer Guide")):
            d.xdotool("windowactivate", "--sync", window, "key", key)
            wait_until(lambda: d.windows(title), 5, "%s to show %r" % (key, title))
        # The launcher's startup id, with the time of its click, reaches the window's activation.
        launch = "launcher-1_TIME%d" % (time.clock_gettime_ns(time.CLOCK_MONOTONIC) // 10**6 % 2**32)
        again = d.start_program(installed, env={"DESKTOP_STARTUP_ID": launch})
        wait_until(lambda: again.process.poll() == 0, 10, "the second start to hand over")
        wait_until(lambda: d.xdotool("getactivewindow") == [window], 5, "the window back in front")
        if '"%s"' % launch not in d.run("xprop", "-id", window, "_NET_STARTUP_ID"):
            raise Failure("the window does not carry the launcher's startup id")


def no_window(program):
    """no display, a display not there, a platform plugin not installed or one whose library is
    broken: one line naming it (the loader's own reason), status 1; --help and --version need none"""
    with tempfile.TemporaryDirectory(prefix="hopsmeld-broken-") as broken:
        open(os.path.join(broken, "libxcb-icccm.so.4"), "w").close()  # empty, first on the path
        for args, env, named in (
                ([], {}, "neither DISPLAY nor WAYLAND_DISPLAY is set"),
                ([], {"DISPLAY": ":987"}, "the X display :987 cannot be reached"),
                ([], {"DISPLAY": ":987", "QT_QPA_PLATFORM": "brewpad"}, '"brewpad" is not installed'),
                ([], {"DISPLAY": ":987", "LD_LIBRARY_PATH": broken},
                 '"xcb" cannot be loaded: %s/libxcb-icccm.so.4: file too short' % broken),
                (["--help"], {}, "-v, --version"), (["--version"], {}, "Merow Hopsmeld Helper ")):
            env = dict({k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")},
                       **env)
            run = subprocess.run([program, *args], env=env, capture_output=True, text=True, timeout=30)
            status, said = (0, run.stdout) if args else (1, run.stderr)
            if run.returncode != status or (not args and len(said.splitlines()) != 1) or named not in said:
                raise Failure("%s: status %d, said %r, expected %r" % (args, run.returncode, said, named))


if __name__ == "__main__":
    main([installed_in_an_odd_folder, no_window])
