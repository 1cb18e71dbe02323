#pragma once

// The sound cue after a calculation and on reopening the window: "Burp.wav" from the program's
// own directory, played in the background. Silent when the file or the sound server is missing.
namespace hopsmeld {

void PlayBurp();

} // namespace hopsmeld
