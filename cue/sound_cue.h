#pragma once

#include <QBuffer>
#include <QObject>
#include <QString>

#include <memory>

class QAudioSink;

// Plays one WAV file, fire and forget. Each cue gets a fresh output stream: a new cue cuts the
// one playing and starts from the beginning, and no stream is reused after it has run dry.
namespace hopsmeld {

class SoundCue : public QObject {
  public:
    explicit SoundCue(QString path, QObject* parent = nullptr);
    ~SoundCue() override;

    // Connects to the sound system and opens a stream ahead of the first cue, which would
    // otherwise start noticeably late.
    void prepare();
    void play();

  private:
    void stopPlaying();

    QString path_;
    QBuffer buffer_;
    std::unique_ptr<QAudioSink> sink_;
    bool prepared_ = false;
};

} // namespace hopsmeld
