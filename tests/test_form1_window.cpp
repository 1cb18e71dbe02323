// The main window on a real display: every control where the layout table puts it, the keyboard
// order, the window commands, help and the mail link.
#include "form1.h"
#include "form1_layout.h"
#include "help_viewer.h"
#include "test_main.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTextBrowser>
#include <QtTest>

using namespace hopsmeld;
using layout::Kind;
using layout::pixels;

namespace {

QWidget* widget(Form1& window, const char* name) {
    return window.findChild<QWidget*>(QLatin1String(name));
}

// The tab a control shows on: its own, or its container's.
int tabOf(const layout::Control& control) {
    if (control.tab >= 0 || QLatin1String(control.container) != "Frame2")
        return control.tab;
    return layout::find("Frame2")->tab;
}

QString readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString caption(const layout::Control& control) {
    return QString::fromUtf8(control.caption);
}

} // namespace

class Form1WindowTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void window();
    void menus();
    void controlsFollowTheTable_data();
    void controlsFollowTheTable();
    void captionsFitOnOneLine();
    void onlyTheSelectedTabShows();
    void textBoxesCoverTheirLabels();
    void tabCycles_data();
    void tabCycles();
    void enterAndEscPressNothing();
    void hideAndClear_data();
    void hideAndClear();
    void altEReachesAnExit();
    void helpOpensWithoutBlocking();
    void helpForAMissingDocument();
    void mailLinkIsHandedToTheDesktop();
    void screenReaderNames();

  private:
    void fillAllBoxes();
    std::unique_ptr<Form1> window_;
};

void Form1WindowTest::init() {
    window_ = std::make_unique<Form1>();
    window_->show();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void Form1WindowTest::cleanup() {
    window_.reset();
}

void Form1WindowTest::fillAllBoxes() {
    for (QLineEdit* box : {window_->txt1, window_->txt2, window_->txt3, window_->txt4,
                           window_->txt5, window_->txt6, window_->txt7, window_->txt8})
        box->setText(box->objectName());
}

void Form1WindowTest::window() {
    Form1& w = *window_;
    QCOMPARE(w.windowTitle(), "Merow Hopsmeld Helper");
    QCOMPARE(w.centralWidget()->size(), QSize(320, 352));
    QCOMPARE(w.minimumSize(), w.maximumSize()); // fixed size
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(w.windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(w.SSTab1->currentIndex(), 0);
    QCOMPARE(QApplication::focusWidget(), w.txt1);
    QVERIFY(!w.windowIcon().isNull());
    QVERIFY(w.windowIcon().availableSizes().contains(QSize(16, 16)));
    QVERIFY(w.windowIcon().availableSizes().contains(QSize(256, 256)));

    // Centred: the middle of the window, frame included, is the middle of the screen.
    const QPoint offset = w.frameGeometry().center() - w.screen()->availableGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 30,
             qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
}

void Form1WindowTest::menus() {
    QStringList bar;
    for (QAction* action : window_->menuBar()->actions()) {
        bar << action->text();
        QVERIFY(!action->menu()); // a command, no drop-down
    }
    QCOMPARE(bar, (QStringList{"&Exit", "&Help", "&Beer Guide"}));

    QStringList tray;
    for (QAction* action : window_->mnuSystemtray->actions())
        tray << (action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(tray, (QStringList{"&Open Hopsmeld Helper", "-", "&Exit"}));
    QCOMPARE(window_->mnuSystemtray->title(), "Systemtray");
    QVERIFY(!window_->mnuSystemtray->isVisible());
}

void Form1WindowTest::controlsFollowTheTable_data() {
    QTest::addColumn<int>("row");
    int row = 0;
    for (const layout::Control& control : layout::controls())
        QTest::newRow(control.name) << row++;
}

void Form1WindowTest::controlsFollowTheTable() {
    QFETCH(int, row);
    const layout::Control& control = layout::controls()[static_cast<size_t>(row)];
    QWidget* w = widget(*window_, control.name);
    QVERIFY(w);
    if (tabOf(control) > 0)
        window_->SSTab1->setCurrentIndex(tabOf(control));

    const QString container = QString::fromUtf8(control.container);
    QCOMPARE(container == "Form1" ? window_->centralWidget() : w->parentWidget(),
             w->parentWidget());
    if (container != "Form1")
        QCOMPARE(w->parentWidget()->objectName(), container);
    QCOMPARE(w->geometry(), QRect(pixels(control.left), pixels(control.top), pixels(control.width),
                                  pixels(control.height)));
    QVERIFY(w->isVisible());
    QCOMPARE(w->toolTip(), control.tooltip ? QString::fromUtf8(control.tooltip) : QString());

    const bool mail = control.font == layout::Font::MailLink;
    QCOMPARE(w->font().pixelSize(), mail ? 13 : 11);
    QCOMPARE(w->font().underline(), mail);

    switch (control.kind) {
    case Kind::Label:
    case Kind::LinkLabel: {
        auto* label = qobject_cast<QLabel*>(w);
        QVERIFY(label->wordWrap());
        QVERIFY(label->autoFillBackground());
        QCOMPARE(label->palette().color(QPalette::Window),
                 window_->palette().color(QPalette::Button));
        if (!caption(control).isEmpty())
            QCOMPARE(label->text(), caption(control));
        break;
    }
    case Kind::Button: {
        auto* button = qobject_cast<QPushButton*>(w);
        QCOMPARE(button->text(), caption(control));
        QVERIFY(!button->isDefault() && !button->autoDefault());
        break;
    }
    case Kind::TextBox: {
        auto* box = qobject_cast<QLineEdit*>(w);
        QVERIFY(box->text().isEmpty());
        QVERIFY(!box->isReadOnly()); // the result boxes take typing too
        break;
    }
    case Kind::TabControl:
    case Kind::Frame:
        break;
    }
}

void Form1WindowTest::captionsFitOnOneLine() {
    for (const layout::Control& control : layout::controls()) {
        auto* label = qobject_cast<QLabel*>(widget(*window_, control.name));
        if (!label || QLatin1String(control.name) == "Label9") // the About paragraph wraps
            continue;
        const int needed = QFontMetrics(label->font()).horizontalAdvance(label->text());
        QVERIFY2(
            needed <= label->width(),
            qPrintable(
                QStringLiteral("%1: %2 > %3").arg(control.name).arg(needed).arg(label->width())));
        QVERIFY(QFontMetrics(label->font()).height() <= label->height());
    }
    const QTabBar* strip = window_->SSTab1->tabBar();
    QVERIFY(qAbs(strip->height() - 20) <= 1);
    QCOMPARE(strip->count(), 3);
    QCOMPARE(strip->tabText(0), "Alcohol Content");
    QCOMPARE(strip->tabText(1), "Bottling Gravity");
    QCOMPARE(strip->tabText(2), "About");

    // The About paragraph: three passages, each starting a line of its own.
    const auto* about = window_->findChild<QLabel*>("Label9");
    QCOMPARE(about->text().count('\n'), 2);
    QVERIFY(about->text().contains("Merow Hopsmeld Helper"));
    QVERIFY(about->heightForWidth(about->width()) <= about->height());
}

void Form1WindowTest::onlyTheSelectedTabShows() {
    window_->txt1->setText("1.050");
    window_->txt6->setText("5.25");
    for (int round = 0; round < 3; ++round) {
        for (int tab : {1, 2, 0}) {
            window_->SSTab1->tabBar()->setCurrentIndex(tab);
            for (const layout::Control& control : layout::controls()) {
                if (control.tab >= 0)
                    QCOMPARE(widget(*window_, control.name)->isVisible(), control.tab == tab);
            }
            QVERIFY(window_->Cmd3->isVisible());
        }
    }
    QCOMPARE(window_->txt1->text(), "1.050");
    QCOMPARE(window_->txt6->text(), "5.25");
}

void Form1WindowTest::textBoxesCoverTheirLabels() {
    // Label1 reaches under txt1: the box is drawn on top.
    QWidget* tab = window_->SSTab1;
    const QPoint overlap(pixels(2400), pixels(1100));
    QCOMPARE(tab->childAt(overlap), window_->txt1);
    window_->SSTab1->setCurrentIndex(1);
    QCOMPARE(tab->childAt(QPoint(pixels(2400), pixels(3560))), window_->txt8);
}

void Form1WindowTest::tabCycles_data() {
    QTest::addColumn<int>("tab");
    QTest::addColumn<QStringList>("cycle");
    const QString strip = QStringLiteral("SSTab1Strip");
    QTest::newRow("Alcohol Content")
        << 0 << QStringList{strip, "txt1", "txt2", "cmd1", "txt3", "txt4", "Cmd2", "Cmd3"};
    QTest::newRow("Bottling Gravity")
        << 1 << QStringList{strip, "Cmd3", "txt5", "txt6", "txt7", "Cmd4", "txt8", "Cmd5"};
    QTest::newRow("About") << 2 << QStringList{strip, "Cmd3"};
}

void Form1WindowTest::tabCycles() {
    QFETCH(int, tab);
    QFETCH(QStringList, cycle);
    window_->SSTab1->setCurrentIndex(tab);
    window_->SSTab1->tabBar()->setFocus();
    QStringList seen;
    for (int i = 0; i < cycle.size() * 2; ++i) {
        seen << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(seen, cycle + cycle); // and round again
}

void Form1WindowTest::enterAndEscPressNothing() {
    int clicks = 0;
    for (QPushButton* button :
         {window_->cmd1, window_->Cmd2, window_->Cmd3, window_->Cmd4, window_->Cmd5})
        connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });
    for (int tab : {0, 1}) {
        window_->SSTab1->setCurrentIndex(tab);
        const auto boxes =
            tab == 0
                ? QList<QLineEdit*>{window_->txt1, window_->txt2, window_->txt3, window_->txt4}
                : QList<QLineEdit*>{window_->txt5, window_->txt6, window_->txt7, window_->txt8};
        for (QLineEdit* box : boxes) {
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Return);
            QTest::keyClick(box, Qt::Key_Enter);
            QTest::keyClick(box, Qt::Key_Escape);
        }
    }
    QCOMPARE(clicks, 0);
    QVERIFY(window_->isVisible());
}

void Form1WindowTest::hideAndClear_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("bottlingKept");
    QTest::newRow("Exit button") << "Cmd3" << true;
    QTest::newRow("menu bar Exit") << "mnuExit" << false;
    QTest::newRow("close request") << "close" << false;
}

void Form1WindowTest::hideAndClear() {
    QFETCH(QString, command);
    QFETCH(bool, bottlingKept);
    Form1& w = *window_;
    w.SSTab1->setCurrentIndex(1);
    QTest::keyClicks(w.txt6, "5.25"); // stores the yield
    w.txt1->setText("1.050");
    w.txt2->setText("1.010");
    QTest::mouseClick(w.cmd1, Qt::LeftButton);
    fillAllBoxes();

    if (command == "Cmd3") {
        QTest::mouseClick(w.Cmd3, Qt::LeftButton);
    } else if (command == "mnuExit") {
        w.mnuExit->trigger();
    } else {
        QVERIFY(!w.close()); // refused
    }
    QVERIFY(!w.isVisible());
    for (QLineEdit* box : {w.txt1, w.txt2, w.txt3, w.txt4})
        QCOMPARE(box->text(), QString());
    for (QLineEdit* box : {w.txt5, w.txt6, w.txt7, w.txt8})
        QCOMPARE(box->text(), bottlingKept ? box->objectName() : QString());
    QCOMPARE(w.SSTab1->currentIndex(), 1);
    QCOMPARE(w.alcoholContent().alcWeight().toNumber(QLocale::c()), 0.042);
    QCOMPARE(w.bottlingGravity().yieldWeight().toNumber(QLocale::c()), 0.042);
    QVERIFY(!QApplication::activeModalWidget()); // no message

    // Back on screen the boxes are as the command left them, and the stored yield still counts.
    w.show();
    w.txt5->setText("1.050");
    QTest::mouseClick(w.Cmd4, Qt::LeftButton);
    QCOMPARE(w.txt8->text(), "1.010");
}

void Form1WindowTest::altEReachesAnExit() {
    fillAllBoxes();
    QTest::keyClick(window_.get(), Qt::Key_E, Qt::AltModifier);
    QVERIFY(!window_->isVisible());
    QCOMPARE(window_->txt1->text(), QString());
    QCOMPARE(window_->txt8->text(), QString()); // the menu bar's Exit: all eight
}

void Form1WindowTest::helpOpensWithoutBlocking() {
    window_->mnuBeerGuide->trigger();
    HelpViewer* viewer = window_->dlg1.viewer();
    QVERIFY(viewer);
    QVERIFY(viewer->isVisible());
    QCOMPARE(viewer->windowModality(), Qt::NonModal);
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(viewer->shownFile(), "Beerhlp.hlp");
    QCOMPARE(viewer->browser()->source(), QUrl::fromLocalFile(helpDocumentPath("Beerhlp.hlp")));
    QCOMPARE(viewer->windowTitle(), "Beer Guide");

    // Scrolled down, then Help: the other document, from its start.
    viewer->browser()->verticalScrollBar()->setValue(
        viewer->browser()->verticalScrollBar()->maximum());
    window_->mnuHelp->trigger();
    QCOMPARE(window_->dlg1.viewer(), viewer); // one viewer, reused
    QCOMPARE(viewer->shownFile(), "Hopsmeld.hlp");
    QCOMPARE(viewer->windowTitle(), "Merow Hopsmeld Helper Help");
    QCOMPARE(viewer->browser()->verticalScrollBar()->value(), 0);
    QCOMPARE(window_->dlg1.HelpCommand, 3);

    // The main window still takes typing while the viewer is open.
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QTest::keyClicks(window_->txt1, "1.05");
    QCOMPARE(window_->txt1->text(), "1.05");
}

void Form1WindowTest::helpForAMissingDocument() {
    window_->dlg1.HelpFile = "Nowhere.hlp";
    window_->dlg1.HelpCommand = CommonDialog::kHelpContents;
    window_->dlg1.ShowHelp();
    HelpViewer* viewer = window_->dlg1.viewer();
    QVERIFY(viewer->isVisible());
    const QString page = viewer->browser()->toPlainText();
    QVERIFY2(page.contains("Cannot find") && page.contains("Nowhere.hlp"), qPrintable(page));
    QVERIFY(window_->isVisible());
}

void Form1WindowTest::mailLinkIsHandedToTheDesktop() {
    // A stand-in for the desktop's link handler, first on PATH, writes down what it was given.
    QTemporaryDir dir;
    const QString record = dir.filePath("record");
    QFile handler(dir.filePath("xdg-open"));
    QVERIFY(handler.open(QIODevice::WriteOnly));
    handler.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1'\n").arg(record).toUtf8());
    handler.close();
    handler.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", dir.path().toUtf8() + ':' + path);

    window_->SSTab1->setCurrentIndex(2);
    QCOMPARE(window_->Lbl12->text(), "hopsmeld-helper@example.org");
    QCOMPARE(window_->Lbl12->cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(window_->Lbl12->cursor().hotSpot(), QPoint(12, 1));
    QTest::mouseClick(window_->Lbl12, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 5000);
    QTRY_COMPARE(readAll(record).trimmed(), "mailto:hopsmeld-helper@example.org");
    QVERIFY(window_->isVisible());
    QVERIFY(!QApplication::activeModalWidget());
    qputenv("PATH", path);
}

void Form1WindowTest::screenReaderNames() {
    const struct {
        QWidget* box;
        const char* name;
        bool result;
    } boxes[] = {
        {window_->txt1, "Enter Original Gravity", false},
        {window_->txt2, "Enter Final Gravity", false},
        {window_->txt3, "Alcohol % By Volume", true},
        {window_->txt4, "Alcohol % By Weight", true},
        {window_->txt5, "Enter Original Gravity", false},
        {window_->txt6, "Alcohol % By Volume", false},
        {window_->txt7, "Alcohol % By Weight", false},
        {window_->txt8, "Desired Bottling Gravity", true},
    };
    for (const auto& b : boxes) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(b.box);
        QVERIFY(a);
        QCOMPARE(a->text(QAccessible::Name), b.name);
        QCOMPARE(!a->text(QAccessible::Description).isEmpty(), b.result);
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(window_->cmd1)->text(QAccessible::Name),
             "Calculate");
    QCOMPARE(QAccessible::queryAccessibleInterface(window_->Cmd3)->text(QAccessible::Name), "Exit");
}

HOPSMELD_TEST_MAIN(Form1WindowTest, QApplication)

#include "test_form1_window.moc"
