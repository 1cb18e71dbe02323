#include "sound_cue.h"

#include "wav_clip.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QFile>
#include <QMediaDevices>

namespace hopsmeld {

namespace {

// A burp is short; anything much larger is not ours and not worth reading on a click.
constexpr qint64 kLargestSoundFile = 8 * 1024 * 1024;

QAudioFormat audioFormat(const WavClip& clip) {
    QAudioFormat format;
    format.setSampleRate(clip.sampleRate);
    format.setChannelCount(clip.channels);
    switch (clip.sample) {
    case WavClip::Sample::UInt8:
        format.setSampleFormat(QAudioFormat::UInt8);
        break;
    case WavClip::Sample::Int16:
        format.setSampleFormat(QAudioFormat::Int16);
        break;
    case WavClip::Sample::Int32:
        format.setSampleFormat(QAudioFormat::Int32);
        break;
    case WavClip::Sample::Float:
        format.setSampleFormat(QAudioFormat::Float);
        break;
    }
    return format;
}

std::optional<WavClip> readClip(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestSoundFile)
        return std::nullopt;
    return parseWav(file.read(kLargestSoundFile));
}

} // namespace

SoundCue::SoundCue(QString path, QObject* parent) : QObject(parent), path_(std::move(path)) {}

SoundCue::~SoundCue() {
    stopPlaying();
}

void SoundCue::prepare() {
    if (prepared_)
        return;
    prepared_ = true;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return;
    // A few milliseconds of silence through a real stream: the sound server then has the
    // connection and the stream set-up behind it when the first cue comes.
    QAudioFormat format = device.preferredFormat();
    if (!format.isValid())
        return;
    buffer_.close();
    buffer_.setData(QByteArray(format.bytesForDuration(10000), '\0'));
    buffer_.open(QIODevice::ReadOnly);
    sink_ = std::make_unique<QAudioSink>(device, format);
    sink_->start(&buffer_);
}

void SoundCue::play() {
    prepared_ = true;
    stopPlaying();
    const std::optional<WavClip> clip = readClip(path_);
    if (!clip)
        return;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    const QAudioFormat format = audioFormat(*clip);
    if (device.isNull() || !device.isFormatSupported(format))
        return;
    buffer_.setData(clip->frames);
    buffer_.open(QIODevice::ReadOnly);
    sink_ = std::make_unique<QAudioSink>(device, format);
    sink_->start(&buffer_);
}

void SoundCue::stopPlaying() {
    if (sink_) {
        sink_->stop();
        sink_.reset();
    }
    buffer_.close();
}

} // namespace hopsmeld
