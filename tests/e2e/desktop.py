"""A private desktop per test case, torn down by process group even when the case fails:
Xvfb (-displayfd, 96 dpi), a session bus, openbox (focus_new=False: new windows not focused), a
tray host (None, "trayer" for XEmbed, "xfce", "lxqt" or "gnome" for StatusNotifierItem; GNOME Shell
replaces openbox; "watcher": a StatusNotifierWatcher whose host can leave), PulseAudio with a null sink and a low-latency monitor reader, AT-SPI; HOME and
the XDG folders private. The hosts' settings are the files in hosts/.
    with Desktop(tray="trayer", sound=True) as d: p = d.start_program(PROGRAM) ...
As a command: desktop.py [--tray HOST] [--sound] -- COMMAND...
"""
import math, os, shutil, signal, struct, subprocess, sys, tempfile, time

SINK = "testsink"
HOSTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "hosts")


class Failure(Exception):
    pass


def wait_until(probe, timeout=10, what=None):
    """probe()'s first true answer, polled every 10 ms. On timeout: Failure naming `what`, or
    the last answer when `what` is None."""
    end = time.monotonic() + timeout
    while not (answer := probe()) and time.monotonic() < end:
        time.sleep(0.01)
    if not answer and what is not None:
        raise Failure("waited %g s for %s" % (timeout, what))
    return answer


class Program:
    """A process in a group of its own; its output is kept for the failure report."""

    def __init__(self, args, env, cwd=None, pass_fds=()):
        self.log = tempfile.TemporaryFile("w+")
        self.process = subprocess.Popen(args, env=env, cwd=cwd, stdout=self.log, stderr=subprocess.STDOUT,
                                        pass_fds=pass_fds, start_new_session=True)
        self.pid = self.process.pid

    def running(self):
        return self.process.poll() is None

    def output(self):
        self.log.seek(0)
        return self.log.read()

    def stop(self, grace=3):
        """TERM to the whole group, KILL after `grace` seconds; done when nothing of it is left but
        zombies, which wait for whoever reaps them."""
        nothing_left = lambda: subprocess.run(["pgrep", "--pgroup", str(self.pid), "--runstates", "D,I,R,S,T,t,W,X"],
                                              stdout=subprocess.DEVNULL).returncode == 1
        for sig in (signal.SIGTERM, signal.SIGKILL):
            try:
                os.killpg(self.pid, sig)
            except ProcessLookupError:
                break
            if wait_until(lambda: self.process.poll() is not None and nothing_left(), grace):
                break


class Recording:
    """What the sink plays from now on, as record() writes it (8 kHz mono): when its sounds begin."""

    def __init__(self, path):
        self.path, self.started = path, time.monotonic()

    def _heard(self):
        """When each sound recorded so far began, in ms, and whether one still plays. A 10 ms block
        is loud above -40 dBFS; a sound begins with a loud block after 0.1 s of silence."""
        data = open(self.path, "rb").read()
        s = struct.unpack("<%dh" % (len(data) // 2), data[: len(data) // 2 * 2])
        loud = [math.sqrt(sum(x * x for x in s[i:i + 80]) / 80) > 328 for i in range(0, len(s) - 80, 80)]
        return [i * 10 for i, on in enumerate(loud) if on and not any(loud[max(0, i - 10):i])], any(loud[-10:])

    def sounds(self):
        """When each sound heard until now began, in ms from the start; the recording goes on."""
        # The monitor runs late: wait until the recording covers the time gone by.
        wanted = int((time.monotonic() - self.started - 0.1) * 16000)
        wait_until(lambda: os.path.getsize(self.path) >= wanted, 5)
        return self._heard()[0]

    def wait_for(self, count):
        """Until `count` sounds have been heard and have ended; the recording goes on."""
        def heard():
            begun, playing = self._heard()
            return len(begun) >= count and not playing
        wait_until(heard, 5, "%d sounds" % count)


class Desktop:
    def __init__(self, focus_new=True, tray=None, sound=False, atspi=False):
        self.focus_new, self.tray, self.sound, self.atspi = focus_new, tray, sound, atspi
        self.services, self.programs, self.part, self.recordings = [], [], None, 0

    def __enter__(self):
        self.dir = tempfile.mkdtemp(prefix="hopsmeld-e2e-")
        home, run = self.folder("home"), self.folder("run")
        os.chmod(run, 0o700)
        # Nothing of the developer's own session (its desktop's name, theme, language, buses,
        # display) reaches the private one: only what finding programs and the sanitizers need.
        self.env = {k: v for k, v in os.environ.items()
                    if k in ("PATH", "USER", "LOGNAME", "SHELL", "TMPDIR") or k.startswith(("ASAN_", "UBSAN_", "LSAN_"))}
        self.env.update(HOME=home, XDG_RUNTIME_DIR=run, XDG_CONFIG_HOME=home + "/.config",
                        XDG_DATA_HOME=home + "/.local/share", XDG_CACHE_HOME=home + "/.cache",
                        XDG_CONFIG_DIRS=self.folder("xdg") + ":/etc/xdg", QT_QPA_PLATFORM="xcb",
                        LC_ALL="C.UTF-8", PULSE_SERVER="unix:/nonexistent/hopsmeld-no-sound")
        try:
            self.env["DISPLAY"] = ":" + self._announced(
                "Xvfb", "-displayfd", "FD", "-screen", "0", "1280x1024x24", "-dpi", "96", "-nolisten", "tcp", "-noreset")
            self.env["DBUS_SESSION_BUS_ADDRESS"] = self._announced("dbus-daemon", "--session", "--nofork",
                                                                   "--print-address=FD")
            os.environ.pop("AT_SPI_BUS_ADDRESS", None)  # this process uses the bus too (and ends with the desktop)
            os.environ.update({k: self.env[k] for k in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR")})
            for part, wanted in (("openbox", self.tray != "gnome"), ("sound", self.sound),
                                 ("atspi", self.atspi), (self.tray, self.tray)):
                if wanted:
                    self.start(part)
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
        for program in reversed(self.services + self.programs):
            program.stop()
        shutil.rmtree(self.dir, ignore_errors=True)

    def folder(self, *parts):
        os.makedirs(path := os.path.join(self.dir, *parts), exist_ok=True)
        return path

    def start(self, part):
        """Starts a part of the desktop: "openbox", "sound", "atspi" or the tray host."""
        self.part = part
        getattr(self, "_start_" + part)()

    def stop(self, part):
        """Stops what start(part) started, as when a panel or the sound server crashes or restarts."""
        for service in [s for s in self.services if s.part == part]:
            service.stop()
            self.services.remove(service)

    def _service(self, *args, pass_fds=()):
        self.services.append(service := Program(args, self.env, pass_fds=pass_fds))
        service.part = self.part
        return service

    def _announced(self, *args):
        """Starts a service that writes one line to descriptor FD once it is ready."""
        read, write = os.pipe()
        service = self._service(*(a.replace("FD", str(write)) for a in args), pass_fds=(write,))
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

    def _start_sound(self):
        socket = self.env["XDG_RUNTIME_DIR"] + "/pulse/native"
        self.env.update(PULSE_SERVER="unix:" + socket, HOPSMELD_TEST_SINK=SINK)
        self._service("pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit", "--use-pid-file=no",
                      "-L", "module-native-protocol-unix socket=" + socket, "-L", "module-null-sink sink_name=" + SINK)
        wait_until(lambda: "Server Name" in self.run("pactl", "info"), 10, "PulseAudio")
        # A short-latency reader makes the null sink render in small blocks, and a stream of
        # silence keeps it running, so a recording's time line follows the clock.
        self._service("parec", "--raw", "--latency-msec=20", "-d", SINK + ".monitor", "/dev/null")
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
        shutil.copy(os.path.join(HOSTS, "xfce-panel.xml"), self.folder("xdg", "xfce4", "panel") + "/default.xml")
        self._service("xfce4-panel", "--disable-wm-check")
        wait_until(lambda: "<true>" in self.watcher("IsStatusNotifierHostRegistered"), 20, "the Xfce tray")

    def _start_lxqt(self):
        shutil.copy(os.path.join(HOSTS, "lxqt-panel.conf"), self.folder("home", ".config", "lxqt") + "/panel.conf")
        self._service("lxqt-panel")
        wait_until(lambda: "<true>" in self.watcher("IsStatusNotifierHostRegistered"), 20, "the LXQt tray")

    def _start_watcher(self):  # a StatusNotifierWatcher alone, whose host leaves on SIGUSR1
        self._service("/usr/bin/python3", os.path.join(HOSTS, "lone-watcher.py"))
        wait_until(lambda: "<true>" in self.watcher("IsStatusNotifierHostRegistered"), 10, "the lone watcher")

    def _start_gnome(self):
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = self._announced(
            "dbus-daemon", "--config-file", os.path.join(HOSTS, "gnome-system-bus.xml"), "--nofork", "--print-address=FD")
        for schema, key, value in (("org.gnome.shell", "enabled-extensions", "['ubuntu-appindicators@ubuntu.com']"),
                                   ("org.gnome.desktop.interface", "enable-animations", "false"),
                                   ("org.gnome.desktop.sound", "event-sounds", "false")):
            subprocess.run(["gsettings", "set", schema, key, value], env=self.env, check=True)
        self.env.update(XDG_CURRENT_DESKTOP="GNOME", LIBGL_ALWAYS_SOFTWARE="1")
        self._service("gnome-shell", "--x11", "--replace")
        wait_until(lambda: "<true>" in self.watcher("IsStatusNotifierHostRegistered"), 60, "GNOME Shell's tray")
        # It has started once it shows the overview; leaving it gives the desktop.
        overview = lambda: self.call("org.gnome.Shell", "/org/gnome/Shell", "org.freedesktop.DBus.Properties.Get",
                                     "org.gnome.Shell", "OverviewActive")
        wait_until(lambda: "true" in overview(), 60, "GNOME Shell's overview at its start")
        for _ in range(10):  # a key pressed while it is still starting can go unheard
            self.xdotool("key", "Escape")
            if wait_until(lambda: "false" in overview(), 1):
                return
        raise Failure("GNOME Shell stays in the overview")

    # -- for the cases -----------------------------------------------------------------------
    def run(self, *args):
        """What a command run on this desktop prints, standard output then errors."""
        run = subprocess.run(args, env=self.env, capture_output=True, text=True)
        return run.stdout + run.stderr

    def start_program(self, path, cwd=None, env=()):
        """Starts a program here, `env` added to the desktop's; it is stopped with the desktop."""
        self.programs.append(Program([path], dict(self.env, **dict(env)), cwd=cwd))
        return self.programs[-1]

    def xdotool(self, *args):
        """xdotool's output as words; a search that finds nothing is an empty answer."""
        run = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True)
        if run.returncode not in (0, 1):
            raise Failure("xdotool %s: %s" % (" ".join(args), run.stderr.strip()))
        return run.stdout.split()

    def windows(self, title="Merow Hopsmeld Helper"):
        """Visible windows with exactly this title."""
        return self.xdotool("search", "--onlyvisible", "--name", "^%s$" % title)

    def record(self):
        """Starts recording what the sink plays (needs sound=True); it ends with the sound server."""
        self.recordings += 1
        recording = Recording(os.path.join(self.dir, "rec%d.raw" % self.recordings))
        self._service("parec", "--raw", "--format=s16le", "--channels=1", "--rate=8000", "--latency-msec=20",
                      "-d", SINK + ".monitor", recording.path).part = "sound"
        return recording

    def call(self, name, path, method, *args):
        """A method call on the session bus: the answer as gdbus prints it, or the error it names."""
        return self.run("gdbus", "call", "--session", "-d", name, "-o", path, "-m", method, *args)

    def bus_has(self, name):
        return "true" in self.call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                   "org.freedesktop.DBus.NameHasOwner", name)

    def watcher(self, name):
        """A property of the StatusNotifierWatcher as gdbus prints it, e.g. "(<true>,)"."""
        return self.call("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                         "org.freedesktop.DBus.Properties.Get", "org.kde.StatusNotifierWatcher", name)


def main(cases):
    """test_x.py PROGRAM [CASE...]: runs the named cases (all by default) against PROGRAM."""
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(130))  # ctest's timeout: still tear down
    program, names = os.path.abspath(sys.argv[1]), sys.argv[2:] or [c.__name__ for c in cases]
    if len(names) > 1:
        # One process per case: the accessibility registry (bound to the first session bus it
        # saw) and whatever else a case leaves in this process cannot reach the next case.
        failed = []
        for name in names:
            child = subprocess.Popen([sys.executable, sys.argv[0], program, name])
            signal.signal(signal.SIGTERM, lambda *_: (child.terminate(), child.wait(), sys.exit(130)))
            if child.wait() != 0:
                failed.append(name)
        sys.exit("FAILED: " + ", ".join(failed) if failed else 0)
    case = next(c for c in cases if c.__name__ == names[0])
    print("-- %s: %s" % (case.__name__, case.__doc__.strip()), flush=True)
    started = time.monotonic()
    try:
        case(program)
    except Failure as failure:
        sys.exit("FAIL %s: %s" % (case.__name__, failure))
    print("   ok (%.1f s)" % (time.monotonic() - started), flush=True)


if __name__ == "__main__":
    options, command = sys.argv[1:sys.argv.index("--")], sys.argv[sys.argv.index("--") + 1:]
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(130))
    with Desktop(tray=options[options.index("--tray") + 1] if "--tray" in options else None,
                 sound="--sound" in options) as d:
        sys.exit(subprocess.run(command, env=d.env).returncode)
