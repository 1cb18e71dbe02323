#!/usr/bin/env python3
"""Sound cue latency: from the key release that clicks Calculate to the cue's first audible
sample on the null sink, as a brewer would trigger it. Run inside tests/e2e/desktop.py --sound.

    cue_latency.py PROGRAM --starts N --cues M --out results.json

Each start: record the sink's monitor, start the program, wait for its window, type 1.050 Tab
1.010 Tab, then press and release Space on Calculate M times about a second apart.

Time line: parec hands over the monitor in small chunks as the sink plays them (a stream of
silence from tests/e2e/desktop.py keeps the sink running, so the recording has no gaps). Each chunk's
arrival bounds when its samples were played; the promptest chunk anchors sample 0 on the
monotonic clock, and sample i is played at anchor + i / rate. Key events go out through XTest
from this process, stamped on the same clock.
"""
import argparse
import array
import ctypes
import json
import os
import signal
import statistics
import subprocess
import sys
import threading
import time

RATE = 44100  # the null sink's own rate: no resampling between sink and recording
LOUD = 328  # -40 dBFS: the burp passes it within a millisecond of its start
TITLE = "^Merow Hopsmeld Helper$"


def now_ns():
    return time.monotonic_ns()


class Keyboard:
    """Key presses through XTest, so the moment of each event is known to this process."""

    def __init__(self):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XStringToKeysym.restype = ctypes.c_ulong
        self.x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
        self.x11.XKeysymToKeycode.restype = ctypes.c_ubyte
        self.x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.x11.XFlush.argtypes = [ctypes.c_void_p]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                ctypes.c_ulong]
        self.display = self.x11.XOpenDisplay(None)
        if not self.display:
            sys.exit("cue_latency: no X display")

    def _code(self, name):
        return self.x11.XKeysymToKeycode(self.display, self.x11.XStringToKeysym(name.encode()))

    def key(self, name, down):
        self.xtst.XTestFakeKeyEvent(self.display, self._code(name), 1 if down else 0, 0)
        self.x11.XFlush(self.display)

    def tap(self, name, hold=0.03):
        self.key(name, True)
        time.sleep(hold)
        self.key(name, False)

    def click_space(self, hold=0.05):
        """A button clicks on the release of Space: that release is the moment returned."""
        self.key("space", True)
        time.sleep(hold)
        moment = now_ns()
        self.key("space", False)
        return moment


class Recorder:
    def __init__(self, monitor):
        self.process = subprocess.Popen(
            ["parec", "--raw", "--format=s16le", "--channels=1", "--rate=%d" % RATE,
             "--latency-msec=20", "--device=" + monitor], stdout=subprocess.PIPE)
        self.chunks = []  # (arrival ns, bytes)
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()

    def _read(self):
        fd = self.process.stdout.fileno()
        while True:
            data = os.read(fd, 1 << 16)
            if not data:
                return
            self.chunks.append((now_ns(), data))

    def wait_for_data(self, timeout=10.0):
        end = time.monotonic() + timeout
        while not self.chunks and time.monotonic() < end:
            time.sleep(0.005)
        return bool(self.chunks)

    def samples_until(self, moment_ns, timeout=5.0):
        """Waits until the recording has reached a moment, and returns everything so far."""
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if self.chunks and self.chunks[-1][0] >= moment_ns:
                break
            time.sleep(0.01)

    def stop(self):
        self.process.terminate()
        self.process.wait()
        self.thread.join(2)

    def timeline(self):
        """The samples, the monotonic time of sample 0, and each chunk's lateness (ns)."""
        data = b"".join(d for _, d in self.chunks)
        samples = array.array("h")
        samples.frombytes(data[: len(data) // 2 * 2])
        offsets = []
        end = 0
        for arrival, chunk in self.chunks:
            end += len(chunk)
            offsets.append(arrival - (end // 2) * 1e9 / RATE)
        anchor = min(offsets)
        return samples, anchor, [o - anchor for o in offsets]


def find_window(timeout=20.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", TITLE],
                               capture_output=True, text=True).stdout.split()
        if found:
            return found[0]
        time.sleep(0.005)
    return None


def peak_rss(pid):
    """The process's peak resident set so far (VmHWM), in KiB."""
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return None


def first_loud_after(samples, anchor, moment_ns, within_s=3.0):
    start = max(0, int((moment_ns - anchor) * RATE / 1e9) + 1)
    stop = min(len(samples), start + int(within_s * RATE))
    for i in range(start, stop):
        if abs(samples[i]) >= LOUD:
            return (anchor + i * 1e9 / RATE - moment_ns) / 1e6
    return None


def one_start(program, keyboard, cues, pause, monitor, log):
    recorder = Recorder(monitor)
    if not recorder.wait_for_data():
        recorder.stop()
        return None, "the recording never started"
    app = subprocess.Popen([program], stdout=subprocess.DEVNULL, stderr=log)
    try:
        window = find_window()
        if not window:
            return None, "the window did not appear"
        subprocess.run(["xdotool", "windowactivate", "--sync", window], capture_output=True)
        time.sleep(0.5)
        # The caret starts in the original gravity box; Tab to the final gravity, then to
        # Calculate, at a quick typist's pace.
        for key in ["1", "period", "0", "5", "0", "Tab", "1", "period", "0", "1", "0", "Tab"]:
            keyboard.tap(key)
            time.sleep(0.03)
        time.sleep(0.2)
        clicks = []
        for _ in range(cues):
            clicks.append(keyboard.click_space())
            time.sleep(pause)
        recorder.samples_until(now_ns())
        peak_rss_kb = peak_rss(app.pid)
    finally:
        app.send_signal(signal.SIGTERM)
        try:
            app.wait(5)
        except subprocess.TimeoutExpired:
            app.kill()
            app.wait()
        recorder.stop()
    samples, anchor, lateness = recorder.timeline()
    latencies = [first_loud_after(samples, anchor, c, within_s=pause) for c in clicks]
    return {"latencies_ms": latencies, "peak_rss_kb": peak_rss_kb,
            "chunk_lateness_ms": {"median": statistics.median(lateness) / 1e6,
                                  "max": max(lateness) / 1e6}}, None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--starts", type=int, default=10)
    parser.add_argument("--cues", type=int, default=4)
    parser.add_argument("--pause", type=float, default=1.0)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    monitor = os.environ.get("HOPSMELD_TEST_SINK", "testsink") + ".monitor"
    keyboard = Keyboard()

    # A fresh sound server hands its first recording over late: warm it up once.
    warm = Recorder(monitor)
    warm.wait_for_data()
    warm.stop()

    runs = []
    failures = []
    with open(args.out + ".log", "w") as log:
        for n in range(args.starts):
            run, failure = one_start(args.program, keyboard, args.cues, args.pause, monitor, log)
            if failure:
                failures.append("start %d: %s" % (n + 1, failure))
            else:
                runs.append(run)
            print("start %d/%d: %s" % (n + 1, args.starts, failure or
                  " ".join("-" if v is None else "%.1f" % v for v in run["latencies_ms"])),
                  flush=True)
    with open(args.out, "w") as out:
        json.dump({"runs": runs, "failures": failures, "cues_per_start": args.cues,
                   "pause_s": args.pause, "rate": RATE, "threshold": LOUD}, out, indent=1)


if __name__ == "__main__":
    main()
