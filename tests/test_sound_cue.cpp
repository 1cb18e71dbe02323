// The sound cue on a private sound server: heard when the file is there, every time, and
// silent and harmless when it cannot be played.
#include "play_burp.h"
#include "sound_cue.h"
#include "sound_recorder.h"
#include "test_main.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QtTest>

using namespace hopsmeld;
using test::SoundRecorder;

namespace {

const double kHeardDb = -40;   // a burp peaks far above this
const double kSilenceDb = -70; // the null sink's monitor is digital silence otherwise

} // namespace

class SoundCueTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void playBurpIsHeard();
    void spacedCuesAreEachHeard();
    void quickCuesRestartAndStayAudible();
    void unplayableFilesAreSilent_data();
    void unplayableFilesAreSilent();
    void noSoundServerIsHarmless();

  private:
    std::unique_ptr<SoundRecorder> recorder_;
};

void SoundCueTest::init() {
    if (QByteArray(QTest::currentTestFunction()) == "noSoundServerIsHarmless")
        return;
    if (qEnvironmentVariableIsEmpty("HOPSMELD_TEST_SINK"))
        QFAIL("run under tests/with-pulse.sh");
    recorder_ = std::make_unique<SoundRecorder>();
    QVERIFY(recorder_->start());
    QTest::qWait(300); // the recording settles before anything plays
}

void SoundCueTest::playBurpIsHeard() {
    PrepareBurp();
    QTest::qWait(200);
    PlayBurp();
    QTest::qWait(1200);
    recorder_->stop();

    const auto bursts = recorder_->bursts(kHeardDb);
    QCOMPARE(bursts.size(), size_t(1));
    QVERIFY2(recorder_->peakDb() > -20, qPrintable(QString::number(recorder_->peakDb())));
    // The burp itself is 0.55 s; its quiet tail may fall under the threshold.
    const int length = bursts[0].endMs - bursts[0].startMs;
    QVERIFY2(length > 250 && length < 700, qPrintable(QString::number(length)));
}

void SoundCueTest::spacedCuesAreEachHeard() {
    const int cues = 12;
    for (int i = 0; i < cues; ++i) {
        PlayBurp();
        QTest::qWait(800);
    }
    recorder_->stop();
    QCOMPARE(recorder_->bursts(kHeardDb, 150).size(), size_t(cues));
}

void SoundCueTest::quickCuesRestartAndStayAudible() {
    // Forty cues 40 ms apart: each cuts the last, so the sound runs on without a gap and the
    // last one plays out whole.
    for (int i = 0; i < 40; ++i) {
        PlayBurp();
        QTest::qWait(40);
    }
    QTest::qWait(1000);
    // Afterwards, single cues are still heard.
    for (int i = 0; i < 5; ++i) {
        PlayBurp();
        QTest::qWait(800);
    }
    recorder_->stop();

    const auto bursts = recorder_->bursts(kHeardDb, 150);
    QCOMPARE(bursts.size(), size_t(6));
    const int runLength = bursts[0].endMs - bursts[0].startMs;
    QVERIFY2(runLength > 40 * 40, qPrintable(QString::number(runLength)));
}

void SoundCueTest::unplayableFilesAreSilent_data() {
    QTest::addColumn<QByteArray>("contents"); // empty: no file at all
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("text") << QByteArray("this is not a sound\n");
    QTest::newRow("riff but no wave") << QByteArray("RIFF\x10\0\0\0AVI LIST", 16);
    QTest::newRow("wave without data") << QByteArray("RIFF\x04\0\0\0WAVE", 12);
    QByteArray badFormat("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0", 20);
    badFormat += QByteArray("\x55\0\1\0\x44\xac\0\0\x88\x58\1\0\2\0\x10\0", 16); // mp3 tag
    badFormat += QByteArray("data\4\0\0\0\1\2\3\4", 12);
    QTest::newRow("compressed") << badFormat;
}

void SoundCueTest::unplayableFilesAreSilent() {
    QFETCH(QByteArray, contents);
    QTemporaryDir dir;
    const QString path = dir.filePath("Burp.wav");
    if (!contents.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    SoundCue cue(path);
    cue.prepare();
    for (int i = 0; i < 3; ++i) {
        cue.play();
        QTest::qWait(200);
    }
    recorder_->stop();
    QVERIFY2(recorder_->peakDb() < kSilenceDb, qPrintable(QString::number(recorder_->peakDb())));
}

void SoundCueTest::noSoundServerIsHarmless() {
    if (!qEnvironmentVariableIsEmpty("HOPSMELD_TEST_SINK"))
        QSKIP("runs as its own test, without a sound server");
    // Cues with nobody to play them: each returns and the event loop goes on.
    PrepareBurp();
    int ticks = 0;
    for (int i = 0; i < 5; ++i) {
        QTimer::singleShot(0, [&ticks] { ++ticks; });
        PlayBurp();
        QTest::qWait(50);
    }
    QCOMPARE(ticks, 5);
}

HOPSMELD_TEST_MAIN(SoundCueTest, QCoreApplication)
#include "test_sound_cue.moc"
