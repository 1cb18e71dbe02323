#!/usr/bin/python3
"""The installed program as a brewer starts it: from a folder with spaces and non-ASCII letters,
through bin/'s link, finding its sound and help beside itself; and without a display at all.
    test_program.py PROGRAM [CASE...]    (PROGRAM in BUILD/bin: BUILD is installed)
"""
import os
import subprocess

from desktop import Desktop, Failure, main, step


def installed_in_an_odd_folder(program):
    """the install tree in 'Brew Kit Ünïcode ß': cue, help, window class"""
    with Desktop(sound=True) as d:
        prefix = os.path.join(d.folder("Brew Kit Ünïcode ß"), "usr")
        subprocess.run(["cmake", "--install", os.path.dirname(os.path.dirname(program)), "--prefix", prefix],
                       check=True, stdout=subprocess.DEVNULL)
        recording = d.record()
        p = d.start_program(os.path.join(prefix, "bin", "merow-hopsmeld-helper"), cwd="/")
        window = d.wait_until(d.windows, 15, "the window")[0]
        d.wait_until(lambda: d.active_window() == window, 5, "the window to take the keyboard")
        with open(os.path.join(prefix, "share/applications/org.example.HopsmeldHelper.desktop")) as entry:
            wm_class = [l.split("=")[1].strip() for l in entry if l.startswith("StartupWMClass=")][0]
        if '"%s"' % wm_class not in d.run("xprop", "-id", window, "WM_CLASS"):
            raise Failure("the window's class is not the desktop entry's StartupWMClass %r" % wm_class)
        step("a calculation from the keyboard: one cue")
        d.xdotool("type", "--delay", "20", "1.050\t1.010\t ")
        recording.wait_for(1)
        heard = recording.bursts()
        if heard != 1:
            raise Failure("heard %d cues, expected 1" % heard)
        for key, title in (("alt+h", "Merow Hopsmeld Helper Help"), ("alt+b", "Beer Guide")):
            d.xdotool("windowactivate", "--sync", window)
            d.xdotool("key", key)
            d.wait_until(lambda: d.windows(title), 5, "%s to show %r" % (key, title))
        if not p.running():
            raise Failure("the program ended: " + p.output())


def no_display(program):
    """no display: one line on stderr and status 1"""
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    run = subprocess.run([program], env=env, capture_output=True, text=True, timeout=30)
    if run.returncode != 1 or len(run.stderr.splitlines()) != 1 or "cannot open a window" not in run.stderr:
        raise Failure("status %d, stderr %r" % (run.returncode, run.stderr))


CASES = [installed_in_an_odd_folder, no_display]

if __name__ == "__main__":
    main(CASES)
