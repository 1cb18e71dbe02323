#pragma once

#include <QByteArray>

#include <optional>

// The samples of a PCM or float WAV file, checked well enough to hand to the sound system.
namespace hopsmeld {

struct WavClip {
    enum class Sample { UInt8, Int16, Int32, Float };
    int sampleRate = 0;
    int channels = 0;
    Sample sample = Sample::Int16;
    QByteArray frames; // whole frames only
};

// Anything that is not a plain playable WAV gives nothing, so a wrong file stays silent.
std::optional<WavClip> parseWav(const QByteArray& file);

} // namespace hopsmeld
