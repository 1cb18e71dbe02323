#pragma once

// A private PulseAudio server with one null sink, for tests that listen to what is played: the
// sink's monitor is recorded for as long as the server runs, and the bursts of sound in the
// recording can be waited for and counted. Clients find the server through PULSE_SERVER, which
// start() sets for the whole test process.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cmath>
#include <functional>
#include <vector>

namespace hopsmeld::test {

class SoundServer {
  public:
    static constexpr int kRate = 8000;
    static constexpr int kWindowMs = 10;
    static constexpr double kHeardDb = -40;   // a burp peaks far above this
    static constexpr double kSilenceDb = -70; // the monitor is digital silence otherwise
    static constexpr int kJoinGapMs = 120;    // shorter quiet stretches stay inside a burst

    struct Burst {
        int startMs;
        int endMs;
    };

    SoundServer() { qputenv("PULSE_SERVER", address().toUtf8()); }
    ~SoundServer() { stop(); }

    QString address() const { return "unix:" + dir_.path() + "/native"; }

    // The server, a stream of silence that keeps the null sink running so the monitor's time
    // line has no gaps, and the recorder (raw 16-bit mono; a short latency, or most of a short
    // recording is lost).
    bool start() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", dir_.path());
        env.insert("XDG_RUNTIME_DIR", dir_.path());
        server_.setProcessEnvironment(env);
        server_.setStandardErrorFile(QProcess::nullDevice());
        server_.start(
            "pulseaudio",
            {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no", "--disallow-exit",
             "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + dir_.path() + "/native",
             "-L", "module-null-sink sink_name=testsink"});
        if (!waitFor([this] { return !pactl({"info"}).isEmpty(); }, 10000))
            return false;
        keepAlive_.start("pacat", {"--raw", "--latency-msec=20", "/dev/zero"});
        data_.clear();
        QObject::connect(&recorder_, &QProcess::readyReadStandardOutput,
                         [this] { data_ += recorder_.readAllStandardOutput(); });
        recorder_.start("parec", {"--raw", "--format=s16le", "--channels=1",
                                  "--rate=" + QString::number(kRate), "--latency-msec=20",
                                  "--device=testsink.monitor"});
        return recorder_.waitForStarted() && waitFor([this] { return !data_.isEmpty(); }, 10000);
    }

    void stop() {
        for (QProcess* process : {&recorder_, &keepAlive_, &server_}) {
            process->terminate();
            process->waitForFinished(5000);
        }
        QObject::disconnect(&recorder_, nullptr, nullptr, nullptr);
    }

    // The recording from here on only.
    void clearRecording() { data_.clear(); }

    // Runs the event loop until the condition holds; false on time-out.
    static bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
        const QDeadlineTimer deadline(timeoutMs);
        while (!condition()) {
            if (deadline.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(5);
        }
        return true;
    }

    int recordedMs() const { return int(data_.size() / 2 * 1000 / kRate); }

    // Lets the recording run on for another stretch of its own time.
    bool listen(int ms) {
        const int until = recordedMs() + ms;
        return waitFor([&] { return recordedMs() >= until; }, ms + 5000);
    }

    // Until at least count bursts have ended (followed by a quiet gap).
    bool waitForBursts(size_t count, int timeoutMs = 5000) {
        return waitFor(
            [&] {
                const std::vector<Burst> found = bursts();
                const size_t ended =
                    found.size() -
                    (!found.empty() && found.back().endMs + kJoinGapMs > recordedMs());
                return ended >= count;
            },
            timeoutMs);
    }

    // Loudness per window, in dB below full scale.
    std::vector<double> levels() const {
        const auto* samples = reinterpret_cast<const qint16*>(data_.constData());
        const qsizetype count = data_.size() / 2;
        const int window = kRate * kWindowMs / 1000;
        std::vector<double> out;
        for (qsizetype at = 0; at + window <= count; at += window) {
            double sum = 0;
            for (int i = 0; i < window; ++i)
                sum += double(samples[at + i]) * samples[at + i];
            out.push_back(20 * std::log10(std::sqrt(sum / window) / 32768.0 + 1e-9));
        }
        return out;
    }

    double peakDb() const {
        double peak = -200;
        for (double level : levels())
            peak = std::max(peak, level);
        return peak;
    }

    std::vector<Burst> bursts() const {
        std::vector<Burst> found;
        const std::vector<double> l = levels();
        for (size_t i = 0; i < l.size(); ++i) {
            if (l[i] < kHeardDb)
                continue;
            const int ms = int(i) * kWindowMs;
            if (!found.empty() && ms - found.back().endMs < kJoinGapMs)
                found.back().endMs = ms + kWindowMs;
            else
                found.push_back({ms, ms + kWindowMs});
        }
        return found;
    }

    // Playback streams this process has open on the server.
    int streamsOf(qint64 pid) const {
        const QByteArray mark = "application.process.id = \"" + QByteArray::number(pid) + "\"";
        return int(pactl({"list", "sink-inputs"}).count(mark));
    }

  private:
    static QByteArray pactl(const QStringList& arguments) {
        QProcess process;
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start("pactl", arguments);
        process.waitForFinished(5000);
        return process.exitCode() == 0 ? process.readAllStandardOutput() : QByteArray();
    }

    QTemporaryDir dir_;
    QProcess server_;
    QProcess keepAlive_;
    QProcess recorder_;
    QByteArray data_;
};

} // namespace hopsmeld::test
