#include "sound_file.h"

#include <sndfile.h>

namespace hopsmeld {

namespace {

// A burp is short; a long recording put in its place is not worth reading on a click.
constexpr sf_count_t kLongestClipSeconds = 30;

bool isWav(int format) {
    switch (format & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
    case SF_FORMAT_RF64:
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<SoundClip> readWavFile(const std::string& path, std::string& why) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        why = sf_strerror(nullptr);
        return std::nullopt;
    }
    SoundClip clip;
    clip.sampleFormat.format = PA_SAMPLE_S16NE;
    clip.sampleFormat.rate = static_cast<std::uint32_t>(info.samplerate);
    clip.sampleFormat.channels = static_cast<std::uint8_t>(info.channels);
    const bool usable = isWav(info.format) && info.channels > 0 &&
                        info.channels <= int(PA_CHANNELS_MAX) && info.samplerate > 0 &&
                        pa_sample_spec_valid(&clip.sampleFormat) && info.frames > 0 &&
                        info.frames <= kLongestClipSeconds * info.samplerate;
    if (usable) {
        clip.samples.resize(static_cast<std::size_t>(info.frames * info.channels));
        const sf_count_t read = sf_readf_short(file, clip.samples.data(), info.frames);
        clip.samples.resize(
            static_cast<std::size_t>(std::max<sf_count_t>(read, 0) * info.channels));
    }
    sf_close(file);
    if (clip.samples.empty()) {
        why = !isWav(info.format) ? "not a WAV file"
              : usable            ? "its samples cannot be read"
                                  : "no playable sound of at most 30 s in it";
        return std::nullopt;
    }
    return clip;
}

} // namespace hopsmeld
