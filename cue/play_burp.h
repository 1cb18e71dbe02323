#pragma once

// The sound cue after a calculation and on reopening the window: "Burp.wav" from the program's
// own directory, played in the background. Silent when the file or the sound server is missing.
namespace hopsmeld {

void PlayBurp();

// Loads what the cue plays with on a thread of its own, so that the first cue finds it ready;
// PlayBurp() loads it itself when nothing asked before. Called again: nothing more happens.
void PrepareBurp();

// Calls PrepareBurp() at the user's first key or mouse press in the program: a cue follows
// only something the user did, so a program started and left alone loads nothing for sound.
void PrepareBurpOnFirstInput();

} // namespace hopsmeld
