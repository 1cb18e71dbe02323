#!/usr/bin/python3
"""The program in unfriendly surroundings, each case with what the user gets:

    e2e-hostile.py PROGRAM

Run inside with-xvfb.sh --wm --tray and with-pulse.sh, with Debian's python3. Each case copies
the program, and what it finds beside itself, into a folder of its own and spoils one thing.
"""
import importlib.util
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def load(name, file):
    module_spec = importlib.util.spec_from_file_location(name, os.path.join(HERE, file))
    module = importlib.util.module_from_spec(module_spec)
    module_spec.loader.exec_module(module)
    return module


ui = load("e2e_window", "e2e-window.py")
tray = load("e2e_tray", "e2e-tray.py")
Failure, step, wait_until, xdotool = ui.Failure, ui.step, ui.wait_until, ui.xdotool
TITLE = ui.TITLE
BESIDE = ["Burp.wav", "Hopsmeld.html", "Beerhlp.html"]


class Program:
    """A copy of the program in its own folder, started and driven from the keyboard."""

    def __init__(self, source, folder, leave_out=(), replace=None, env=None):
        os.makedirs(folder)
        self.path = os.path.join(folder, os.path.basename(source))
        shutil.copy2(source, self.path)
        for name in BESIDE:
            if name not in leave_out:
                os.makedirs(os.path.join(folder, os.path.dirname(name)), exist_ok=True)
                shutil.copy2(os.path.join(os.path.dirname(source), name),
                             os.path.join(folder, name))
        for name, contents in (replace or {}).items():
            with open(os.path.join(folder, name), "wb") as file:
                file.write(contents)
        self.env = dict(os.environ, LC_ALL="C.UTF-8", **(env or {}))
        self.log = tempfile.TemporaryFile("w+")
        self.process = None
        self.window = None

    def start(self):
        self.process = subprocess.Popen([self.path], env=self.env, stdout=self.log,
                                        stderr=self.log, cwd="/")
        windows = wait_until(lambda: ui.visible_windows(TITLE), 15)
        if len(windows) != 1:
            raise Failure("the window did not come up")
        self.window = windows[0]
        xdotool("windowactivate", "--sync", self.window)
        time.sleep(0.5)
        return self

    def calculate(self):
        """1.050 and 1.010, then Calculate: the caret starts in the first box."""
        xdotool("type", "--delay", "20", "1.050")
        xdotool("key", "Tab")
        xdotool("type", "--delay", "20", "1.010")
        xdotool("key", "Tab", "space")
        time.sleep(1)

    def click(self, x, y):
        """A point of the client area (below the menu bar), in pixels."""
        geometry = dict(l.split("=") for l in xdotool("getwindowgeometry", "--shell", self.window)
                        if "=" in l)
        menu_bar = int(geometry["HEIGHT"]) - 352
        xdotool("mousemove", "--window", self.window, str(x), str(menu_bar + y), "click", "1")

    def alive(self):
        return self.process.poll() is None

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()


def expect(condition, message):
    if not condition:
        raise Failure(message)


def heard_cues(run):
    recorder = tray.Recorder(os.path.join(tempfile.mkdtemp(), "monitor.raw"))
    run()
    return recorder.bursts()


def no_error_message():
    return not ui.visible_windows("Hopsmeld Error")


def case_spaces_and_non_ascii(program, work):
    folder = os.path.join(work, "Brew Kit Ünïcode ß", "bin dir")
    p = Program(program, folder)
    try:
        cues = heard_cues(lambda: p.start().calculate())
        expect(cues == 1, "a path with spaces and non-ASCII letters: %d cues, expected 1" % cues)
        xdotool("key", "alt+h")
        expect(wait_until(lambda: ui.visible_windows("Merow Hopsmeld Helper Help"), 5),
               "the help document beside the program was not found")
        print("   user gets: the cue and the help, as anywhere else", flush=True)
    finally:
        p.stop()


def case_burp_missing_or_not_a_wav(program, work):
    for label, options in (("missing", {"leave_out": ["Burp.wav"]}),
                           ("not a WAV", {"replace": {"Burp.wav": b"<html>not a sound</html>\n"}}),
                           ("cut short", {"replace": {"Burp.wav": b"RIFF\x24\x00\x00\x00WAVEfmt "}})):
        p = Program(program, os.path.join(work, "burp " + label), **options)
        try:
            cues = heard_cues(lambda: (p.start().calculate(), p.calculate()))
            expect(cues == 0, "Burp.wav %s: heard %d cues" % (label, cues))
            expect(p.alive() and no_error_message(), "Burp.wav %s: the program complained or ended" % label)
            print("   Burp.wav %s: user gets results in silence, no message" % label, flush=True)
        finally:
            p.stop()


def case_help_missing(program, work):
    p = Program(program, os.path.join(work, "no help"), leave_out=["Hopsmeld.html", "Beerhlp.html"])
    try:
        p.start()
        xdotool("key", "alt+b")
        expect(wait_until(lambda: ui.visible_windows("Help: cannot find Beerhlp.hlp"), 5),
               "no 'cannot find' page for a missing Beer Guide")
        expect(p.alive() and no_error_message(), "a missing help document ended or upset the program")
        print("   user gets: the viewer's 'cannot find Beerhlp.hlp' page", flush=True)
    finally:
        p.stop()


def case_no_mail_handler(program, work):
    empty = os.path.join(work, "empty path")
    os.makedirs(empty)
    p = Program(program, os.path.join(work, "no mail"), env={"PATH": empty})
    try:
        p.start()
        p.click(262, 10)   # the About tab
        time.sleep(0.3)
        p.click(160, 256)  # the e-mail address
        time.sleep(1)
        expect(p.alive() and no_error_message(), "clicking the address without a mail program failed")
        expect(ui.visible_windows(TITLE), "the window went away")
        print("   user gets: nothing happens, no message", flush=True)
    finally:
        p.stop()


def case_no_sound_server(program, work):
    p = Program(program, os.path.join(work, "no sound"),
                env={"PULSE_SERVER": "unix:/nonexistent/hopsmeld-no-sound"})
    try:
        cues = heard_cues(lambda: (p.start().calculate(), p.calculate()))
        expect(cues == 0, "reached a sound server it was not given")
        expect(p.alive() and no_error_message(), "no sound server: the program failed")
        print("   user gets: results in silence", flush=True)
    finally:
        p.stop()


def case_read_only_folder(program, work):
    folder = os.path.join(work, "read only")
    p = Program(program, folder)
    # Root writes anywhere: a read-only bind mount in a mount namespace of its own makes it real.
    # Where namespaces are not allowed, a folder nobody may write to is the next best thing.
    namespaces = subprocess.run(["unshare", "-m", "true"], capture_output=True).returncode == 0
    if namespaces:
        command = ["unshare", "-m", "sh", "-c",
                   'mount --bind "$1" "$1" && mount -o remount,ro,bind "$1" "$1" || exit 3; '
                   'touch "$1/probe" 2>/dev/null && exit 4; exec "$1/merow-hopsmeld-helper"',
                   "sh", folder]
    else:
        os.chmod(folder, 0o555)
        command = [p.path]
    try:
        p.process = subprocess.Popen(command, env=p.env, stdout=p.log, stderr=p.log, cwd="/")
        windows = wait_until(lambda: ui.visible_windows(TITLE), 15)
        expect(len(windows) == 1, "read-only folder: the window did not come up (status %s)"
               % p.process.poll())
        p.window = windows[0]
        xdotool("windowactivate", "--sync", p.window)
        time.sleep(0.5)
        cues = heard_cues(p.calculate)
        expect(cues == 1, "read-only folder: %d cues, expected 1" % cues)
        expect(p.alive(), "read-only folder: the program ended")
        print("   user gets: everything as usual (%s)"
              % ("read-only bind mount" if namespaces else "folder without write permission"),
              flush=True)
    finally:
        p.stop()
        os.chmod(folder, 0o755)


def case_no_display(program, work):
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    run = subprocess.run([program], env=env, capture_output=True, text=True, timeout=30)
    lines = run.stderr.strip().splitlines()
    expect(run.returncode == 1, "no display: status %d, expected 1" % run.returncode)
    expect(len(lines) == 1 and "cannot open a window" in lines[0],
           "no display: expected one clear line on stderr, got %r" % run.stderr)
    print("   user gets: %s" % lines[0], flush=True)


CASES = [
    ("a program folder with spaces and non-ASCII letters", case_spaces_and_non_ascii),
    ("Burp.wav missing, not a WAV, cut short", case_burp_missing_or_not_a_wav),
    ("help documents missing", case_help_missing),
    ("no mail handler on the system", case_no_mail_handler),
    ("no sound server", case_no_sound_server),
    ("a read-only program folder", case_read_only_folder),
    ("no display at all", case_no_display),
]


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: e2e-hostile.py PROGRAM")
    program = os.path.abspath(sys.argv[1])
    failed = []
    with tempfile.TemporaryDirectory() as work:
        for number, (name, case) in enumerate(CASES):
            step(name)
            try:
                case(program, os.path.join(work, str(number)))
            except Failure as failure:
                print("FAIL:", failure, file=sys.stderr, flush=True)
                failed.append(name)
    if failed:
        sys.exit("FAILED: " + "; ".join(failed))
    print("PASS: every hostile surrounding handled", flush=True)


if __name__ == "__main__":
    main()
