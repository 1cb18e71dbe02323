// Run in a decimal-comma locale: the user's notation comes from QLocale::system(), and nothing
// depends by accident on the C library's locale, which QCoreApplication sets from the
// environment (printf and strtod then read and write "1,5").
#include "alcohol_content.h"
#include "bottling_gravity.h"
#include "display_format.h"
#include "fake_window.h"
#include "number_text.h"

#include <QtTest>

#include <clocale>
#include <cstdio>

using namespace hopsmeld;
using test::FakeWindow;

class SystemLocaleTest : public QObject {
    Q_OBJECT

  private slots:
    void cLibraryUsesTheComma();
    void conversionsIgnoreTheCLibrary();
    void calculatorsUseTheUsersNotation();
};

void SystemLocaleTest::cLibraryUsesTheComma() {
    // Without this the other cases would prove nothing.
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 1.5);
    QCOMPARE(text, "1,5");
    QCOMPARE(QLocale::system().decimalPoint(), ",");
}

void SystemLocaleTest::conversionsIgnoreTheCLibrary() {
    const QLocale c = QLocale::c();
    QCOMPARE(numberToText(1.5, c), "1.5");
    QCOMPARE(numberToText(1e-7, c), "1E-07");
    QCOMPARE(formatNumber(1.005, DisplayPattern::TwoDecimals, c), "1.01");
    QCOMPARE(formatNumber(0.0525, DisplayPattern::Percent, c), "5.25%");
    QCOMPARE(textToNumber("1.05", c), 1.05);
}

void SystemLocaleTest::calculatorsUseTheUsersNotation() {
    FakeWindow window;
    FakeWindow::Box txt1{window, "txt1"}, txt2{window, "txt2"}, txt3{window, "txt3"},
        txt4{window, "txt4"};
    AlcoholContent alcohol({txt1, txt2, txt3, txt4}, window, QLocale::system());
    txt1.type("1,050");
    txt2.type(" 1,010 ");
    alcohol.cmd1Click();
    QCOMPARE(window.log, (QStringList{"txt4=4,20%", "txt3=5,25%", "cue"}));

    FakeWindow::Box txt5{window, "txt5"}, txt6{window, "txt6"}, txt7{window, "txt7"},
        txt8{window, "txt8"};
    BottlingGravity bottling({txt5, txt6, txt7, txt8}, window, QLocale::system());
    txt6.type("5,13");
    bottling.txt6KeyUp();
    QCOMPARE(txt7.text(), "4,10");
    txt6.type("5,");
    bottling.txt6KeyUp();
    QCOMPARE(txt7.text(), "4,00");
    txt5.type("1,050");
    bottling.Cmd4Click();
    QCOMPARE(txt8.text(), "1,012"); // 1,05 - 0,04 / 1,05
    txt5.type("1.050");             // a point is grouping here: one thousand and fifty
    bottling.Cmd4Click();
    QCOMPARE(txt8.text(), "1049,962");
}

QTEST_GUILESS_MAIN(SystemLocaleTest)
#include "test_system_locale.moc"
