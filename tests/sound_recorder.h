#pragma once

// Records what the private test sound server plays, from its null sink's monitor, and finds the
// bursts of sound in it.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <cmath>
#include <memory>
#include <vector>

namespace hopsmeld::test {

class SoundRecorder {
  public:
    static constexpr int kRate = 8000;
    static constexpr int kWindowMs = 10;

    struct Burst {
        int startMs;
        int endMs;
    };

    ~SoundRecorder() { stop(); }

    // Qt lists no monitor sources, so parec records: raw 16-bit mono on stdout, with a short
    // latency (a long one loses most of a short recording).
    bool start() {
        const QString monitor = qEnvironmentVariable("HOPSMELD_TEST_SINK") + ".monitor";
        parec_.start("parec",
                     {"--raw", "--format=s16le", "--channels=1", "--rate=" + QString::number(kRate),
                      "--latency-msec=20", "--device=" + monitor});
        clock_.start();
        QObject::connect(&parec_, &QProcess::readyReadStandardOutput,
                         [this] { data_ += parec_.readAllStandardOutput(); });
        return parec_.waitForStarted(5000);
    }

    // The null sink hands its monitor out in chunks up to two seconds late, so wait until the
    // recording covers the time that has passed before ending it.
    void stop() {
        if (parec_.state() == QProcess::NotRunning)
            return;
        const qint64 wanted = (clock_.elapsed() - 100) * kRate / 1000 * 2;
        QElapsedTimer waiting;
        waiting.start();
        while (data_.size() < wanted && waiting.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        parec_.terminate();
        parec_.waitForFinished(5000);
        data_ += parec_.readAllStandardOutput();
    }

    // Loudness per 10 ms window, in dB below full scale.
    std::vector<double> levels() const {
        const QByteArray& data = data_;
        const auto* samples = reinterpret_cast<const qint16*>(data.constData());
        const qsizetype count = data.size() / 2;
        const int window = kRate * kWindowMs / 1000;
        std::vector<double> out;
        for (qsizetype at = 0; at + window <= count; at += window) {
            double sum = 0;
            for (int i = 0; i < window; ++i)
                sum += double(samples[at + i]) * samples[at + i];
            const double rms = std::sqrt(sum / window) / 32768.0;
            out.push_back(20 * std::log10(rms + 1e-9));
        }
        return out;
    }

    double peakDb() const {
        double peak = -200;
        for (double level : levels())
            peak = std::max(peak, level);
        return peak;
    }

    // Stretches louder than threshold, joined across gaps shorter than minGapMs.
    std::vector<Burst> bursts(double thresholdDb = -40, int minGapMs = 60) const {
        std::vector<Burst> found;
        const std::vector<double> l = levels();
        for (size_t i = 0; i < l.size(); ++i) {
            if (l[i] < thresholdDb)
                continue;
            const int ms = int(i) * kWindowMs;
            if (!found.empty() && ms - found.back().endMs < minGapMs)
                found.back().endMs = ms + kWindowMs;
            else
                found.push_back({ms, ms + kWindowMs});
        }
        return found;
    }

  private:
    QProcess parec_;
    QByteArray data_;
    QElapsedTimer clock_;
};

} // namespace hopsmeld::test
