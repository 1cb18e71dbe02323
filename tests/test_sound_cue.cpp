// The sound cue on a private sound server: heard once per cue, cut by the next one, silent and
// harmless when the file or the server is missing, and heard again once the server is back.
#include "play_burp.h"
#include "sound_cue.h"
#include "sound_recorder.h"
#include "test_main.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace hopsmeld;
using test::SoundServer;

namespace {

constexpr int kClipRate = 8000;

// Mono 16-bit PCM at 8 kHz: tone for each non-zero entry of pattern, silence for each zero,
// each entry 100 ms long.
QByteArray wavFile(const std::vector<int>& pattern) {
    QByteArray samples;
    for (int on : pattern) {
        for (int i = 0; i < kClipRate / 10; ++i) {
            const auto value = qint16(on ? 16000 * std::sin(i * 2 * M_PI * 440 / kClipRate) : 0);
            samples.append(reinterpret_cast<const char*>(&value), 2);
        }
    }
    auto le32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char*>(&v), 4); };
    QByteArray format("\x01\x00\x01\x00", 4); // PCM, one channel
    format += le32(kClipRate) + le32(kClipRate * 2) + QByteArray("\x02\x00\x10\x00", 4);
    return "RIFF" + le32(36 + quint32(samples.size())) + "WAVEfmt " + le32(16) + format + "data" +
           le32(quint32(samples.size())) + samples;
}

// The same tone as an AIFF file: a sound file, but not a WAV file.
QByteArray aiffFile() {
    QByteArray samples;
    for (int i = 0; i < kClipRate / 2; ++i) {
        const auto value = qint16(16000 * std::sin(i * 2 * M_PI * 440 / kClipRate));
        samples.append(char(value >> 8)).append(char(value & 0xff));
    }
    auto be32 = [](quint32 v) {
        const quint32 big = qToBigEndian(v);
        return QByteArray(reinterpret_cast<const char*>(&big), 4);
    };
    // channels, frames, bits, then 8000 as an 80-bit float
    const QByteArray common = QByteArray("\x00\x01", 2) + be32(quint32(samples.size() / 2)) +
                              QByteArray("\x00\x10\x40\x0b\xfa\x00\x00\x00\x00\x00\x00\x00", 12);
    const QByteArray sound = be32(0) + be32(0) + samples;
    const QByteArray chunks =
        "COMM" + be32(18) + common + "SSND" + be32(quint32(sound.size())) + sound;
    return "FORM" + be32(quint32(4 + chunks.size())) + "AIFF" + chunks;
}

QString writeFile(const QTemporaryDir& dir, const QByteArray& contents) {
    const QString path = dir.filePath("Burp.wav");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(contents);
    return path;
}

} // namespace

class SoundCueTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QVERIFY(server_.start()); }
    void init() { server_.clearRecording(); }
    void eachCueIsHeardOnceAndLeavesNoStream();
    void aNewCueCutsThePlayingOne();
    void unplayableFilesAreSilent_data();
    void unplayableFilesAreSilent();
    void aServerThatComesBackIsUsedAgain();

  private:
    SoundServer server_;
};

void SoundCueTest::eachCueIsHeardOnceAndLeavesNoStream() {
    const int cues = 4;
    for (int i = 0; i < cues; ++i) {
        PlayBurp();
        QVERIFY2(server_.waitForBursts(i + 1), qPrintable(QString("cue %1 unheard").arg(i + 1)));
    }
    QVERIFY(server_.listen(1000));
    const auto bursts = server_.bursts();
    QCOMPARE(bursts.size(), size_t(cues));
    for (const auto& burst : bursts) // the burp is 0.55 s; its quiet tail may fall below
        QVERIFY2(burst.endMs - burst.startMs > 250 && burst.endMs - burst.startMs < 700,
                 qPrintable(QString::number(burst.endMs - burst.startMs)));
    QVERIFY(SoundServer::waitFor(
        [&] { return server_.streamsOf(QCoreApplication::applicationPid()) == 0; }, 3000));
}

void SoundCueTest::aNewCueCutsThePlayingOne() {
    // Tone, 0.7 s of silence, tone. The second cue starts in the first one's silence: if it did
    // not cut the first, the first one's closing tone would be heard as well.
    QTemporaryDir dir;
    SoundCue cue(writeFile(dir, wavFile({1, 0, 0, 0, 0, 0, 0, 0, 1})).toStdString(), "test");
    cue.play();
    QVERIFY(server_.waitForBursts(1));
    cue.play();
    QVERIFY(server_.waitForBursts(3));
    QVERIFY(server_.listen(1200));
    const auto bursts = server_.bursts();
    QCOMPARE(bursts.size(), size_t(3));
    QVERIFY2(bursts[1].startMs - bursts[0].startMs < 700, "the second cue came too late");
    const int closing = bursts[2].startMs - bursts[1].startMs; // 800 ms into the second cue
    QVERIFY2(closing > 740 && closing < 860, qPrintable(QString::number(closing)));
}

void SoundCueTest::unplayableFilesAreSilent_data() {
    QTest::addColumn<QByteArray>("contents"); // empty: no file at all
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("text") << QByteArray("this is not a sound\n");
    QTest::newRow("riff but no wave") << QByteArray("RIFF\x10\0\0\0AVI LIST", 16);
    QTest::newRow("wave without data") << QByteArray("RIFF\x04\0\0\0WAVE", 12);
    QTest::newRow("no samples") << wavFile({});
    QTest::newRow("cut short in the header") << wavFile({1, 1, 1}).left(30);
    QTest::newRow("aiff, not wav") << aiffFile();
}

void SoundCueTest::unplayableFilesAreSilent() {
    QFETCH(QByteArray, contents);
    QTemporaryDir dir;
    const QString path = contents.isEmpty() ? dir.filePath("Burp.wav") : writeFile(dir, contents);
    SoundCue cue(path.toStdString(), "test");
    cue.play();
    cue.play();
    QVERIFY(server_.listen(800));
    QVERIFY2(server_.peakDb() < SoundServer::kSilenceDb,
             qPrintable(QString::number(server_.peakDb())));
}

void SoundCueTest::aServerThatComesBackIsUsedAgain() {
    QTemporaryDir dir;
    SoundCue cue(writeFile(dir, wavFile({1, 1, 1})).toStdString(), "test");
    // No server at the first cues: they return at once and the event loop runs on.
    server_.stop();
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer clock;
        clock.start();
        cue.play();
        QVERIFY2(clock.elapsed() < 200, qPrintable(QString::number(clock.elapsed())));
        QTest::qWait(100);
    }
    QVERIFY(server_.start());
    cue.play();
    QVERIFY2(server_.waitForBursts(1), "unheard once the server came up");

    // The server goes away for longer than a client waits to reconnect, and comes back.
    server_.stop();
    cue.play();
    QTest::qWait(2500);
    QVERIFY(server_.start());
    cue.play();
    QVERIFY2(server_.waitForBursts(1), "unheard once the server came back");
}

HOPSMELD_TEST_MAIN(SoundCueTest, QCoreApplication)
#include "test_sound_cue.moc"
