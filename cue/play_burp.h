#pragma once

// The sound cue after a calculation and on reopening the window: "Burp.wav" from the program's
// own directory, played in the background. Silent when the file or the sound system is missing.
namespace hopsmeld {

void PlayBurp();

// Loads the sound system once the window is on screen, so even the first cue starts at once.
void PrepareBurp();

} // namespace hopsmeld
