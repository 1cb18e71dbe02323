#pragma once

#include <pulse/sample.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The samples of a WAV file as 16-bit integers, the form every sound server takes.
namespace hopsmeld {

struct SoundClip {
    pa_sample_spec sampleFormat{};
    std::vector<std::int16_t> samples; // interleaved, whole frames
};

// Nothing for a file that is missing, unreadable, not a WAV file or empty; then `why` says which.
std::optional<SoundClip> readWavFile(const std::string& path, std::string& why);

} // namespace hopsmeld
