// Reading and writing numbers in the user's notation, and the three display patterns.
#include "calc_failure.h"
#include "display_format.h"
#include "number_text.h"

#include <QtTest>

#include <limits>

using namespace hopsmeld;

namespace {

constexpr int kOk = 0;

// The failure number textToNumber throws, or kOk.
int failureOf(const QString& text, const QLocale& locale, double* value = nullptr) {
    try {
        const double v = textToNumber(text, locale);
        if (value)
            *value = v;
        return kOk;
    } catch (const CalcFailure& failure) {
        return failure.number();
    }
}

} // namespace

class NumberTextTest : public QObject {
    Q_OBJECT

  private slots:
    void readsNumbers_data();
    void readsNumbers();
    void rejectsNonNumbers_data();
    void rejectsNonNumbers();
    void writesNumbers_data();
    void writesNumbers();
    void formatsPatterns_data();
    void formatsPatterns();
    void formatsTextAfterReadingIt();
    void roundTripsThroughText_data();
    void roundTripsThroughText();
};

void NumberTextTest::readsNumbers_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    for (const char* name : {"C", "en_US"}) {
        const QByteArray n(name);
        QTest::newRow(n + " plain") << name << "1.050" << 1.05;
        QTest::newRow(n + " short") << name << "1.05" << 1.05;
        QTest::newRow(n + " spaces around") << name << "  1.050  " << 1.05;
        QTest::newRow(n + " trailing separator") << name << "5." << 5.0;
        QTest::newRow(n + " trailing separator, spaces") << name << " 5. " << 5.0;
        QTest::newRow(n + " whole number") << name << "1050" << 1050.0;
        QTest::newRow(n + " grouping") << name << "1,050" << 1050.0;
        QTest::newRow(n + " negative") << name << "-4.2" << -4.2;
        QTest::newRow(n + " exponent") << name << "1E+20" << 1e20;
        QTest::newRow(n + " largest double")
            << name << "1.7976931348623157e308" << std::numeric_limits<double>::max();
    }
    QTest::newRow("de_DE comma") << "de_DE"
                                 << "1,050" << 1.05;
    QTest::newRow("de_DE spaces around") << "de_DE"
                                         << " 1,05 " << 1.05;
    QTest::newRow("de_DE trailing separator") << "de_DE"
                                              << "5," << 5.0;
    QTest::newRow("de_DE grouping") << "de_DE"
                                    << "1.050" << 1050.0;
    QTest::newRow("de_DE exponent") << "de_DE"
                                    << "1,5E+20" << 1.5e20;
}

void NumberTextTest::readsNumbers() {
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(double, expected);
    double value = 0;
    QCOMPARE(failureOf(text, QLocale(locale), &value), kOk);
    QCOMPARE(value, expected);
}

void NumberTextTest::rejectsNonNumbers_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("failure");

    for (const char* name : {"C", "en_US", "de_DE"}) {
        const QByteArray n(name);
        QTest::newRow(n + " empty") << name << "" << int(TypeMismatch);
        QTest::newRow(n + " only spaces") << name << "   " << int(TypeMismatch);
        QTest::newRow(n + " word") << name << "abc" << int(TypeMismatch);
        QTest::newRow(n + " inf") << name << "inf" << int(TypeMismatch);
        QTest::newRow(n + " -inf") << name << "-inf" << int(TypeMismatch);
        QTest::newRow(n + " nan") << name << "nan" << int(TypeMismatch);
        QTest::newRow(n + " hexadecimal") << name << "0x1A" << int(TypeMismatch);
        QTest::newRow(n + " two separators") << name << "1.2.3" << int(TypeMismatch);
        QTest::newRow(n + " number then letter") << name << "1.05a" << int(TypeMismatch);
        QTest::newRow(n + " lone minus") << name << "-" << int(TypeMismatch);
        QTest::newRow(n + " overflow") << name << "1e400" << int(Overflow);
        QTest::newRow(n + " negative overflow") << name << "-1e400" << int(Overflow);
    }
    QTest::newRow("C lone separator") << "C"
                                      << "." << int(TypeMismatch);
    QTest::newRow("C doubled trailing separator") << "C"
                                                  << "5.." << int(TypeMismatch);
    QTest::newRow("C comma is no decimal separator") << "C"
                                                     << "5," << int(TypeMismatch);
    QTest::newRow("de_DE lone separator") << "de_DE"
                                          << "," << int(TypeMismatch);
    QTest::newRow("de_DE point is grouping only") << "de_DE"
                                                  << "1.05" << int(TypeMismatch);
    QTest::newRow("de_DE doubled trailing separator") << "de_DE"
                                                      << "5,," << int(TypeMismatch);
}

void NumberTextTest::rejectsNonNumbers() {
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(int, failure);
    QCOMPARE(failureOf(text, QLocale(locale)), failure);
}

void NumberTextTest::writesNumbers_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("4.2") << "C" << 4.2 << "4.2";
    QTest::newRow("5.25") << "en_US" << 5.25 << "5.25";
    QTest::newRow("0.8") << "C" << 0.8 << "0.8";
    QTest::newRow("one third") << "C" << 1.0 / 3 << "0.333333333333333";
    QTest::newRow("5.13 / 1.25") << "C" << 5.13 / 1.25 << "4.104";
    QTest::newRow("1.05 - 0.042/1.05") << "C" << 1.05 - 0.042 / 1.05 << "1.01";
    QTest::newRow("zero") << "C" << 0.0 << "0";
    QTest::newRow("negative zero") << "C" << -0.0 << "0";
    QTest::newRow("negative") << "C" << -4.2 << "-4.2";
    QTest::newRow("whole, no grouping") << "en_US" << 1234567.0 << "1234567";
    QTest::newRow("15 digits stay plain") << "C" << 123456789012345.0 << "123456789012345";
    QTest::newRow("1E+15") << "C" << 1e15 << "1E+15";
    QTest::newRow("1E+20") << "C" << 1e20 << "1E+20";
    QTest::newRow("rounded to 15 digits") << "C" << 1234567890123456789.0 << "1.23456789012346E+18";
    QTest::newRow("0.0001 plain") << "C" << 0.0001 << "0.0001";
    QTest::newRow("1E-05") << "C" << 0.00001 << "1E-05";
    QTest::newRow("largest") << "C" << 1.7976931348623157e308 << "1.79769313486232E+308";
    QTest::newRow("rounds up into exponent form") << "C" << 999999999999999.9 << "1E+15";
    QTest::newRow("de_DE separator") << "de_DE" << 4.104 << "4,104";
    QTest::newRow("de_DE no grouping") << "de_DE" << 1050.5 << "1050,5";
    QTest::newRow("de_DE exponent") << "de_DE" << 1.5e-7 << "1,5E-07";
}

void NumberTextTest::writesNumbers() {
    QFETCH(QString, locale);
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(numberToText(value, QLocale(locale)), expected);
}

void NumberTextTest::formatsPatterns_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("pattern");
    QTest::addColumn<QString>("expected");
    const int percent = int(DisplayPattern::Percent);
    const int two = int(DisplayPattern::TwoDecimals);
    const int three = int(DisplayPattern::ThreeDecimals);

    QTest::newRow("% 0.042") << "C" << 0.042 << percent << "4.20%";
    QTest::newRow("% 0.0525") << "C" << 0.0525 << percent << "5.25%";
    QTest::newRow("% zero") << "C" << 0.0 << percent << "0.00%";
    QTest::newRow("% negative") << "C" << -0.0105 << percent << "-1.05%";
    QTest::newRow("% 0.8") << "C" << 0.8 << percent << "80.00%";
    QTest::newRow("% whole gravities") << "C" << 42.0 << percent << "4200.00%";
    QTest::newRow("% tiny negative shows no minus") << "C" << -0.00001 << percent << "0.00%";
    QTest::newRow("% half rounds away") << "C" << 0.000125 << percent << "0.01%";
    QTest::newRow("% negative half rounds away") << "C" << -0.000125 << percent << "-0.01%";
    QTest::newRow(".00 4.2") << "C" << 4.2 << two << "4.20";
    QTest::newRow(".00 0.8 no leading zero") << "C" << 0.8 << two << ".80";
    QTest::newRow(".00 12") << "C" << 12.0 << two << "12.00";
    QTest::newRow(".00 1.005") << "C" << 1.005 << two << "1.01";
    QTest::newRow(".00 0.115") << "C" << 0.115 << two << ".12";
    QTest::newRow(".00 2.675") << "C" << 2.675 << two << "2.68";
    QTest::newRow(".00 -2.675") << "C" << -2.675 << two << "-2.68";
    QTest::newRow(".00 4.104") << "C" << 4.104 << two << "4.10";
    QTest::newRow(".00 4.16") << "C" << 5.2 / 1.25 << two << "4.16";
    QTest::newRow(".00 zero") << "C" << 0.0 << two << ".00";
    QTest::newRow(".00 -0.004 shows no minus") << "C" << -0.004 << two << ".00";
    QTest::newRow(".00 0.995 carries") << "C" << 0.995 << two << "1.00";
    QTest::newRow(".00 99.995 carries") << "C" << 99.995 << two << "100.00";
    QTest::newRow(".00 exponent form, plain out")
        << "C" << 1e20 << two << "100000000000000000000.00";
    QTest::newRow(".00 tiny") << "C" << 1e-20 << two << ".00";
    QTest::newRow(".000 1.01") << "C" << 1.01 << three << "1.010";
    QTest::newRow(".000 0.962") << "C" << 0.962 << three << ".962";
    QTest::newRow(".000 1.0005") << "C" << 1.0005 << three << "1.001";
    QTest::newRow(".000 1.01091") << "C" << 1.05 - 0.04104 / 1.05 << three << "1.011";
    QTest::newRow("de_DE %") << "de_DE" << 0.0525 << percent << "5,25%";
    QTest::newRow("de_DE .00 no grouping") << "de_DE" << 1234.5 << two << "1234,50";
    QTest::newRow("de_DE .000") << "de_DE" << 0.962 << three << ",962";
    QTest::newRow("en_US .00 no grouping") << "en_US" << 1234.5 << two << "1234.50";
}

void NumberTextTest::formatsPatterns() {
    QFETCH(QString, locale);
    QFETCH(double, value);
    QFETCH(int, pattern);
    QFETCH(QString, expected);
    QCOMPARE(formatNumber(value, DisplayPattern(pattern), QLocale(locale)), expected);
}

void NumberTextTest::formatsTextAfterReadingIt() {
    const QLocale c = QLocale::c();
    QCOMPARE(formatText(QStringLiteral("4.104"), DisplayPattern::TwoDecimals, c), "4.10");
    QCOMPARE(formatText(QStringLiteral("1E-05"), DisplayPattern::ThreeDecimals, c), ".000");
    QVERIFY_THROWS_EXCEPTION(
        CalcFailure, formatText(QStringLiteral("Can't convert"), DisplayPattern::TwoDecimals, c));
}

void NumberTextTest::roundTripsThroughText_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("value");
    for (const char* name : {"C", "en_US", "de_DE"}) {
        const QByteArray n(name);
        QTest::newRow(n + " third") << name << 1.0 / 3;
        QTest::newRow(n + " large") << name << 6.02214076e23;
        QTest::newRow(n + " small") << name << -1.602176634e-19;
        QTest::newRow(n + " plain") << name << 1050.125;
    }
}

void NumberTextTest::roundTripsThroughText() {
    QFETCH(QString, locale);
    QFETCH(double, value);
    const QLocale l(locale);
    const double back = textToNumber(numberToText(value, l), l);
    QCOMPARE(QString::number(back, 'e', 14), QString::number(value, 'e', 14));
}

QTEST_GUILESS_MAIN(NumberTextTest)
#include "test_number_text.moc"
