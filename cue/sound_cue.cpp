#include "sound_cue.h"

#include "sound_file.h"

#include <pulse/pulseaudio.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <optional>

namespace hopsmeld {

namespace {

// A silent cue says why on standard error, once per kind of failure for the life of the program:
// not in a box, and not again on every calculation.
enum class Failure { File, Server };

void sayOnce(Failure kind, const std::string& what) {
    static std::atomic<bool> said[2];
    if (!said[static_cast<int>(kind)].exchange(true))
        std::fprintf(stderr, "%s: no sound cue: %s\n", program_invocation_short_name, what.c_str());
}

void serverRefused(pa_context* context) {
    sayOnce(Failure::Server,
            std::string("the sound server refused: ") + pa_strerror(pa_context_errno(context)));
}

} // namespace

// The connection and the one playing stream. Everything in here runs either with the main
// loop's lock held or on the main loop's own thread, which holds it while calling back.
struct SoundCue::Player {
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    std::string applicationName;
    std::string mediaName;
    std::optional<SoundClip> waiting; // for the connection to come up
    SoundClip playing;
    std::size_t writtenBytes = 0;

    Player(std::string application, std::string media)
        : applicationName(std::move(application)), mediaName(std::move(media)) {
        loop = pa_threaded_mainloop_new();
        if (loop && pa_threaded_mainloop_start(loop) < 0) {
            pa_threaded_mainloop_free(loop);
            loop = nullptr;
        }
    }

    ~Player() {
        if (!loop)
            return;
        pa_threaded_mainloop_lock(loop);
        stopStream();
        dropContext();
        pa_threaded_mainloop_unlock(loop);
        pa_threaded_mainloop_stop(loop);
        pa_threaded_mainloop_free(loop);
    }

    void play(std::optional<SoundClip> clip) {
        if (!loop)
            return;
        pa_threaded_mainloop_lock(loop);
        stopStream();
        waiting.reset();
        if (clip) {
            if (context && !PA_CONTEXT_IS_GOOD(pa_context_get_state(context)))
                dropContext(); // the server went away: try again afresh
            if (!context)
                connect();
            if (context && pa_context_get_state(context) == PA_CONTEXT_READY)
                startStream(std::move(*clip));
            else if (context)
                waiting = std::move(clip);
        }
        pa_threaded_mainloop_unlock(loop);
    }

    void connect() {
        pa_proplist* properties = pa_proplist_new();
        pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, applicationName.c_str());
        context =
            pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop), nullptr, properties);
        pa_proplist_free(properties);
        if (!context)
            return;
        pa_context_set_state_callback(context, onContextState, this);
        // Never start a sound server of our own for a burp.
        if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            serverRefused(context);
            dropContext();
        }
    }

    void dropContext() {
        if (!context)
            return;
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
        context = nullptr;
    }

    static void onContextState(pa_context* c, void* self) {
        auto* player = static_cast<Player*>(self);
        const pa_context_state_t state = pa_context_get_state(c);
        if (state == PA_CONTEXT_READY && player->waiting) {
            player->startStream(std::move(*player->waiting));
            player->waiting.reset();
        } else if (!PA_CONTEXT_IS_GOOD(state)) {
            if (state == PA_CONTEXT_FAILED)
                serverRefused(c);
            player->waiting.reset();
            player->stopStream();
        }
    }

    void startStream(SoundClip clip) {
        playing = std::move(clip);
        writtenBytes = 0;
        pa_proplist* properties = pa_proplist_new();
        // An event sound: the desktop's volume and policy for alerts apply to it.
        pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "event");
        pa_proplist_sets(properties, PA_PROP_MEDIA_NAME, mediaName.c_str());
        stream = pa_stream_new_with_proplist(context, mediaName.c_str(), &playing.sampleFormat,
                                             nullptr, properties);
        pa_proplist_free(properties);
        if (!stream)
            return;
        pa_stream_set_state_callback(stream, onStreamState, this);
        pa_stream_set_write_callback(stream, onWritable, this);
        if (pa_stream_connect_playback(stream, nullptr, nullptr, PA_STREAM_NOFLAGS, nullptr,
                                       nullptr) < 0)
            stopStream();
    }

    void stopStream() {
        if (stream) {
            pa_stream_set_state_callback(stream, nullptr, nullptr);
            pa_stream_set_write_callback(stream, nullptr, nullptr);
            pa_stream_disconnect(stream);
            pa_stream_unref(stream);
            stream = nullptr;
        }
        playing = SoundClip();
    }

    static void onStreamState(pa_stream* s, void* self) {
        auto* player = static_cast<Player*>(self);
        if (s == player->stream && !PA_STREAM_IS_GOOD(pa_stream_get_state(s))) {
            if (pa_stream_get_state(s) == PA_STREAM_FAILED)
                serverRefused(player->context);
            player->stopStream();
        }
    }

    // The server asks for more: hand over what is left of the clip, then let it play out and
    // close the stream.
    static void onWritable(pa_stream* s, std::size_t bytes, void* self) {
        auto* player = static_cast<Player*>(self);
        const auto* data = reinterpret_cast<const char*>(player->playing.samples.data());
        const std::size_t total = player->playing.samples.size() * sizeof(std::int16_t);
        const std::size_t chunk = std::min(bytes, total - player->writtenBytes);
        if (chunk > 0 && pa_stream_write(s, data + player->writtenBytes, chunk, nullptr, 0,
                                         PA_SEEK_RELATIVE) < 0) {
            player->stopStream();
            return;
        }
        player->writtenBytes += chunk;
        if (player->writtenBytes < total)
            return;
        pa_stream_set_write_callback(s, nullptr, nullptr);
        if (pa_operation* drain = pa_stream_drain(s, onDrained, self))
            pa_operation_unref(drain);
        else
            player->stopStream();
    }

    static void onDrained(pa_stream* s, int, void* self) {
        auto* player = static_cast<Player*>(self);
        if (s == player->stream)
            player->stopStream();
    }
};

SoundCue::SoundCue(std::string path, std::string applicationName)
    : path_(std::move(path)), applicationName_(std::move(applicationName)) {}

SoundCue::~SoundCue() = default;

void SoundCue::play() {
    std::string why;
    std::optional<SoundClip> clip = readWavFile(path_, why);
    if (!clip)
        sayOnce(Failure::File, path_ + ": " + why);
    if (!player_) {
        if (!clip)
            return; // no file, no reason to reach for the sound server yet
        const std::size_t slash = path_.find_last_of('/');
        player_ = std::make_unique<Player>(applicationName_, path_.substr(slash + 1));
    }
    player_->play(std::move(clip));
}

} // namespace hopsmeld
