#!/usr/bin/python3
"""test_sound_cue.py PROGRAM [CASE...]: the sound cue as the brewer hears it: silent when Burp.wav
cannot be played or no sound server answers (said once on standard error), cut by the next cue,
no stream left open after it, heard again once the server is back."""
import math
import os
import pathlib
import shutil
import struct
import time

from desktop import Desktop, Failure, main, wait_until

RATE = 8000


def tone(pattern):
    """16-bit mono samples: 100 ms of a 440 Hz tone for each 1 in pattern, of silence for each 0."""
    return b"".join(struct.pack("<h", int(on * 16000 * math.sin(2 * math.pi * 440 * i / RATE)))
                    for on in pattern for i in range(RATE // 10))


def wav(samples):
    """A WAV file of 16-bit mono samples: RIFF, the PCM format chunk, the data chunk."""
    return struct.pack("<4sI4s4sIHHIIHH4sI", b"RIFF", 36 + len(samples), b"WAVE", b"fmt ", 16, 1, 1, RATE, 2 * RATE,
                       2, 16, b"data", len(samples)) + samples


def start(d, program, sound):
    """A copy of the program with `sound` as its Burp.wav, both gravities typed: Space then clicks
    Calculate. Returns the program and the path of its Burp.wav."""
    folder = d.folder("copy")
    shutil.copytree(os.path.join(os.path.dirname(program), "modules"), folder + "/modules")  # the sound
    (burp := pathlib.Path(folder, "Burp.wav")).write_bytes(sound)
    p = d.start_program(shutil.copy(program, folder))
    d.xdotool("windowactivate", "--sync", wait_until(d.windows, 15, "the window")[0])
    d.xdotool("type", "--delay", "20", "1.050\t1.010\t")
    return p, burp


def said_once(p, why):
    """Still running, and one line said: why the cue was silent."""
    if not p.running() or len(lines := p.output().splitlines()) != 1 or why not in lines[0]:
        raise Failure("the program ended or did not say once %r: %r" % (why, p.output()))


def silent_on_bad_files_and_cut_by_the_next_cue(program):
    """not a sound, no samples, cut short, missing or not a WAV file (AU): silence, no box, one line
    on standard error; then a second cue in the first one's pause cuts it, plays whole, and its
    stream closes"""
    with Desktop(sound=True) as d:
        recording = d.record()
        p, burp = start(d, program, b"this is not a sound\n")
        au = struct.pack(">4s5I", b".snd", 24, 3200, 3, RATE, 1) + tone([1, 1])  # big-endian: 0.2 s of noise
        for sound in (wav(b""), wav(tone([1, 1, 1]))[:30], None, au, wav(tone([1, 0, 0, 0, 0, 0, 0, 0, 1]))):
            d.xdotool("key", "space")
            time.sleep(0.6)  # time for a sound that should not come
            burp.write_bytes(sound) if sound else burp.unlink()
        if len(d.windows()) != 1 or recording.sounds():
            raise Failure("a message came up or a bad Burp.wav was heard")
        d.xdotool("key", "space")
        recording.wait_for(1)  # the opening tone has played
        d.xdotool("key", "space")
        recording.wait_for(3)
        time.sleep(1.2)  # past where the first cue's closing tone would have come
        heard = recording.sounds()
        if len(heard) != 3 or not 740 < heard[2] - heard[1] < 860:
            raise Failure("expected opening, opening, closing 0.8 s later; heard %s" % heard)
        wait_until(lambda: 'process.id = "%d"' % p.process.pid not in d.run("pactl", "list", "sink-inputs"),
                   3, "the cue's stream to close")
        said_once(p, "/Burp.wav: ")


def a_server_that_comes_back_is_used_again(program):
    """no server at first, then one; away for 2.5 s, then back: the cue is heard each time it is,
    the server's absence said once"""
    with Desktop(sound=True) as d:
        d.stop("sound")
        p, _ = start(d, program, wav(tone([1, 1, 1])))
        d.xdotool("key", "space", "space", "space")
        for what in ("came up", "came back"):
            d.start("sound")
            recording = d.record()
            d.xdotool("key", "space")
            recording.wait_for(1)
            print("-- heard once the server", what, flush=True)
            d.stop("sound")
            d.xdotool("key", "space")
            time.sleep(2.5)
        said_once(p, "no sound cue: the sound server refused: ")


if __name__ == "__main__":
    main([silent_on_bad_files_and_cut_by_the_next_cue, a_server_that_comes_back_is_used_again])
