#!/usr/bin/python3
"""The sound cue as the brewer hears it: once per calculation, cut by the next one, silent when
Burp.wav cannot be played or no sound server answers, heard again once the server is back, and no
stream left open between cues.
    test_sound_cue.py PROGRAM [CASE...]
"""
import io
import math
import os
import shutil
import struct
import time
import wave

from desktop import Desktop, Failure, main, step

RATE = 8000


def clip(pattern):
    """A mono WAV file: 100 ms of a 440 Hz tone for each 1 in pattern, of silence for each 0."""
    frames = b"".join(struct.pack("<h", int(on * 16000 * math.sin(2 * math.pi * 440 * i / RATE)))
                      for on in pattern for i in range(RATE // 10))
    out = io.BytesIO()
    with wave.open(out, "wb") as w:
        w.setnchannels(1), w.setsampwidth(2), w.setframerate(RATE), w.writeframes(frames)
    return out.getvalue()


def aiff():
    """Half a second of the same tone as an AIFF file: a sound file, but not a WAV file."""
    frames = b"".join(struct.pack(">h", int(16000 * math.sin(2 * math.pi * 440 * i / RATE)))
                      for i in range(RATE // 2))
    common = struct.pack(">hIh", 1, len(frames) // 2, 16) + bytes.fromhex("400bfa00000000000000")
    chunks = b"COMM" + struct.pack(">I", 18) + common + b"SSND" + struct.pack(">III", len(frames) + 8, 0, 0) + frames
    return b"FORM" + struct.pack(">I", len(chunks) + 4) + b"AIFF" + chunks


def copy_with(d, program, sound):
    """The program in a folder of its own, with `sound` as its Burp.wav (None: no file)."""
    folder = d.folder("copy%d" % len(os.listdir(d.dir)))
    shutil.copy(program, folder)
    if sound is not None:
        with open(os.path.join(folder, "Burp.wav"), "wb") as f:
            f.write(sound)
    return os.path.join(folder, os.path.basename(program))


def ready_to_calculate(d, program):
    """Starts the program and types both gravities; Space then clicks Calculate."""
    p = d.start_program(program)
    window = d.wait_until(d.windows, 15, "the window")[0]
    d.xdotool("windowactivate", "--sync", window)
    d.xdotool("type", "--delay", "20", "1.050\t1.010\t")
    return p


def calculate(d):
    d.xdotool("key", "space")


def bursts(loud):
    """(start, end) in ms of each stretch of sound, joined across gaps under 120 ms."""
    found = []
    for i, on in enumerate(loud):
        if on and found and i * 10 - found[-1][1] < 120:
            found[-1][1] = i * 10 + 10
        elif on:
            found.append([i * 10, i * 10 + 10])
    return found


def streams_of(d, p):
    return d.run("pactl", "list", "sink-inputs").count('application.process.id = "%d"' % p.process.pid)


def each_cue_heard_once(program):
    """three calculations: three burps, each whole, and no stream left open after them"""
    with Desktop(sound=True) as d:
        recording = d.record()
        p = ready_to_calculate(d, program)
        for n in (1, 2, 3):
            calculate(d)
            recording.wait_for(n)
        time.sleep(1)  # time for a stray fourth sound to show
        heard = bursts(recording.loud())
        if len(heard) != 3 or any(not 250 < end - start < 700 for start, end in heard):
            raise Failure("expected three burps of about 0.55 s, heard %s" % heard)
        d.wait_until(lambda: streams_of(d, p) == 0, 3, "the cue's stream to close")


def a_new_cue_cuts_the_playing_one(program):
    """a second cue in the first one's pause cuts it: its closing tone is never heard"""
    with Desktop(sound=True) as d:
        recording = d.record()
        ready_to_calculate(d, copy_with(d, program, clip([1, 0, 0, 0, 0, 0, 0, 0, 1])))
        calculate(d)
        recording.wait_for(1)  # the opening tone has played
        calculate(d)
        recording.wait_for(3)
        time.sleep(1.2)  # past where the first cue's closing tone would have come
        heard = bursts(recording.loud())
        if len(heard) != 3 or not 740 < heard[2][0] - heard[1][0] < 860:
            raise Failure("expected opening, opening, closing 0.8 s later; heard %s" % heard)


def unplayable_files_are_silent(program):
    """missing, not a sound, broken or not a WAV file: silence, no message, the program goes on"""
    with Desktop(sound=True) as d:
        recording = d.record()
        path = copy_with(d, program, None)
        p = ready_to_calculate(d, path)
        sounds = {"missing": None, "text": b"this is not a sound\n", "riff but no wave": b"RIFF\x10\0\0\0AVI LIST",
                  "wave without data": b"RIFF\x04\0\0\0WAVE", "no samples": clip([]),
                  "cut short in the header": clip([1, 1, 1])[:30], "aiff, not wav": aiff()}
        for name, sound in sounds.items():
            burp = os.path.join(os.path.dirname(path), "Burp.wav")
            if sound is None:
                if os.path.exists(burp):
                    os.remove(burp)
            else:
                with open(burp, "wb") as f:
                    f.write(sound)
            calculate(d)
            time.sleep(0.6)
        if heard := bursts(recording.loud()):
            raise Failure("heard sound (ms into the recording): %s" % heard)
        if not p.running() or p.output().strip():
            raise Failure("the program ended or said something: %r" % p.output())
        if len(d.windows()) != 1:
            raise Failure("a message came up")


def a_server_that_comes_back_is_used_again(program):
    """no server at first, then one; away for 2.5 s, then back: the cue is heard each time it is"""
    with Desktop(sound=True) as d:
        d.stop_sound()
        p = ready_to_calculate(d, program)
        for _ in range(3):
            calculate(d)
        for what in ("came up", "came back"):
            d.start_sound()
            recording = d.record()
            calculate(d)
            recording.wait_for(1)
            step("heard once the server " + what)
            d.stop_sound()
            calculate(d)
            time.sleep(2.5)
        if not p.running() or p.output().strip():
            raise Failure("the program ended or said something: %r" % p.output())


CASES = [each_cue_heard_once, a_new_cue_cuts_the_playing_one, unplayable_files_are_silent,
         a_server_that_comes_back_is_used_again]

if __name__ == "__main__":
    main(CASES)
