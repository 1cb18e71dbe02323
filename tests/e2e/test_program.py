#!/usr/bin/python3
"""test_program.py PROGRAM [CASE...]: the install tree of PROGRAM's build folder, started from a
folder with spaces and non-ASCII letters, finding its sound and help beside itself, started again
from a launcher; a German desktop; Wayland; no display."""
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from desktop import Desktop, Failure, Program, main, wait_until


def install(program, prefix):
    """The install tree of PROGRAM's build folder under prefix; the path of its program."""
    subprocess.run(["cmake", "--install", os.path.dirname(os.path.dirname(program)), "--prefix", prefix],
                   check=True, stdout=subprocess.DEVNULL)
    return os.path.join(prefix, "bin", "merow-hopsmeld-helper")


def installed_in_an_odd_folder(program):
    """the install tree in 'Brew Kit Ünïcode ß': window class, keys as X sends them, cue, help, a
    second start from a launcher bringing the window back in front of them"""
    with Desktop(sound=True) as d:
        prefix = os.path.join(d.folder("Brew Kit Ünïcode ß"), "usr")
        installed = install(program, prefix)
        recording = d.record()
        p = d.start_program(installed, cwd="/")
        window = wait_until(d.windows, 15, "the window")[0]
        wait_until(lambda: d.xdotool("getactivewindow") == [window], 5, "the window to take the keyboard")
        sound = lambda: [lib for lib in ("libpulse.so", "libsndfile.so") if lib in open("/proc/%d/maps" % p.pid).read()]
        if sound():
            raise Failure("%s loaded before any key or click" % sound())
        d.xdotool("mousemove", "--window", window, "20", "150", "click", "1")  # on the tab's bare page
        wait_until(lambda: len(sound()) == 2, 5, "the sound libraries loaded at the first click")
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


def german(program):
    """German numbers, in German words and in English ones: "1,050" and "1,010" give "5,25%" and
    "4,20%"; "1.050" is refused"""
    # Read by Qt itself; the C library, left in C, would show points.
    for session, error in (({"LC_ALL": "de_DE.UTF-8"}, "Hopsmeld-Fehler"),
                           ({"LANG": "en_US.UTF-8", "LC_NUMERIC": "de_DE.UTF-8"}, "Hopsmeld Error")):
        with Desktop() as d:
            d.env.pop("LC_ALL")
            d.env.update(session)
            d.start_program(program)
            d.xdotool("windowactivate", "--sync", wait_until(d.windows, 15, "the window")[0])
            d.xdotool("type", "--delay", "20", "1.050\t1,010\t ")
            wait_until(lambda: d.windows(error), 5, '"1.050" refused in %s' % session)
            d.xdotool("key", "Return", "shift+Tab", "shift+Tab", "ctrl+a", "type", "--delay", "20", "1,050\t\t ")
            for result in ("5,25%", "4,20%"):  # each box's text through the clipboard
                d.xdotool("key", "Tab", "ctrl+a", "ctrl+c")
                wait_until(lambda: d.run("xclip", "-o", "-selection", "clipboard") == result, 5, result)


def wayland(program):
    """natively on Wayland (headless sway) under its desktop entry's id: a calculation; waybar's tray
    started after it shows the icon; closed, back from the icon"""
    folder, services = tempfile.mkdtemp(prefix="hopsmeld-wayland-"), []
    try:
        installed, run = install(program, folder + "/usr"), folder + "/run"
        os.mkdir(run, 0o700)
        with open(folder + "/waybar.json", "w") as config:
            config.write('{"height": 30, "modules-right": ["tray"], "tray": {"spacing": 10}}')
        open(folder + "/sway.conf", "w").close()
        env = ["env", "-i", "PATH=" + os.environ["PATH"], "HOME=" + folder, "XDG_RUNTIME_DIR=" + run,
               "DBUS_SESSION_BUS_ADDRESS=unix:path=%s/bus" % run, "WLR_BACKENDS=headless", "WLR_RENDERER=pixman",
               "WLR_LIBINPUT_NO_DEVICES=1"]
        if os.geteuid() == 0:  # sway refuses root: a user of its own
            user = os.environ.get("HOPSMELD_WAYLAND_USER", "hopsmeld-wayland")
            if subprocess.run(["id", user], capture_output=True).returncode:
                subprocess.run(["useradd", "--system", "--no-create-home", "--shell", "/usr/sbin/nologin", user], check=True)
            subprocess.run(["chown", "-R", user, folder], check=True)
            env = ["runuser", "-u", user, "--"] + env
        start = lambda *args: services.append(Program(env + list(args), os.environ)) or services[-1]
        user_run = lambda *args: subprocess.run(env + list(args), capture_output=True, text=True).stdout
        start("dbus-daemon", "--session", "--nofork", "--address=unix:path=%s/bus" % run)
        wait_until(lambda: os.path.exists(run + "/bus"), 10, "the session bus")
        start("sway", "-c", folder + "/sway.conf")
        sockets = wait_until(lambda: glob.glob(run + "/sway-ipc.*.sock") and glob.glob(run + "/wayland-?"), 10, "sway")
        env += ["SWAYSOCK=" + glob.glob(run + "/sway-ipc.*.sock")[0], "WAYLAND_DISPLAY=" + os.path.basename(sockets[0])]
        watcher = lambda what: user_run("gdbus", "call", "--session", "-d", "org.kde.StatusNotifierWatcher", "-o",
                                        "/StatusNotifierWatcher", "-m", "org.freedesktop.DBus.Properties.Get",
                                        "org.kde.StatusNotifierWatcher", what)
        start(installed)
        shells = lambda: re.findall(r'"name": "Merow Hopsmeld Helper",.*?"shell": "(\w+)"',  # how it is shown
                                    user_run("swaymsg", "-t", "get_tree"), re.S)
        if wait_until(shells, 15, "the window") != ["xdg_shell"]:
            raise Failure("not a native Wayland window: %s" % shells())
        if '"app_id": "org.example.HopsmeldHelper"' not in user_run("swaymsg", "-t", "get_tree"):
            raise Failure("the window's app id is not the desktop entry's")
        start("waybar", "-c", folder + "/waybar.json")  # later than the program, as a panel can be
        wait_until(lambda: "true" in watcher("IsStatusNotifierHostRegistered"), 10, "waybar's tray")
        items = lambda: re.findall("'([^'/]+)/StatusNotifierItem'", watcher("RegisteredStatusNotifierItems"))
        item = wait_until(items, 10, "the icon in waybar")[0]
        user_run("wtype", "-k", "Shift_L", "1.050", "-k", "Tab", "1.010", "-k", "Tab", "-k", "space",
                 "-k", "Tab", "-M", "ctrl", "a", "c", "-m", "ctrl")  # Calculate, then the volume copied
        wait_until(lambda: user_run("wl-paste", "-n") == "5.25%", 5, "5.25% by volume")
        user_run("swaymsg", "[title=Hopsmeld] kill")
        wait_until(lambda: not shells(), 5, "the window hidden by its close")
        user_run("gdbus", "call", "--session", "-d", item, "-o", "/StatusNotifierItem", "-m",
                 "org.kde.StatusNotifierItem.Activate", "0", "0")  # what a click on the icon sends
        wait_until(shells, 5, "the window back from the icon")
    except Failure:
        print("".join(service.output() for service in services), file=sys.stderr)
        raise
    finally:
        for service in reversed(services):
            service.stop()
        shutil.rmtree(folder, ignore_errors=True)


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
    main([installed_in_an_odd_folder, german, wayland, no_window])
