"""A private desktop for end-to-end tests, started per case and torn down by PID.

    with Desktop(tray="trayer", sound=True, atspi=True) as d:
        program = d.start_program(PROGRAM)
        d.wait_until(lambda: d.windows(TITLE), what="the window")

What it starts: Xvfb (-displayfd picks a free display, 96 dpi), a private D-Bus session bus,
openbox (focus_new=False: new windows are not focused, as under focus-stealing prevention), a
notification area (None, "trayer" for XEmbed, "xfce" or "lxqt" for StatusNotifierItem hosts),
PulseAudio with one null sink and a low-latency reader on its monitor, and the accessibility
bus. HOME and the XDG folders are private, so no panel or service touches the real ones.

Everything runs in a process group of its own and is stopped by that id, on failure too.
Cases are functions taking the program's path; main(CASES) runs them and reports.
"""
import math
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

TITLE = "Merow Hopsmeld Helper"
NO_SOUND = "unix:/nonexistent/hopsmeld-no-sound"
SINK = "testsink"
TRAY_HOSTS = (None, "trayer", "xfce", "lxqt")


class Failure(Exception):
    pass


def step(message):
    print("--", message, flush=True)


def wait_until(probe, timeout=10, what=None):
    """Polls probe() every 10 ms until it answers something true, and returns that answer.
    On timeout: raises Failure naming `what`, or returns the last answer when `what` is None."""
    end = time.monotonic() + timeout
    while True:
        answer = probe()
        if answer:
            return answer
        if time.monotonic() > end:
            if what is None:
                return answer
            raise Failure("waited %g s for %s" % (timeout, what))
        time.sleep(0.01)


def holds(probe, seconds, what):
    """probe() stays true for the whole time: for things that must NOT happen."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if not probe():
            raise Failure(what)
        time.sleep(0.02)


def _gone(group):
    """No live process left in the process group (zombies wait for whoever reaps them)."""
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open("/proc/%s/stat" % entry) as file:
                    fields = file.read().rsplit(")", 1)[1].split()
            except OSError:
                continue
            if int(fields[2]) == group and fields[0] != "Z":
                return False
    return True


class Program:
    """A started process with its output kept for the failure report."""

    def __init__(self, args, env, cwd=None, pass_fds=()):
        self.log = tempfile.TemporaryFile("w+")
        self.process = subprocess.Popen(args, env=env, cwd=cwd, stdout=self.log,
                                        stderr=subprocess.STDOUT, start_new_session=True,
                                        pass_fds=pass_fds)
        self.pid = self.process.pid
        self.name = os.path.basename(args[0])

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
        """TERM to its process group (what it started goes too), KILL after `grace` seconds."""
        for sig in (signal.SIGTERM, signal.SIGKILL):
            try:
                os.killpg(self.pid, sig)
            except ProcessLookupError:
                break
            if self.wait(grace) is not None and wait_until(lambda: _gone(self.pid), grace):
                break
        self.process.poll()


class Recording:
    """The sink's monitor from start() on; bursts() stops it and counts the sounds heard."""

    RATE = 8000

    def __init__(self, env, path):
        self.path = path
        self.file = open(path, "wb")
        self.started = time.monotonic()
        self.process = subprocess.Popen(
            ["parec", "--raw", "--format=s16le", "--channels=1", "--rate=%d" % self.RATE,
             "--latency-msec=20", "--device=%s.monitor" % SINK], env=env, stdout=self.file)
        self.samples = None

    def stop(self):
        if self.samples is not None:
            return self.samples
        # The monitor arrives late: wait until the recording covers the time gone by.
        wanted = int((time.monotonic() - self.started - 0.1) * self.RATE * 2)
        wait_until(lambda: os.path.getsize(self.path) >= wanted, 5)
        self.process.terminate()
        self.process.wait()
        self.file.close()
        with open(self.path, "rb") as file:
            data = file.read()
        self.samples = struct.unpack("<%dh" % (len(data) // 2), data[: len(data) // 2 * 2])
        return self.samples

    def loud(self, window=0.01):
        """One flag per `window` seconds: louder than -40 dBFS."""
        samples, n = self.stop(), int(self.RATE * window)
        return [math.sqrt(sum(s * s for s in samples[i:i + n]) / n) > 328
                for i in range(0, len(samples) - n, n)]

    def bursts(self, gap=0.1):
        """Sounds separated by at least `gap` seconds of silence."""
        loud, quiet = self.loud(), int(gap / 0.01)
        return sum(1 for i, l in enumerate(loud) if l and not any(loud[max(0, i - quiet):i]))


class Desktop:
    def __init__(self, wm=True, focus_new=True, tray=None, sound=False, atspi=False,
                 screen="1280x1024x24"):
        if tray not in TRAY_HOSTS:
            raise ValueError("tray host must be one of %s" % (TRAY_HOSTS,))
        self.wm, self.focus_new, self.tray, self.sound, self.atspi = wm, focus_new, tray, sound, atspi
        self.screen = screen
        self.services = []  # stopped in reverse order
        self.programs = []
        self.recordings = []
        self.dir = None
        self.env = None
        self.display = None
        self._saved_environ = None

    # -- setting up and tearing down ---------------------------------------------------------

    def __enter__(self):
        self.dir = tempfile.mkdtemp(prefix="hopsmeld-e2e-")
        try:
            self._make_env()
            self._start_x()
            self._start_bus()
            if self.wm:
                self._start_openbox()
            if self.sound:
                self._start_pulse()
            if self.atspi:
                self._start_atspi()
            if self.tray:
                getattr(self, "_start_" + self.tray)()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        for recording in self.recordings:
            if recording.process.poll() is None:
                recording.process.kill()
                recording.process.wait()
        for program in reversed(self.programs + self.services):
            program.stop()
        if self._saved_environ is not None:
            os.environ.clear()
            os.environ.update(self._saved_environ)
        shutil.rmtree(self.dir, ignore_errors=True)
        return False

    def _path(self, *parts):
        path = os.path.join(self.dir, *parts)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        return path

    def _folder(self, *parts):
        path = os.path.join(self.dir, *parts)
        os.makedirs(path, exist_ok=True)
        return path

    def _make_env(self):
        env = {k: v for k, v in os.environ.items()
               if not k.startswith(("XDG_", "DBUS_", "PULSE_", "AT_SPI_", "QT_", "WAYLAND_",
                                    "SESSION_MANAGER", "DESKTOP_SESSION", "GTK_"))}
        home, runtime = self._folder("home"), self._folder("run")
        os.chmod(runtime, 0o700)
        env.update(HOME=home, XDG_RUNTIME_DIR=runtime,
                   XDG_CONFIG_HOME=os.path.join(home, ".config"),
                   XDG_DATA_HOME=os.path.join(home, ".local", "share"),
                   XDG_CACHE_HOME=os.path.join(home, ".cache"),
                   XDG_CONFIG_DIRS=self._folder("xdg") + ":/etc/xdg",
                   QT_QPA_PLATFORM="xcb", LC_ALL="C.UTF-8", PULSE_SERVER=NO_SOUND)
        self.env = env

    def _service(self, args, **kw):
        program = Program(args, self.env, **kw)
        self.services.append(program)
        return program

    def _announced(self, args, what):
        """Starts a service that writes one line to descriptor FD once it is ready; returns it."""
        read, write = os.pipe()
        service = self._service([a.replace("FD", str(write)) for a in args], pass_fds=(write,))
        os.close(write)
        with os.fdopen(read) as pipe:
            line = pipe.readline().strip()
        if not line:
            raise Failure("%s did not start: %s" % (what, service.output()))
        return line

    def _start_x(self):
        number = self._announced(["Xvfb", "-displayfd", "FD", "-screen", "0", self.screen,
                                  "-dpi", "96", "-nolisten", "tcp", "-noreset"], "Xvfb")
        self.display = self.env["DISPLAY"] = ":" + number

    def _start_bus(self):
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self._announced(
            ["dbus-daemon", "--session", "--nofork", "--print-address=FD"], "the session bus")
        # This process talks to the bus too (accessibility, the tray watcher).
        self._saved_environ = dict(os.environ)
        for key in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"):
            os.environ[key] = self.env[key]
        os.environ.pop("AT_SPI_BUS_ADDRESS", None)

    def _start_openbox(self):
        with open("/etc/xdg/openbox/rc.xml") as file:
            rc = file.read()
        if not self.focus_new:
            rc = rc.replace("<focusNew>yes</focusNew>", "<focusNew>no</focusNew>", 1)
        config = self._path("openbox-rc.xml")
        with open(config, "w") as file:
            file.write(rc)
        self._service(["openbox", "--sm-disable", "--config-file", config])
        wait_until(lambda: "window id" in self._run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK"),
                   10, "openbox to manage the screen")

    def _start_pulse(self):
        socket = os.path.join(self.env["XDG_RUNTIME_DIR"], "pulse", "native")
        self.env["PULSE_SERVER"] = "unix:" + socket
        self._service(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                       "--use-pid-file=no", "--disallow-exit",
                       "-L", "module-native-protocol-unix socket=" + socket,
                       "-L", "module-null-sink sink_name=" + SINK])
        wait_until(lambda: subprocess.run(["pactl", "info"], env=self.env,
                                          capture_output=True).returncode == 0,
                   10, "the sound server")
        # A reader with a short latency makes the null sink render in small blocks, and a stream
        # of silence keeps it running, so a recording's time line matches the clock.
        self._service(["sh", "-c", 'exec parec --raw --latency-msec=20 --device="$0" >/dev/null',
                       SINK + ".monitor"])
        self._service(["sh", "-c", "exec pacat --raw --latency-msec=20 /dev/zero"])

    def _start_atspi(self):
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        self._service(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        wait_until(lambda: self.bus_has("org.a11y.Bus"), 10, "the accessibility bus")

    def _start_trayer(self):
        self._service(["trayer", "--edge", "top", "--align", "left", "--widthtype", "request",
                       "--height", "24", "--SetDockType", "false", "--SetPartialStrut", "false",
                       "--transparent", "false"])
        wait_until(lambda: '"panel": ("panel" "trayer")' in self._run("xwininfo", "-root", "-tree"),
                   10, "trayer's panel")

    def _start_xfce(self):
        with open(self._path("xdg", "xfce4", "panel", "default.xml"), "w") as file:
            file.write(XFCE_PANEL)
        self._service(["xfce4-panel", "--disable-wm-check"])
        self._wait_for_sni_host("xfce4-panel")

    def _start_lxqt(self):
        with open(self._path("home", ".config", "lxqt", "panel.conf"), "w") as file:
            file.write(LXQT_PANEL)
        self._service(["lxqt-panel"])
        self._wait_for_sni_host("lxqt-panel")

    def _wait_for_sni_host(self, name):
        wait_until(lambda: self.watcher_property("IsStatusNotifierHostRegistered") == "true",
                   20, "%s to register as a StatusNotifierItem host" % name)

    # -- what cases use ----------------------------------------------------------------------

    def _run(self, *args):
        return subprocess.run(args, env=self.env, capture_output=True, text=True).stdout

    def start_program(self, path, *args, env=None, cwd=None):
        """Starts a program on this desktop; it is stopped when the desktop is."""
        program = Program([path, *args], dict(self.env, **(env or {})), cwd=cwd)
        self.programs.append(program)
        return program

    def xdotool(self, *args):
        """xdotool's output as words; a search that finds nothing is an empty answer."""
        run = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True)
        if run.returncode not in (0, 1):
            raise Failure("xdotool %s failed: %s" % (" ".join(args), run.stderr.strip()))
        return run.stdout.split()

    wait_until = staticmethod(wait_until)
    holds = staticmethod(holds)

    def windows(self, title=TITLE, classname=None):
        """Visible top-level windows with exactly this title (or of this class)."""
        if classname is not None:
            return self.xdotool("search", "--onlyvisible", "--classname", "^%s$" % classname)
        return self.xdotool("search", "--onlyvisible", "--name", "^%s$" % title)

    def geometry(self, window):
        """(x, y, width, height) of a window on the screen."""
        shell = dict(line.split("=") for line in
                     self.xdotool("getwindowgeometry", "--shell", window) if "=" in line)
        return tuple(int(shell[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def active_window(self):
        words = self.xdotool("getactivewindow")
        return words[0] if words else None

    def screenshot(self, path, window="root"):
        subprocess.run(["import", "-window", window, path], env=self.env, check=True,
                       capture_output=True)
        return path

    def record(self):
        """Starts recording what the sink plays; see Recording."""
        if not self.sound:
            raise Failure("record() needs Desktop(sound=True)")
        recording = Recording(self.env, self._path("rec", "%d.raw" % len(self.recordings)))
        self.recordings.append(recording)
        return recording

    def bus_has(self, name):
        reply = self._run("dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                          "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                          "string:" + name)
        return "boolean true" in reply

    def watcher_property(self, name):
        """A property of org.kde.StatusNotifierWatcher as gdbus prints it, or None."""
        run = subprocess.run(["gdbus", "call", "--session", "-d", "org.kde.StatusNotifierWatcher",
                              "-o", "/StatusNotifierWatcher", "-m",
                              "org.freedesktop.DBus.Properties.Get",
                              "org.kde.StatusNotifierWatcher", name],
                             env=self.env, capture_output=True, text=True)
        if run.returncode != 0:
            return None
        text = run.stdout.strip()
        return text[len("(<"):-len(">,)")] if text.startswith("(<") else text

    def sni_items(self):
        """The items registered with the watcher, e.g. [':1.7/StatusNotifierItem']."""
        value = self.watcher_property("RegisteredStatusNotifierItems") or ""
        return [item.strip(" '") for item in value.strip("@as []").split(",") if item.strip(" '")]

    # -- the accessibility tree --------------------------------------------------------------

    def application(self, pid, timeout=15):
        """The program's accessible application (needs atspi=True)."""
        import pyatspi
        from gi.repository import Atspi

        def find():
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                app = desktop.getChildAtIndex(i)
                try:
                    if app is not None and app.get_process_id() == pid:
                        return app
                except Exception:
                    pass  # one that went away while we looked
            return None

        app = wait_until(find, timeout, "the program on the accessibility bus")
        app.set_cache_mask(Atspi.Cache.NONE)  # states change; always ask the program
        return app


def descendants(acc):
    found = []
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            found.append(child)
            found.extend(descendants(child))
    return found


def is_shown(acc):
    import pyatspi
    states = acc.getState()
    return states.contains(pyatspi.STATE_SHOWING) and states.contains(pyatspi.STATE_VISIBLE)


def has_focus(acc):
    import pyatspi
    return acc.getState().contains(pyatspi.STATE_FOCUSED)


def extents(acc):
    import pyatspi
    box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x, box.y, box.width, box.height


def shown(app, role):
    """The controls of one role on screen, top to bottom."""
    return sorted((a for a in descendants(app) if a.getRole() == role and is_shown(a)),
                  key=lambda a: extents(a)[1])


def the_shown(app, role, name):
    matches = [a for a in shown(app, role) if a.name == name]
    if len(matches) != 1:
        raise Failure("expected one %r on screen, found %d (on screen: %s)"
                      % (name, len(matches), [a.name for a in shown(app, role)]))
    return matches[0]


def text_of(acc):
    return acc.queryText().getText(0, -1)


def main(cases):
    """Runs the cases named on the command line (all by default) against PROGRAM.
        test_x.py PROGRAM [CASE...]"""
    if len(sys.argv) < 2:
        sys.exit("usage: %s PROGRAM [CASE...]" % sys.argv[0])
    # ctest's timeout sends TERM: unwind so every desktop is torn down.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(130))
    program = os.path.abspath(sys.argv[1])
    chosen = [c for c in cases if len(sys.argv) == 2 or c.__name__ in sys.argv[2:]]
    failed = []
    for case in chosen:
        step(case.__name__ + ": " + (case.__doc__ or "").strip().splitlines()[0])
        started = time.monotonic()
        try:
            case(program)
            print("   ok (%.1f s)" % (time.monotonic() - started), flush=True)
        except Failure as failure:
            print("FAIL %s: %s" % (case.__name__, failure), file=sys.stderr, flush=True)
            failed.append(case.__name__)
    if failed:
        sys.exit("FAILED: " + ", ".join(failed))


# A panel with only the notification area (watcher and host of StatusNotifierItems) on top.
XFCE_PANEL = """<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="26"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
"""

LXQT_PANEL = """[General]
__userfile__=true
panels=panel1

[panel1]
alignment=-1
desktop=0
hidable=false
lineCount=1
panelSize=26
iconSize=22
plugins=statusnotifier
position=Top
width=100
width-percent=true

[statusnotifier]
type=statusnotifier
"""
