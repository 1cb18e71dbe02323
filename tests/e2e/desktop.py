"""A private desktop per test case, torn down by process group even when the case fails:
Xvfb (-displayfd, 96 dpi), a session bus, openbox (focus_new=False: new windows not focused), a
tray host (None, "trayer" for XEmbed, "xfce", "lxqt" or "gnome" for StatusNotifierItem; GNOME Shell
replaces openbox), PulseAudio with a null sink and a low-latency monitor reader, AT-SPI; HOME and
the XDG folders private.
    with Desktop(tray="trayer", sound=True) as d: p = d.start_program(PROGRAM) ...
As a command: desktop.py [--tray HOST] [--sound] [--atspi] -- COMMAND...
"""
import math, os, shutil, signal, struct, subprocess, sys, tempfile, time

TITLE = "Merow Hopsmeld Helper"
NO_SOUND = "unix:/nonexistent/hopsmeld-no-sound"
SINK = "testsink"
TRAY_HOSTS = (None, "trayer", "xfce", "lxqt", "gnome")


class Failure(Exception):
    pass


def step(message):
    print("--", message, flush=True)


def wait_until(probe, timeout=10, what=None):
    """probe()'s first true answer, polled every 10 ms. On timeout: Failure naming `what`, or
    the last answer when `what` is None."""
    end = time.monotonic() + timeout
    while not (answer := probe()) and time.monotonic() < end:
        time.sleep(0.01)
    if not answer and what is not None:
        raise Failure("waited %g s for %s" % (timeout, what))
    return answer


def holds(probe, seconds, what):
    """For what must not happen: probe() stays true all the time, or Failure(what)."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if not probe():
            raise Failure(what)
        time.sleep(0.02)


def _group_gone(group):
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            state, _, pgrp = open("/proc/%s/stat" % pid).read().rsplit(")", 1)[1].split()[:3]
        except OSError:
            continue
        if int(pgrp) == group and state != "Z":  # zombies wait for whoever reaps them
            return False
    return True


class Program:
    """A process in a group of its own; its output is kept for the failure report."""

    def __init__(self, args, env, cwd=None, pass_fds=()):
        self.log = tempfile.TemporaryFile("w+")
        self.process = subprocess.Popen(args, env=env, cwd=cwd, stdout=self.log, stderr=subprocess.STDOUT,
                                        pass_fds=pass_fds, start_new_session=True)
        self.pid = self.process.pid

    def running(self):
        return self.process.poll() is None

    def wait(self, timeout=10):
        """The exit status, or None if it still runs after `timeout` seconds."""
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def signal(self, number):
        self.process.send_signal(number)

    def output(self):
        self.log.seek(0)
        return self.log.read()

    def stop(self, grace=3):
        """TERM to the whole group, KILL after `grace` seconds."""
        for sig in (signal.SIGTERM, signal.SIGKILL):
            try:
                os.killpg(self.pid, sig)
            except ProcessLookupError:
                break
            if self.wait(grace) is not None and wait_until(lambda: _group_gone(self.pid), grace):
                break
        self.process.poll()


class Recording:
    """The sink's monitor from its start on, 8 kHz mono, cut in 10 ms blocks."""

    def __init__(self, env, path):
        self.path, self.started, self.samples = path, time.monotonic(), None
        self.file = open(path, "wb")
        self.process = subprocess.Popen(["parec", "--raw", "--format=s16le", "--channels=1", "--rate=8000",
                                         "--latency-msec=20", "--device=%s.monitor" % SINK], env=env, stdout=self.file)

    def samples_so_far(self):
        """What the recording holds by now, as loud() has it; the recording goes on."""
        time.sleep(0.3)  # the monitor runs late
        return self._read()

    def _read(self):
        data = open(self.path, "rb").read()
        s = struct.unpack("<%dh" % (len(data) // 2), data[: len(data) // 2 * 2])
        return [math.sqrt(sum(x * x for x in s[i:i + 80]) / 80) > 328 for i in range(0, len(s) - 80, 80)]

    @staticmethod
    def _count(loud, gap):
        return sum(1 for i, l in enumerate(loud) if l and not any(loud[max(0, i - int(gap * 100)):i]))

    def stop(self):
        if self.samples is None:  # the monitor runs late: wait until it covers the time gone by
            wanted = int((time.monotonic() - self.started - 0.1) * 16000)
            wait_until(lambda: os.path.getsize(self.path) >= wanted, 5)
            self.process.terminate()
            self.process.wait()
            self.file.close()
            self.samples = self._read()
        return self.samples

    def loud(self):
        """One flag per 10 ms block: louder than -40 dBFS."""
        return self.stop()

    def bursts(self, gap=0.1):
        """Sounds with at least `gap` seconds of silence before each."""
        return self._count(self.stop(), gap)

    def wait_for(self, count, timeout=5, gap=0.1):
        """Until `count` sounds have been heard and have ended; the recording goes on."""
        def heard():
            loud = self._read()
            return self._count(loud, gap) >= count and not any(loud[-int(gap * 100):])
        wait_until(heard, timeout, "%d sounds" % count)


class Desktop:
    def __init__(self, focus_new=True, tray=None, sound=False, atspi=False):
        assert tray in TRAY_HOSTS, tray
        self.focus_new, self.tray, self.sound, self.atspi = focus_new, tray, sound, atspi
        self.services, self.programs, self.recordings = [], [], []
        self.saved_environ = dict(os.environ)

    def __enter__(self):
        self.dir = tempfile.mkdtemp(prefix="hopsmeld-e2e-")
        home, run = self.folder("home"), self.folder("run")
        os.chmod(run, 0o700)
        self.env = {k: v for k, v in os.environ.items() if not k.startswith(
            ("XDG_", "DBUS_", "PULSE_", "AT_SPI_", "QT_", "WAYLAND_", "SESSION_MANAGER", "GTK_"))}
        self.env.update(HOME=home, XDG_RUNTIME_DIR=run, XDG_CONFIG_HOME=home + "/.config",
                        XDG_DATA_HOME=home + "/.local/share", XDG_CACHE_HOME=home + "/.cache",
                        XDG_CONFIG_DIRS=self.folder("xdg") + ":/etc/xdg", QT_QPA_PLATFORM="xcb",
                        LC_ALL="C.UTF-8", PULSE_SERVER=NO_SOUND)
        try:
            self.display = self.env["DISPLAY"] = ":" + self._announced(
                "Xvfb", "-displayfd", "FD", "-screen", "0", "1280x1024x24", "-dpi", "96", "-nolisten", "tcp", "-noreset")
            self.env["DBUS_SESSION_BUS_ADDRESS"] = self._announced("dbus-daemon", "--session", "--nofork",
                                                                   "--print-address=FD")
            os.environ.pop("AT_SPI_BUS_ADDRESS", None)  # this process uses the bus too
            os.environ.update({k: self.env[k] for k in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR")})
            for part, wanted in (("openbox", self.tray != "gnome"), ("pulse", self.sound),
                                 ("atspi", self.atspi), (self.tray, self.tray)):
                if wanted:
                    getattr(self, "_start_" + part)()
        except BaseException:
            self.__exit__()
            raise
        return self

    def __exit__(self, *exc):
        if exc and exc[0] is not None:  # what the programs said belongs in the failure's report
            for program in self.programs:
                print("   output of %s (pid %d, %s):\n%s" % (
                    os.path.basename(program.process.args[0]), program.pid,
                    "running" if program.running() else "status %s" % program.process.returncode,
                    program.output().rstrip() or "   (none)"), file=sys.stderr, flush=True)
        for recording in self.recordings:
            recording.process.kill()
            recording.process.wait()
        for program in reversed(self.services + self.programs):
            program.stop()
        os.environ.clear()
        os.environ.update(self.saved_environ)
        shutil.rmtree(self.dir, ignore_errors=True)

    def folder(self, *parts):
        os.makedirs(path := os.path.join(self.dir, *parts), exist_ok=True)
        return path

    def _service(self, *args):
        self.services.append(Program(args, self.env))

    def _announced(self, *args):
        """Starts a service that writes one line to descriptor FD once it is ready."""
        read, write = os.pipe()
        service = Program([a.replace("FD", str(write)) for a in args], self.env, pass_fds=(write,))
        self.services.append(service)
        os.close(write)
        with os.fdopen(read) as pipe:
            if not (line := pipe.readline().strip()):
                raise Failure("%s did not start: %s" % (args[0], service.output()))
        return line

    def _start_openbox(self):
        rc = open("/etc/xdg/openbox/rc.xml").read()
        with open(os.path.join(self.dir, "openbox.xml"), "w") as file:
            file.write(rc if self.focus_new else rc.replace("<focusNew>yes", "<focusNew>no"))
        self._service("openbox", "--sm-disable", "--config-file", file.name)
        wait_until(lambda: "window id" in self.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK"), 10, "openbox")

    def _start_pulse(self):
        socket = self.env["XDG_RUNTIME_DIR"] + "/pulse/native"
        self.env.update(PULSE_SERVER="unix:" + socket, HOPSMELD_TEST_SINK=SINK)
        self._service("pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit", "--use-pid-file=no",
                      "-L", "module-native-protocol-unix socket=" + socket, "-L", "module-null-sink sink_name=" + SINK)
        wait_until(lambda: subprocess.run(["pactl", "info"], env=self.env, capture_output=True).returncode == 0,
                   10, "PulseAudio")
        # A short-latency reader makes the null sink render in small blocks, and a stream of
        # silence keeps it running, so a recording's time line follows the clock.
        self._service("sh", "-c", "exec parec --raw --latency-msec=20 -d %s.monitor >/dev/null" % SINK)
        self._service("pacat", "--raw", "--latency-msec=20", "/dev/zero")

    def _start_atspi(self):
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        self._service("/usr/libexec/at-spi-bus-launcher", "--launch-immediately")
        wait_until(lambda: self.bus_has("org.a11y.Bus"), 10, "the accessibility bus")

    def _start_trayer(self):
        self._service("trayer", "--edge", "top", "--align", "left", "--widthtype", "request", "--height", "24",
                      "--SetDockType", "false", "--SetPartialStrut", "false", "--transparent", "false")
        wait_until(lambda: '("panel" "trayer")' in self.run("xwininfo", "-root", "-tree"), 10, "trayer")

    def _start_xfce(self):
        open(self.folder("xdg", "xfce4", "panel") + "/default.xml", "w").write(XFCE_PANEL)
        self._service("xfce4-panel", "--disable-wm-check")
        wait_until(lambda: self.watcher_property("IsStatusNotifierHostRegistered") == "true", 20, "the Xfce tray")

    def _start_lxqt(self):
        open(self.folder("home", ".config", "lxqt") + "/panel.conf", "w").write(LXQT_PANEL)
        self._service("lxqt-panel")
        wait_until(lambda: self.watcher_property("IsStatusNotifierHostRegistered") == "true", 20, "the LXQt tray")

    def _start_gnome(self):
        # GNOME Shell aborts without logind's system bus: a permissive one of its own.
        run = self.env["XDG_RUNTIME_DIR"]
        open(config := os.path.join(self.dir, "system-bus.xml"), "w").write(SYSTEM_BUS % run)
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = self._announced("dbus-daemon", "--config-file=" + config, "--nofork",
                                                              "--print-address=FD")
        for schema, key, value in (("org.gnome.shell", "enabled-extensions", "['ubuntu-appindicators@ubuntu.com']"),
                                   ("org.gnome.desktop.interface", "enable-animations", "false"),
                                   ("org.gnome.desktop.sound", "event-sounds", "false")):
            subprocess.run(["gsettings", "set", schema, key, value], env=self.env, check=True)
        self.env.update(XDG_CURRENT_DESKTOP="GNOME", LIBGL_ALWAYS_SOFTWARE="1")
        self._service("gnome-shell", "--x11", "--replace")
        wait_until(lambda: self.watcher_property("IsStatusNotifierHostRegistered") == "true", 60, "GNOME Shell's tray")
        # It has started once it shows the overview; leaving it gives the desktop.
        overview = ["gdbus", "call", "--session", "-d", "org.gnome.Shell", "-o", "/org/gnome/Shell", "-m",
                    "org.freedesktop.DBus.Properties.Get", "org.gnome.Shell", "OverviewActive"]
        wait_until(lambda: "true" in self.run(*overview), 60, "GNOME Shell's overview at its start")
        for _ in range(10):  # a key pressed while it is still starting can go unheard
            self.xdotool("key", "Escape")
            if wait_until(lambda: "false" in self.run(*overview), 1):
                return
        raise Failure("GNOME Shell stays in the overview")

    def stop_tray(self):
        """Stops the notification area's host, as when a panel crashes or restarts."""
        command = {"trayer": "trayer", "xfce": "xfce4-panel", "lxqt": "lxqt-panel"}[self.tray]
        for service in [s for s in self.services if s.process.args[0] == command]:
            service.stop()
            self.services.remove(service)

    def start_tray(self):
        getattr(self, "_start_" + self.tray)()

    def stop_sound(self):
        """Stops the sound server and its helpers, as when it crashes or restarts."""
        for service in [s for s in self.services if s.process.args[0] in ("pulseaudio", "pacat")
                        or "parec" in s.process.args[-1]]:
            service.stop()
            self.services.remove(service)

    def start_sound(self):
        self._start_pulse()

    # -- for the cases -----------------------------------------------------------------------
    wait_until, holds = staticmethod(wait_until), staticmethod(holds)

    def run(self, *args):
        """A command's standard output, run on this desktop."""
        return subprocess.run(args, env=self.env, capture_output=True, text=True).stdout

    def start_program(self, path, *args, env=None, cwd=None):
        """Starts a program here; it is stopped with the desktop if it still runs."""
        self.programs.append(Program([path, *args], dict(self.env, **(env or {})), cwd=cwd))
        return self.programs[-1]

    def xdotool(self, *args):
        """xdotool's output as words; a search that finds nothing is an empty answer."""
        run = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True)
        if run.returncode not in (0, 1):
            raise Failure("xdotool %s: %s" % (" ".join(args), run.stderr.strip()))
        return run.stdout.split()

    def windows(self, title=TITLE, classname=None):
        """Visible windows with exactly this title, or of this class."""
        how, name = ("--classname", classname) if classname else ("--name", title)
        return self.xdotool("search", "--onlyvisible", how, "^%s$" % name)

    def geometry(self, window):
        """(x, y, width, height) of a window on the screen."""
        shell = dict(w.split("=") for w in self.xdotool("getwindowgeometry", "--shell", window))
        return tuple(int(shell[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def active_window(self):
        return (self.xdotool("getactivewindow") or [None])[0]

    def record(self):
        """Starts recording what the sink plays (needs sound=True)."""
        self.recordings.append(Recording(self.env, os.path.join(self.dir, "rec%d.raw" % len(self.recordings))))
        return self.recordings[-1]

    def bus_has(self, name):
        return "true" in self.run("dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                                  "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner", "string:" + name)

    def watcher_property(self, name):
        """A property of the StatusNotifierWatcher as gdbus prints it, or None without one."""
        text = self.run("gdbus", "call", "--session", "-d", "org.kde.StatusNotifierWatcher", "-o",
                        "/StatusNotifierWatcher", "-m", "org.freedesktop.DBus.Properties.Get",
                        "org.kde.StatusNotifierWatcher", name).strip()
        return text[2:-3] if text.startswith("(<") else None

    def sni_items(self):
        """The items registered with the watcher, e.g. [':1.7/StatusNotifierItem']."""
        value = (self.watcher_property("RegisteredStatusNotifierItems") or "").strip("@as []")
        return [item.strip(" '") for item in value.split(",") if item.strip(" '")]

    def application(self, pid, timeout=15):
        """The program's accessible application (atspi=True; one such desktop per process)."""
        import pyatspi
        from gi.repository import Atspi

        def find():
            desktop = pyatspi.Registry.getDesktop(0)
            for app in (desktop.getChildAtIndex(i) for i in range(desktop.childCount)):
                try:
                    # Qt's, not GTK's: under GNOME Qt's GTK theme registers the process too.
                    if app is not None and app.get_process_id() == pid and app.get_toolkit_name() == "Qt":
                        return app
                except Exception:
                    pass  # gone while we looked
        app = wait_until(find, timeout, "the program on the accessibility bus")
        app.set_cache_mask(Atspi.Cache.NONE)  # states change: always ask the program
        return app


# -- the accessibility tree -------------------------------------------------------------------
def descendants(acc):
    children = [c for c in (acc.getChildAtIndex(i) for i in range(acc.childCount)) if c is not None]
    return children + [d for c in children for d in descendants(c)]


def has_state(acc, *names):
    import pyatspi
    return all(acc.getState().contains(getattr(pyatspi, "STATE_" + n)) for n in names)


def is_shown(acc):
    return has_state(acc, "SHOWING", "VISIBLE")


def has_focus(acc):
    return has_state(acc, "FOCUSED")


def extents(acc):
    box = acc.queryComponent().getExtents(0)  # desktop coordinates
    return box.x, box.y, box.width, box.height


def shown(app, role):
    """The controls of one role on screen, top to bottom."""
    return sorted((a for a in descendants(app) if a.getRole() == role and is_shown(a)), key=lambda a: extents(a)[1])


def the_shown(app, role, name):
    if len(matches := [a for a in shown(app, role) if a.name == name]) != 1:
        raise Failure("%d of %r on screen, among %s" % (len(matches), name, [a.name for a in shown(app, role)]))
    return matches[0]


def text_of(acc):
    return acc.queryText().getText(0, -1)


def main(cases):
    """test_x.py PROGRAM [CASE...]: runs the named cases (all by default) against PROGRAM."""
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(130))  # ctest's timeout: still tear down
    program, failed = os.path.abspath(sys.argv[1]), []
    selected = [c for c in cases if c.__name__ in sys.argv[2:] or len(sys.argv) == 2]
    if len(selected) > 1:
        # One process per case: the accessibility registry (bound to the first session bus it
        # saw) and whatever else a case leaves in this process cannot reach the next case.
        for case in selected:
            child = subprocess.Popen([sys.executable, sys.argv[0], program, case.__name__])
            signal.signal(signal.SIGTERM, lambda *_: (child.terminate(), child.wait(), sys.exit(130)))
            if child.wait() != 0:
                failed.append(case.__name__)
        sys.exit("FAILED: " + ", ".join(failed) if failed else 0)
    for case in selected:
        step("%s: %s" % (case.__name__, case.__doc__.strip()))
        started = time.monotonic()
        try:
            case(program)
            print("   ok (%.1f s)" % (time.monotonic() - started), flush=True)
        except Failure as failure:
            print("FAIL %s: %s" % (case.__name__, failure), file=sys.stderr, flush=True)
            failed.append(case.__name__)
    sys.exit("FAILED: " + ", ".join(failed) if failed else 0)


# One panel at the top holding only the tray: watcher and host of StatusNotifierItems.
XFCE_PANEL = """<?xml version="1.0" encoding="UTF-8"?><channel name="xfce4-panel" version="1.0">
<property name="configver" type="int" value="2"/><property name="panels" type="array"><value type="int" value="1"/>
<property name="panel-1" type="empty"><property name="position" type="string" value="p=6;x=0;y=0"/>
<property name="length" type="uint" value="100"/><property name="size" type="uint" value="26"/>
<property name="plugin-ids" type="array"><value type="int" value="1"/></property></property></property>
<property name="plugins" type="empty"><property name="plugin-1" type="string" value="systray"/></property></channel>"""
SYSTEM_BUS = """<busconfig><type>system</type><listen>unix:path=%s/system_bus_socket</listen><auth>EXTERNAL</auth>
<policy context="default"><allow user="*"/><allow own="*"/><allow send_destination="*" eavesdrop="true"/>
<allow receive_sender="*"/><allow eavesdrop="true"/></policy></busconfig>"""
LXQT_PANEL = "[General]\n__userfile__=true\npanels=panel1\n[panel1]\nplugins=statusnotifier\nposition=Top\n" \
             "panelSize=26\n[statusnotifier]\ntype=statusnotifier\n"

if __name__ == "__main__":
    options, command = sys.argv[1:sys.argv.index("--")], sys.argv[sys.argv.index("--") + 1:]
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(130))
    with Desktop(tray=options[options.index("--tray") + 1] if "--tray" in options else None,
                 sound="--sound" in options, atspi="--atspi" in options) as d:
        sys.exit(subprocess.run(command, env=d.env).returncode)
