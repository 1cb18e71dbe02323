// Readable text on any theme: contrast against published WCAG figures, the colour chosen where a
// layout colour would not read, and every label of the window and every run of text in the help
// documents measured from their pixels under light, dark and high-contrast themes, switched while
// the window is open as a desktop does.
#include "form1.h"
#include "help_viewer.h"
#include "readable_colour.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QLabel>
#include <QStyle>
#include <QTextBlock>
#include <QTextBrowser>
#include <QtTest>

#include <cmath>

using namespace hopsmeld;

namespace {

// The commonest pixel of a drawn text is its background; the text is the pixel that stands out
// most from it (the inside of a stroke, where anti-aliasing leaves the full colour).
std::pair<QRgb, double> textAndContrast(const QImage& drawn) {
    const QImage image = drawn.convertToFormat(QImage::Format_RGB32);
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb background = image.pixel(0, 0), text = background;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > counts.value(background))
            background = it.key();
    for (QRgb colour : counts.keys())
        if (contrastRatio(colour, background) > contrastRatio(text, background))
            text = colour;
    return {text, contrastRatio(text, background)};
}

QPalette theme(QRgb window, QRgb link) {
    QPalette palette{QColor(window)}; // white text on a dark window
    palette.setColor(QPalette::Link, QColor(link));
    return palette;
}

} // namespace

class ReadableTest : public QObject {
    Q_OBJECT

  private slots:
    void contrastRatios() {
        auto ratio = [](QRgb a, QRgb b) { return std::round(contrastRatio(a, b) * 100) / 100; };
        QCOMPARE(ratio(0x777777, 0xFFFFFF), 4.48); // just fails
        QCOMPARE(ratio(0xFFFFFF, 0x767676), 4.54); // just passes
    }

    // Where a colour does not read, the nearest that does, darker (-1) or lighter (1), of the same
    // hue: just over the line, not black or white. On #767676 both sides reach the ratio: the
    // nearer wins.
    void nearestReadableColour() {
        const struct {
            QRgb wanted, background;
            int direction;
        } cases[] = {{0x004040, 0x767676, -1},
                     {0x80C0C0, 0x767676, 1},
                     {0xFFFF00, 0xFFFFFF, -1},
                     {0x0000FF, 0x000000, 1}};
        for (const auto& c : cases) {
            const QColor wanted(c.wanted), got(readableColour(c.wanted, c.background));
            const double ratio = contrastRatio(got.rgb(), c.background);
            const double change = relativeLuminance(got.rgb()) - relativeLuminance(c.wanted);
            // HSV is not even to the eye: a blue that keeps its look as it gets lighter moves by
            // up to 20 degrees towards azure there.
            QVERIFY2(ratio >= 4.5 && ratio < 4.65 && change * c.direction > 0 &&
                         std::abs(got.hsvHue() - wanted.hsvHue()) <= 20,
                     qPrintable(wanted.name() + " gave " + got.name()));
        }
    }

    void textReadsOnEveryTheme_data() {
        QTest::addColumn<QPalette>("palette");
        QTest::addColumn<int>("mailLink"); // the colour the mail link shows; -1: none in particular
        // "system": what the desktop gives at start (also a dark GTK theme, in a run of its own).
        QTest::newRow("system") << QApplication::palette() << -1;
        QTest::newRow("fusion dark") << theme(0x353535, 0x2A82DA) << -1;
        // Yellow links read far better on black than any blue: the desktop's link colour wins.
        QTest::newRow("high contrast") << theme(0x000000, 0xFFFF00) << 0xFFFF00;
        // Back to light after a dark theme: the labels show the layout's own colours again.
        QTest::newRow("light") << QApplication::style()->standardPalette() << -1;
    }
    void textReadsOnEveryTheme() {
        QFETCH(QPalette, palette);
        QFETCH(int, mailLink);
        // One window for all rows: the themes change under it.
        static Form1* window = new Form1;
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QApplication::setPalette(palette);
        const QByteArray row = QTest::currentDataTag();
        if (row == "system" && qgetenv("GTK_THEME").endsWith(":dark"))
            QVERIFY2(relativeLuminance(window->palette().color(QPalette::Window).rgb()) < 0.1,
                     "the dark GTK theme did not reach the window");
        // Written down from the layout, not read from the program's table.
        QHash<QString, QRgb> layoutColour{{"Label6", 0x0000FF},
                                          {"Label8", 0x0000FF},
                                          {"Lbl12", 0x0000FF},
                                          {"Label9", palette.color(QPalette::ButtonText).rgb()}};
        for (auto name :
             {"Label1", "Label2", "Label3", "Label4", "Label5", "Label7", "Label10", "Label11"})
            layoutColour[name] = 0x004040;
        int seen = 0;
        for (int tab = 0; tab < 3; ++tab) {
            window->SSTab1->setCurrentIndex(tab);
            for (QLabel* label : window->findChildren<QLabel*>()) {
                const QString name = label->objectName();
                if (!label->isVisible() || !layoutColour.contains(name))
                    continue;
                ++seen;
                const auto [text, ratio] = textAndContrast(label->grab().toImage());
                QVERIFY2(ratio >= 4.5, qPrintable(name + " reads at " + QString::number(ratio)));
                if (name == "Lbl12" && mailLink >= 0)
                    QCOMPARE(QColor(text), QColor(mailLink));
                else if (row == "light")
                    QCOMPARE(QColor(text), QColor(layoutColour[name]));
            }
        }
        QCOMPARE(seen, layoutColour.size());

        // Each run of text in the help documents, where its first line shows it: the viewer as
        // tall as the document, so that one picture holds it all. The page the row before left
        // open first, as the new theme left it; then the other, opened afresh.
        static QAction* left = nullptr;
        QAction* other = left == window->mnuHelp ? window->mnuBeerGuide : window->mnuHelp;
        for (QAction* help : {left ? left : window->mnuBeerGuide, other}) {
            if (help != left)
                help->trigger();
            QTextBrowser* browser = window->dlg1.viewer()->browser();
            QCOMPARE(browser->palette().color(QPalette::Base), palette.color(QPalette::Base));
            browser->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            QTextDocument* document = browser->document();
            // Laid out again at a new width, but only as far down as the viewer shows: taller
            // until all of it shows.
            browser->window()->resize(320, 100);
            for (int height = 0; height != int(document->size().height());) {
                height = int(document->size().height());
                browser->window()->resize(640, height + 2 * browser->frameWidth());
            }
            const QImage page = browser->viewport()->grab().toImage();
            const qreal scale = page.devicePixelRatio();
            int runs = 0;
            for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
                const QPointF corner =
                    document->documentLayout()->blockBoundingRect(block).topLeft();
                for (auto it = block.begin(); !it.atEnd(); ++it) {
                    const int start = it.fragment().position() - block.position();
                    const QTextLine line = block.layout()->lineForTextPosition(start);
                    const int end = std::min(start + it.fragment().length(),
                                             line.textStart() + line.textLength());
                    if (block.text().mid(start, end - start).trimmed().isEmpty())
                        continue;
                    const QRectF drawn(corner.x() + line.cursorToX(start), corner.y() + line.y(),
                                       line.cursorToX(end) - line.cursorToX(start), line.height());
                    const double ratio =
                        textAndContrast(
                            page.copy(QTransform::fromScale(scale, scale).mapRect(drawn).toRect()))
                            .second;
                    QVERIFY2(ratio >= 4.5, qPrintable(help->text() + ": \"" + it.fragment().text() +
                                                      "\" reads at " + QString::number(ratio)));
                    ++runs;
                }
            }
            QVERIFY(runs > 100);
        }
        left = other;
    }
};

QTEST_MAIN(ReadableTest)
#include "test_readable.moc"
