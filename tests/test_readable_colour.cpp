// Contrast ratios against published WCAG figures, and the colour chosen where a layout colour
// would not read on the desktop's background.
#include "readable_colour.h"

#include <QColor>
#include <QtTest>

using namespace hopsmeld;

class ReadableColourTest : public QObject {
    Q_OBJECT

  private slots:
    void contrastRatio_data();
    void contrastRatio();
    void readableColour_data();
    void readableColour();
};

void ReadableColourTest::contrastRatio_data() {
    QTest::addColumn<QRgb>("a");
    QTest::addColumn<QRgb>("b");
    QTest::addColumn<double>("ratio");
    QTest::newRow("black on white") << qRgb(0, 0, 0) << qRgb(255, 255, 255) << 21.0;
    QTest::newRow("same colour") << qRgb(0, 64, 64) << qRgb(0, 64, 64) << 1.0;
    QTest::newRow("#777 just fails") << qRgb(0x77, 0x77, 0x77) << qRgb(255, 255, 255) << 4.48;
    QTest::newRow("#767676 just passes") << qRgb(255, 255, 255) << qRgb(0x76, 0x76, 0x76) << 4.54;
    QTest::newRow("blue on white") << qRgb(0, 0, 255) << qRgb(255, 255, 255) << 8.59;
}

void ReadableColourTest::contrastRatio() {
    QFETCH(QRgb, a);
    QFETCH(QRgb, b);
    QFETCH(double, ratio);
    QCOMPARE(std::round(hopsmeld::contrastRatio(a, b) * 100) / 100, ratio);
}

void ReadableColourTest::readableColour_data() {
    QTest::addColumn<QRgb>("wanted");
    QTest::addColumn<QRgb>("background");
    QTest::addColumn<int>("direction"); // 0: kept as it is; -1: made darker; 1: made lighter
    QTest::newRow("teal on light grey") << qRgb(0, 0x40, 0x40) << qRgb(0xEF, 0xEF, 0xEF) << 0;
    QTest::newRow("teal on dark grey") << qRgb(0, 0x40, 0x40) << qRgb(0x35, 0x35, 0x35) << 1;
    QTest::newRow("blue on black") << qRgb(0, 0, 0xFF) << qRgb(0, 0, 0) << 1;
    // On #767676 both black's side and white's reach the ratio: the nearer side wins.
    QTest::newRow("dark teal on middle grey")
        << qRgb(0, 0x40, 0x40) << qRgb(0x76, 0x76, 0x76) << -1;
    QTest::newRow("pale teal on middle grey")
        << qRgb(0x80, 0xC0, 0xC0) << qRgb(0x76, 0x76, 0x76) << 1;
    QTest::newRow("yellow on white") << qRgb(0xFF, 0xFF, 0) << qRgb(0xFF, 0xFF, 0xFF) << -1;
    QTest::newRow("grey text on grey") << qRgb(0x80, 0x80, 0x80) << qRgb(0x60, 0x60, 0x60) << 1;
}

void ReadableColourTest::readableColour() {
    QFETCH(QRgb, wanted);
    QFETCH(QRgb, background);
    QFETCH(int, direction);
    const QRgb got = hopsmeld::readableColour(wanted, background);
    const double ratio = hopsmeld::contrastRatio(got, background);
    QVERIFY2(ratio >= 4.5, qPrintable(QColor(got).name()));
    if (direction == 0) {
        QCOMPARE(QColor(got), QColor(wanted));
        return;
    }
    // The nearest that reads: just over the line, not black or white.
    QVERIFY2(ratio < 4.65, qPrintable(QColor(got).name() + " " + QString::number(ratio)));
    const double change = relativeLuminance(got) - relativeLuminance(wanted);
    QVERIFY(direction > 0 ? change > 0 : change < 0);
    // The same hue (greys have none). HSV is not even to the eye: a blue that keeps its look as it
    // gets lighter moves by up to 20 degrees towards azure there.
    if (QColor(wanted).hsvHue() >= 0)
        QVERIFY2(std::abs(QColor(got).hsvHue() - QColor(wanted).hsvHue()) <= 20,
                 qPrintable(QColor(got).name()));
}

QTEST_APPLESS_MAIN(ReadableColourTest)
#include "test_readable_colour.moc"
