#include "wav_clip.h"

#include <QtEndian>

namespace hopsmeld {

namespace {

constexpr quint16 kFormatPcm = 1;
constexpr quint16 kFormatFloat = 3;
constexpr quint16 kFormatExtensible = 0xFFFE;

quint16 u16(const char* p) {
    return qFromLittleEndian<quint16>(p);
}
quint32 u32(const char* p) {
    return qFromLittleEndian<quint32>(p);
}

std::optional<WavClip::Sample> sampleKind(quint16 format, quint16 bits) {
    if (format == kFormatPcm) {
        switch (bits) {
        case 8:
            return WavClip::Sample::UInt8;
        case 16:
            return WavClip::Sample::Int16;
        case 32:
            return WavClip::Sample::Int32;
        default:
            return std::nullopt;
        }
    }
    if (format == kFormatFloat && bits == 32)
        return WavClip::Sample::Float;
    return std::nullopt;
}

} // namespace

std::optional<WavClip> parseWav(const QByteArray& file) {
    const char* data = file.constData();
    const qsizetype size = file.size();
    if (size < 12 || !file.startsWith("RIFF") || file.mid(8, 4) != "WAVE")
        return std::nullopt;

    std::optional<WavClip::Sample> sample;
    WavClip clip;
    qsizetype blockAlign = 0;
    for (qsizetype pos = 12; pos + 8 <= size;) {
        const QByteArray id = file.mid(pos, 4);
        const qsizetype chunkSize = u32(data + pos + 4);
        const qsizetype body = pos + 8;
        const qsizetype available = std::min(chunkSize, size - body);
        if (id == "fmt ") {
            if (available < 16)
                return std::nullopt;
            quint16 format = u16(data + body);
            clip.channels = u16(data + body + 2);
            clip.sampleRate = static_cast<int>(std::min<quint32>(u32(data + body + 4), 1u << 30));
            blockAlign = u16(data + body + 12);
            const quint16 bits = u16(data + body + 14);
            if (format == kFormatExtensible && available >= 26)
                format = u16(data + body + 24); // first two bytes of the sub-format GUID
            sample = sampleKind(format, bits);
            if (!sample || clip.channels < 1 || clip.channels > 8 || clip.sampleRate < 4000 ||
                clip.sampleRate > 384000 || blockAlign != clip.channels * (bits / 8))
                return std::nullopt;
            clip.sample = *sample;
        } else if (id == "data") {
            if (!sample) // the format must come first
                return std::nullopt;
            clip.frames = file.mid(body, available - available % blockAlign);
            if (clip.frames.isEmpty())
                return std::nullopt;
            return clip;
        }
        pos = body + chunkSize + (chunkSize & 1);
    }
    return std::nullopt;
}

} // namespace hopsmeld
