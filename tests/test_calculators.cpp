// The two calculators, step by step, against text boxes that record every write.
#include "alcohol_content.h"
#include "bottling_gravity.h"
#include "fake_window.h"

#include <QtTest>

using namespace hopsmeld;
using test::FakeWindow;

namespace {

struct AlcoholTab : FakeWindow {
    Box txt1{*this, "txt1"}, txt2{*this, "txt2"}, txt3{*this, "txt3"}, txt4{*this, "txt4"};
    AlcoholContent calc{{txt1, txt2, txt3, txt4}, *this, QLocale::c()};
};

struct BottlingTab : FakeWindow {
    Box txt5{*this, "txt5"}, txt6{*this, "txt6"}, txt7{*this, "txt7"}, txt8{*this, "txt8"};
    BottlingGravity calc{{txt5, txt6, txt7, txt8}, *this, QLocale::c()};

    // Types text one key at a time, each key released in the box, as a person would.
    QStringList typeIntoVolume(const QString& keys) { return typeInto(txt6, txt7, keys, true); }
    QStringList typeIntoWeight(const QString& keys) { return typeInto(txt7, txt6, keys, false); }

  private:
    QStringList typeInto(Box& box, Box& mirror, const QString& keys, bool volume) {
        QStringList mirrors;
        QString text;
        for (QChar key : keys) {
            text += key;
            box.type(text);
            volume ? calc.txt6KeyUp() : calc.txt7KeyUp();
            mirrors << mirror.text();
        }
        return mirrors;
    }
};

} // namespace

class CalculatorsTest : public QObject {
    Q_OBJECT

  private slots:
    void alcoholContent_data();
    void alcoholContent();
    void alcoholOverflowKeepsEarlierWrites();
    void alcoholResetClearsBoxesOnly();
    void mirrorsWhileTyping_data();
    void mirrorsWhileTyping();
    void mirrorOverflowIsSilent();
    void bottlingCalculate_data();
    void bottlingCalculate();
    void cantConvertKeepsYield();
    void bottlingMismatchLeavesResult();
    void bottlingOverflowIsSilent();
    void resetKeepsYield();
};

void CalculatorsTest::alcoholContent_data() {
    QTest::addColumn<QString>("og");
    QTest::addColumn<QString>("fg");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<double>("weight");

    QTest::newRow("worked example")
        << "1.050"
        << "1.010" << QStringList{"txt4=4.20%", "txt3=5.25%", "cue"} << 0.042;
    QTest::newRow("final above original")
        << "1.010"
        << "1.050" << QStringList{"txt4=-4.20%", "txt3=-5.25%", "cue"} << -0.042;
    QTest::newRow("equal gravities")
        << "1.050"
        << "1.050" << QStringList{"txt4=0.00%", "txt3=0.00%", "cue"} << 0.0;
    QTest::newRow("whole numbers taken as they are")
        << "1050"
        << "1010" << QStringList{"txt4=4200.00%", "txt3=5250.00%", "cue"} << 42.0;
    QTest::newRow("spaces around")
        << " 1.05 "
        << "1.010 " << QStringList{"txt4=4.20%", "txt3=5.25%", "cue"} << 0.042;
    QTest::newRow("empty original") << ""
                                    << "1.010" << QStringList{"message"} << -1.0;
    QTest::newRow("empty final") << "1.050"
                                 << "" << QStringList{"message"} << -1.0;
    QTest::newRow("both empty") << ""
                                << "" << QStringList{"message"} << -1.0;
    QTest::newRow("word") << "beer"
                          << "1.010" << QStringList{"message"} << -1.0;
    QTest::newRow("inf") << "inf"
                         << "1.010" << QStringList{"message"} << -1.0;
    QTest::newRow("overflowing input is silent") << "1e400"
                                                 << "1.010" << QStringList{} << -1.0;
    QTest::newRow("overflowing difference is silent") << "1e308"
                                                      << "-1e308" << QStringList{} << -1.0;
}

void CalculatorsTest::alcoholContent() {
    QFETCH(QString, og);
    QFETCH(QString, fg);
    QFETCH(QStringList, log);
    QFETCH(double, weight);

    AlcoholTab tab;
    tab.txt3.type("typed over");
    tab.txt1.type(og);
    tab.txt2.type(fg);
    tab.calc.cmd1Click();
    QCOMPARE(tab.log, log);
    if (weight == -1.0) { // failed: nothing stored, nothing rewritten
        QVERIFY(tab.calc.alcWeight().isEmpty());
        QVERIFY(tab.calc.alcVolume().isEmpty());
        QCOMPARE(tab.txt3.text(), "typed over");
    } else {
        QVERIFY(tab.calc.alcWeight().isNumber());
        QCOMPARE(tab.calc.alcWeight().toNumber(QLocale::c()), weight);
        QCOMPARE(tab.calc.alcVolume().toNumber(QLocale::c()), weight * 1.25);
    }
}

void CalculatorsTest::alcoholOverflowKeepsEarlierWrites() {
    // The weight still fits in a double, the volume (x 1.25) does not.
    AlcoholTab tab;
    tab.txt1.type("1.6e308");
    tab.txt2.type("0");
    tab.txt3.type("old volume");
    tab.calc.cmd1Click();
    QCOMPARE(tab.log.size(), 1);
    QVERIFY(tab.log[0].startsWith("txt4=16"));
    QVERIFY(tab.log[0].endsWith(".00%"));
    QCOMPARE(tab.txt3.text(), "old volume");
    QCOMPARE(tab.calc.alcWeight().toNumber(QLocale::c()), 1.6e308 * 1.05);
    QVERIFY(tab.calc.alcVolume().isEmpty());
}

void CalculatorsTest::alcoholResetClearsBoxesOnly() {
    AlcoholTab tab;
    tab.txt1.type("1.050");
    tab.txt2.type("1.010");
    tab.calc.cmd1Click();
    tab.log.clear();
    tab.calc.Cmd2Click();
    QCOMPARE(tab.log, (QStringList{"txt1=", "txt2=", "txt3=", "txt4="}));
    QCOMPARE(tab.calc.alcWeight().toNumber(QLocale::c()), 0.042);
    QCOMPARE(tab.calc.alcVolume().toNumber(QLocale::c()), 0.042 * 1.25);

    // Calculate on the emptied boxes: only the message.
    tab.log.clear();
    tab.calc.cmd1Click();
    QCOMPARE(tab.log, QStringList{"message"});
}

void CalculatorsTest::mirrorsWhileTyping_data() {
    QTest::addColumn<bool>("volume");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("mirrors");
    QTest::addColumn<double>("yield");

    QTest::newRow("5.25 by volume")
        << true << "5.25" << QStringList{"4.00", "4.00", "4.16", "4.20"} << 0.042;
    QTest::newRow("4.2 by weight")
        << false << "4.2" << QStringList{"5.00", "5.00", "5.25"} << 0.042;
    QTest::newRow("1 by volume, no leading zero") << true << "1" << QStringList{".80"} << 0.008;
    QTest::newRow("5.13 keeps the unrounded yield")
        << true << "5.13" << QStringList{"4.00", "4.00", "4.08", "4.10"} << 5.13 / 1.25 / 100;
    QTest::newRow("not a number") << true << "x" << QStringList{"Can't convert"} << -1.0;
    QTest::newRow("recovers after bad text")
        << true << "-5" << QStringList{"Can't convert", "-4.00"} << -0.04;
}

void CalculatorsTest::mirrorsWhileTyping() {
    QFETCH(bool, volume);
    QFETCH(QString, keys);
    QFETCH(QStringList, mirrors);
    QFETCH(double, yield);

    BottlingTab tab;
    QCOMPARE(volume ? tab.typeIntoVolume(keys) : tab.typeIntoWeight(keys), mirrors);
    if (yield == -1.0)
        QVERIFY(tab.calc.yieldWeight().isEmpty());
    else
        QCOMPARE(tab.calc.yieldWeight().toNumber(QLocale::c()), yield);
}

void CalculatorsTest::mirrorOverflowIsSilent() {
    BottlingTab tab;
    tab.txt6.type("old");
    tab.txt7.type("1.5e308"); // pasted whole; x 1.25 overflows
    tab.calc.txt7KeyUp();
    QCOMPARE(tab.log, QStringList{});
    QCOMPARE(tab.txt6.text(), "old");
    QVERIFY(tab.calc.yieldWeight().isEmpty());
}

void CalculatorsTest::bottlingCalculate_data() {
    QTest::addColumn<QString>("og");
    QTest::addColumn<QString>("volumeKeys"); // typed into txt6 first, if any
    QTest::addColumn<QString>("weightKeys"); // then into txt7, if any
    QTest::addColumn<QString>("bottling");

    QTest::newRow("worked example by volume") << "1.050"
                                              << "5.25"
                                              << ""
                                              << "1.010";
    QTest::newRow("worked example by weight") << "1.050"
                                              << ""
                                              << "4.2"
                                              << "1.010";
    QTest::newRow("unrounded yield") << "1.050"
                                     << "5.13"
                                     << ""
                                     << "1.011";
    QTest::newRow("below 1, no leading zero") << "1.010"
                                              << ""
                                              << "5"
                                              << ".962";
    QTest::newRow("no yield ever typed") << "1.050"
                                         << ""
                                         << ""
                                         << "1.050";
    QTest::newRow("last key decides") << "1.050"
                                      << "9"
                                      << "4.2"
                                      << "1.010";
}

void CalculatorsTest::bottlingCalculate() {
    QFETCH(QString, og);
    QFETCH(QString, volumeKeys);
    QFETCH(QString, weightKeys);
    QFETCH(QString, bottling);

    BottlingTab tab;
    tab.txt5.type(og);
    tab.typeIntoVolume(volumeKeys);
    tab.typeIntoWeight(weightKeys);
    tab.log.clear();
    tab.calc.Cmd4Click();
    QCOMPARE(tab.log.size(), 3);
    QCOMPARE(tab.log[1], "txt8=" + bottling);
    QCOMPARE(tab.log[2], "cue");
}

void CalculatorsTest::cantConvertKeepsYield() {
    BottlingTab tab;
    tab.txt5.type("1.050");
    tab.typeIntoVolume("5.25");
    tab.txt6.type(""); // Backspace over everything
    tab.calc.txt6KeyUp();
    QCOMPARE(tab.txt7.text(), "Can't convert");
    QCOMPARE(tab.calc.yieldWeight().toNumber(QLocale::c()), 0.042);
    tab.calc.Cmd4Click();
    QCOMPARE(tab.txt8.text(), "1.010");
}

void CalculatorsTest::bottlingMismatchLeavesResult() {
    BottlingTab tab;
    tab.txt8.type("1.010");
    for (const char* og : {"", "abc", "nan"}) {
        tab.txt5.type(og);
        tab.log.clear();
        tab.calc.Cmd4Click();
        QCOMPARE(tab.log, QStringList{"message"});
        QCOMPARE(tab.txt8.text(), "1.010");
    }
}

void CalculatorsTest::bottlingOverflowIsSilent() {
    BottlingTab tab;
    tab.typeIntoVolume("1.7e308"); // fits: stored as 1.36e306 by weight
    tab.txt5.type("-1.79e308");
    tab.txt8.type("old");
    tab.log.clear();
    tab.calc.Cmd4Click(); // -1.79e308 - 1.3e306 overflows
    QCOMPARE(tab.log, QStringList{});
    QCOMPARE(tab.txt8.text(), "old");
}

void CalculatorsTest::resetKeepsYield() {
    BottlingTab tab;
    tab.txt5.type("1.050");
    tab.typeIntoVolume("5.25");
    tab.log.clear();
    tab.calc.Cmd5Click();
    QCOMPARE(tab.log, (QStringList{"txt5=", "txt6=", "txt7=", "txt8="}));
    tab.txt5.type("1.060");
    tab.calc.Cmd4Click();
    QCOMPARE(tab.txt8.text(), "1.020");
}

QTEST_GUILESS_MAIN(CalculatorsTest)
#include "test_calculators.moc"
