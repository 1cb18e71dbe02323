// Every label of the window measured from its pixels under light, dark and high-contrast themes,
// switched while the window is open, as a desktop's theme switch does.
#include "form1.h"
#include "test_main.h"

#include <QApplication>
#include <QLabel>
#include <QStyle>
#include <QtTest>

#include <cmath>

using namespace hopsmeld;

namespace {

// WCAG 2 relative luminance and contrast ratio.
double luminance(QRgb rgb) {
    auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) + 0.0722 * linear(qBlue(rgb));
}

double contrast(QRgb a, QRgb b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The background is the commonest pixel of the label as drawn; the text is the pixel that stands
// out most from it (the inside of a stroke, where anti-aliasing leaves the full colour).
struct Measured {
    QRgb background = 0, text = 0;
    double ratio = 1;
};

Measured measure(QWidget* label) {
    const QImage image = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y) & 0xFFFFFF];
    Measured m;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most)
            most = it.value(), m.background = it.key();
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (contrast(it.key(), m.background) > m.ratio)
            m.ratio = contrast(it.key(), m.background), m.text = it.key();
    return m;
}

QPalette themePalette(QRgb window, QRgb text, QRgb base, QRgb link) {
    QPalette palette{QColor(window), QColor(window)};
    for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        palette.setColor(role, QColor(text));
    palette.setColor(QPalette::Base, QColor(base));
    palette.setColor(QPalette::Link, QColor(link));
    return palette;
}

} // namespace

class ReadableLabelsTest : public QObject {
    Q_OBJECT

  private slots:
    void labelsReadOnEveryTheme_data();
    void labelsReadOnEveryTheme();
};

void ReadableLabelsTest::labelsReadOnEveryTheme_data() {
    QTest::addColumn<QPalette>("palette");
    QTest::addColumn<bool>("light");
    QTest::addColumn<int>("mailLink"); // the colour the mail link shows; -1: none in particular
    // "system": what the desktop gives at start (also a GTK theme, run with its own settings).
    QTest::newRow("system") << QApplication::palette() << false << -1;
    QTest::newRow("fusion dark") << themePalette(0x353535, 0xFFFFFF, 0x2A2A2A, 0x2A82DA) << false
                                 << -1;
    // Yellow links read far better on black than any blue: the desktop's link colour wins.
    QTest::newRow("high contrast")
        << themePalette(0x000000, 0xFFFFFF, 0x000000, 0xFFFF00) << false << 0xFFFF00;
    // Back to light after a dark theme: the labels are the layout's own colours again.
    QTest::newRow("light") << QApplication::style()->standardPalette() << true << -1;
}

void ReadableLabelsTest::labelsReadOnEveryTheme() {
    QFETCH(QPalette, palette);
    QFETCH(bool, light);
    QFETCH(int, mailLink);
    static Form1* window = nullptr; // one window for all rows: the themes change under it
    if (!window) {
        window = new Form1;
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }
    QApplication::setPalette(palette);
    if (QByteArray(QTest::currentDataTag()) == "system" && qgetenv("GTK_THEME").endsWith(":dark"))
        QVERIFY2(luminance(window->palette().color(QPalette::Window).rgb()) < 0.1,
                 "the dark GTK theme did not reach the window");

    const QRgb buttonText = palette.color(QPalette::ButtonText).rgb() & 0xFFFFFF;
    // Written down from the layout, not read from the program's table.
    const QHash<QString, QRgb> layoutColour{
        {"Label1", 0x004040}, {"Label2", 0x004040}, {"Label3", 0x004040},  {"Label4", 0x004040},
        {"Label5", 0x004040}, {"Label7", 0x004040}, {"Label10", 0x004040}, {"Label11", 0x004040},
        {"Label6", 0x0000FF}, {"Label8", 0x0000FF}, {"Lbl12", 0x0000FF},   {"Label9", buttonText}};
    QStringList figures;
    int seen = 0;
    for (int tab = 0; tab < 3; ++tab) {
        window->SSTab1->setCurrentIndex(tab);
        if (const QString shots = qEnvironmentVariable("HOPSMELD_SHOTS"); !shots.isEmpty())
            window->grab().save(
                QStringLiteral("%1/%2-%3.png").arg(shots, QTest::currentDataTag()).arg(tab));
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (!label->isVisible() || !layoutColour.contains(label->objectName()))
                continue;
            ++seen;
            const Measured m = measure(label);
            figures << QStringLiteral("%1 %2").arg(label->objectName()).arg(m.ratio, 0, 'f', 2);
            QVERIFY2(m.ratio >= 4.5, qPrintable(label->objectName() + " reads at " +
                                                QString::number(m.ratio, 'f', 2) + ":1"));
            const bool link = label->objectName() == "Lbl12" && mailLink >= 0;
            if (light || link)
                QCOMPARE(QColor(m.text),
                         QColor(link ? mailLink : layoutColour[label->objectName()]));
        }
    }
    qInfo().noquote() << QTest::currentDataTag() << figures.join(", ");
    QCOMPARE(seen, layoutColour.size());
}

HOPSMELD_TEST_MAIN(ReadableLabelsTest, QApplication)
#include "test_readable_labels.moc"
