// The window in process, on a private X display with a notification area: how each tab looks
// (against screenshots checked by eye) and whether every translation fits, the keyboard, the
// strength boxes, hiding and clearing, the tray menu's guard, help, the mail link and the
// program's end.
#include "form1.h"
#include "help_viewer.h"
#include "language.h"
#include "termination.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTextBrowser>
#include <QtTest>

#include <csignal>
#include <cstring>

using namespace hopsmeld;

class WindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Form1> w;
    QList<QLineEdit*> boxes() {
        return {w->txt1, w->txt2, w->txt3, w->txt4, w->txt5, w->txt6, w->txt7, w->txt8};
    }
    QStringList boxTexts() {
        QStringList texts;
        for (QLineEdit* box : boxes())
            texts << box->text();
        return texts;
    }
    void fill() {
        for (QLineEdit* box : boxes())
            box->setText(box->objectName());
    }
    // Runs `inside` on the message box that `open` shows, from the box's own event loop, then
    // closes it.
    void whileOpen(std::function<void()> open, std::function<void(QWidget*)> inside) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                ran = true;
                inside(box);
                box->close();
            }
        });
        open();
        QVERIFY(ran);
    }
    void open(const QString& language) {
        QCursor::setPos(0, 0); // no hover highlight in the screenshots
        w.reset();
        useLanguage(language);
        w = std::make_unique<Form1>();
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }
  private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void init() { open(QString()); }
    void cleanup() {
        w.reset();
        useLanguage(QString());
    }

    // Captions, positions, fonts and colours of every tab, against screenshots checked by eye at
    // 96 dpi with Liberation Sans; HOPSMELD_GOLDEN_UPDATE=1 writes new ones to look at.
    void looksAsDrawn_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("language");
        for (const QString language : {"", "de"}) {
            int tab = 0;
            for (const QString name : {"alcohol-content", "bottling-gravity", "about"})
                QTest::newRow(qPrintable(name + (language.isEmpty() ? "" : "-" + language)))
                    << tab++ << language;
        }
    }
    void looksAsDrawn() {
        QFETCH(int, tab);
        QFETCH(QString, language);
        if (!language.isEmpty())
            open(language);
        w->SSTab1->setCurrentIndex(tab);
        w->focusWidget()->clearFocus(); // no caret, which blinks
        const QImage shot = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const qreal scale = w->devicePixelRatio(); // also run at 1.5 and 2, their own screenshots
        const QString golden =
            QStringLiteral(GOLDEN_DIR "/%1%2.png")
                .arg(QTest::currentDataTag(), scale == 1 ? "" : QStringLiteral("@%1x").arg(scale));
        if (qEnvironmentVariableIsSet("HOPSMELD_GOLDEN_UPDATE"))
            QVERIFY(shot.save(golden));
        const bool same = shot == QImage(golden).convertToFormat(QImage::Format_RGB32);
        if (!same)
            shot.save(QStringLiteral("%1-seen.png").arg(QTest::currentDataTag()));
        QVERIFY2(same, "differs from the screenshot; see *-seen.png in the test's folder");
    }
    // Every text of every language shown in its control whole, laid out by the window's fonts and
    // style: a label's within the part of its box no other control covers, on no more lines than
    // the box shows; a button's on its face; a tab's in its tab; the menu bar on one line; a box's
    // message without scrolling. Also run at 1.5 and 2.
    void textsFit_data() {
        QTest::addColumn<QString>("language");
        for (const QString& language : QStringList{""} + shippedLanguages())
            QTest::newRow(language.isEmpty() ? "en" : qPrintable(language)) << language;
    }
    void textsFit() {
        QFETCH(QString, language);
        open(language);
        QStringList clipped;
        auto check = [&](bool fits, const QString& what) {
            if (!fits)
                clipped << what;
        };
        for (int tab = 0; tab < w->SSTab1->tabBar()->count(); ++tab) {
            w->SSTab1->setCurrentIndex(tab);
            for (QLabel* label : w->findChildren<QLabel*>()) {
                if (!label->isVisible())
                    continue;
                const QRectF text =
                    QFontMetricsF(label->font())
                        .boundingRect(label->contentsRect(), Qt::TextWordWrap | label->alignment(),
                                      label->text());
                bool fits = QRectF(label->rect()).contains(text);
                // Nor under a control drawn over it.
                const QObjectList& siblings = label->parent()->children();
                for (qsizetype i = siblings.indexOf(label) + 1; i < siblings.size(); ++i)
                    if (auto* above = qobject_cast<QWidget*>(siblings[i]);
                        above && above->isVisible())
                        fits = fits &&
                               !QRectF(above->geometry()).intersects(text.translated(label->pos()));
                check(fits, label->text());
            }
        }
        for (QPushButton* button : w->findChildren<QPushButton*>()) {
            QStyleOptionButton face;
            face.initFrom(button);
            const QRect room =
                button->style()->subElementRect(QStyle::SE_PushButtonContents, &face);
            check(button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width() <=
                      room.width(),
                  button->text());
        }
        QTabBar* strip = w->SSTab1->tabBar();
        for (int i = 0; i < strip->count(); ++i)
            check(strip->tabRect(i).left() >= 0 && strip->tabRect(i).right() < strip->width() &&
                      strip->fontMetrics().horizontalAdvance(strip->tabText(i)) +
                              strip->style()->pixelMetric(QStyle::PM_TabBarTabHSpace) <=
                          strip->tabRect(i).width(),
                  strip->tabText(i));
        for (QAction* entry : w->menuBar()->actions()) // on one line
            check(w->menuBar()->rect().contains(w->menuBar()->actionGeometry(entry)) &&
                      w->menuBar()->actionGeometry(entry).top() == 0,
                  entry->text());
        // A line edit scrolls only a text wider than it shows.
        w->SSTab1->setCurrentIndex(1);
        QTest::keyClicks(w->txt6, "x");
        w->txt6->clearFocus();
        w->txt7->setCursorPosition(0);
        const QImage start = w->txt7->grab().toImage();
        w->txt7->end(false);
        check(w->txt7->grab().toImage() == start, w->txt7->text());
        QVERIFY2(clipped.isEmpty(), qPrintable("clipped: " + clipped.join(" | ")));
    }
    void languageOfTheSession_data() {
        QTest::addColumn<QString>("messages");      // LC_ALL, LC_MESSAGES or LANG
        QTest::addColumn<QStringList>("preferred"); // as Qt lists LANGUAGE, else the messages
        QTest::addColumn<QString>("chosen");
        QTest::newRow("Austrian") << "de_AT" << QStringList{"de-AT", "de"} << "de";
        QTest::newRow("French, then German") << "fr_FR" << QStringList{"fr", "de"} << "de";
        QTest::newRow("English, then German") << "de_DE" << QStringList{"en-GB", "de"} << "";
        QTest::newRow("untranslated") << "fr_FR" << QStringList{"fr-FR", "fr"} << "";
        QTest::newRow("C, LANGUAGE=de") << "C.UTF-8" << QStringList{"de"} << "";
        QTest::newRow("a region of its own") << "pt_BR" << QStringList{"pt-BR", "pt"} << "pt_BR";
    }
    void languageOfTheSession() {
        QFETCH(QString, messages);
        QFETCH(QStringList, preferred);
        QFETCH(QString, chosen);
        QCOMPARE(chooseLanguage(messages, preferred, {"de", "pt_BR"}), chosen);
    }
    void namesAndTips() {
        const QStringList names = {"Enter Original Gravity", "Enter Final Gravity",
                                   "Alcohol % By Volume",    "Alcohol % By Weight",
                                   "Enter Original Gravity", "Alcohol % By Volume",
                                   "Alcohol % By Weight",    "Desired Bottling Gravity"};
        for (int i = 0; i < 8; ++i) { // the screen reader's name; results say so
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(boxes()[i]);
            QCOMPARE(a->text(QAccessible::Name), names[i]);
            QCOMPARE(a->text(QAccessible::Description).isEmpty(), i != 2 && i != 3 && i != 7);
        }
        QStringList tips;
        for (QWidget* child : w->findChildren<QWidget*>())
            if (!child->toolTip().isEmpty())
                tips << child->objectName() + ": " + child->toolTip();
        tips.sort();
        QCOMPARE(tips, (QStringList{"Cmd2: Click to Reset", "Cmd3: Click to Exit",
                                    "Cmd4: Click to Calculate", "Cmd5: Click to Reset",
                                    "Lbl12: Send e-mail", "cmd1: Click to Calculate"}));
        QVERIFY(!(w->windowFlags() & Qt::WindowMaximizeButtonHint) &&
                w->minimumSize() == w->maximumSize());
        QVERIFY((w->frameGeometry().center() - w->screen()->availableGeometry().center())
                    .manhattanLength() < 30);
        QCOMPARE(QApplication::focusWidget(), w->txt1);
    }
    void tabCycles_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QStringList>("cycle");
        const QString strip = "SSTab1Strip";
        QTest::newRow("alcohol") << 0 << QStringList{strip,  "txt1", "txt2", "cmd1",
                                                     "txt3", "txt4", "Cmd2", "Cmd3"};
        QTest::newRow("bottling") << 1 << QStringList{strip,  "Cmd3", "txt5", "txt6",
                                                      "txt7", "Cmd4", "txt8", "Cmd5"};
        QTest::newRow("about") << 2 << QStringList{strip, "Cmd3"};
    }
    void tabCycles() {
        QFETCH(int, tab);
        QFETCH(QStringList, cycle);
        w->SSTab1->setCurrentIndex(tab);
        w->SSTab1->tabBar()->setFocus();
        QStringList seen;
        for (int i = 0; i < cycle.size() * 2; ++i) {
            seen << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(seen, cycle + cycle);
    }
    // The buttons and the boxes' changes reach the calculators; Enter and Esc in a box press
    // nothing, on a button Enter and Return press it. Ctrl with Tab or PgDn/PgUp switches tabs from
    // anywhere (Ctrl+Shift+Tab as X sends it: end to end), the focus going from a box to the new
    // tab's first one.
    void bindings() {
        QTest::keyClicks(w->txt1, "1.050");
        for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(w->txt1, Qt::Key(key));
        QCOMPARE(w->txt3->text(), "");
        w->txt2->setText("1.010");
        QTest::keyClick(w->cmd1, Qt::Key_Return);
        QCOMPARE(w->txt3->text(), "5.25%");
        QTest::keyClick(w->txt1, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), w->txt5);
        QTest::keyClick(w->Cmd3, Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(w->SSTab1->currentIndex(), 0);
        QTest::keyClick(w->Cmd3, Qt::Key_PageUp, Qt::ControlModifier); // round past the first tab
        QCOMPARE(w->SSTab1->currentIndex(), 2);
        QTest::keyClick(w->Cmd3, Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(w->SSTab1->currentIndex(), 0);
        QTest::mouseClick(w->Cmd2, Qt::LeftButton);
        QCOMPARE(boxTexts(), QStringList(8));
        whileOpen([&] { QTest::mouseClick(w->cmd1, Qt::LeftButton); },
                  [](QWidget* box) {
                      QCOMPARE(box->windowTitle(), "Hopsmeld Error");
                      QCOMPARE(static_cast<QMessageBox*>(box)->text(),
                               "Hey Hop Head You Can't Do That!");
                  });
    }
    // Every way a user changes a strength box runs its mirror, and Calculate takes the strength
    // from the box changed last; a key that changes no text, such as Tab, changes nothing.
    void strengthPaths_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("og");
        QTest::addColumn<QString>("shown");  // txt6|txt7 afterwards
        QTest::addColumn<QString>("result"); // txt8, or the message
        // clang-format off
        QTest::newRow("keys") << "keys" << "1.050" << "5.25|4.20" << "1.010";
        QTest::newRow("paste over typed") << "paste" << "1.050" << "5.25|4.2" << "1.010";
        QTest::newRow("middle click") << "middle" << "1.050" << "5.25|4.20" << "1.010";
        QTest::newRow("drop") << "drop" << "1.050" << "7.5|6.00" << ".993";
        QTest::newRow("undo") << "undo" << "1.050" << "|Can't convert" << "message";
        QTest::newRow("tab through") << "tab" << "1.0497" << "5.27|4.22" << "1.010";
        // clang-format on
    }
    void strengthPaths() {
        QFETCH(QString, path);
        QFETCH(QString, og);
        QFETCH(QString, shown);
        QFETCH(QString, result);
        w->SSTab1->setCurrentIndex(1);
        w->txt5->setText(og);
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (path == "keys") {
            QTest::keyClicks(w->txt6, "5.25");
        } else if (path == "paste") { // the weight box's context menu: Select All, Paste
            QTest::keyClicks(w->txt7, "5");
            clipboard->setText("4.2");
            w->txt7->selectAll();
            w->txt7->paste();
        } else if (path == "middle") {
            QVERIFY(clipboard->supportsSelection());
            clipboard->setText("5.25", QClipboard::Selection);
            QTest::mouseClick(w->txt6, Qt::MiddleButton);
        } else if (path == "drop") {
            QMimeData data;
            data.setText("7.5");
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(w->txt6, &enter); // Qt takes a drop only where one entered
            QApplication::sendEvent(w->txt6, &drop);
        } else if (path == "undo") {
            QTest::keyClicks(w->txt6, "6.5");
            w->txt6->undo(); // as the context menu's Undo
        } else {
            QTest::keyClicks(w->txt6, "5.27");
            w->txt6->setFocus();
            // Through the window, as a desktop delivers keys: each release lands in the box
            // the press has just moved the focus to.
            QTest::keyClick(w->windowHandle(), Qt::Key_Tab);
            QTest::keyClick(w->windowHandle(), Qt::Key_Backtab, Qt::ShiftModifier);
            QTest::keyClick(w->windowHandle(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), w->txt7);
        }
        QCOMPARE(w->txt6->text() + "|" + w->txt7->text(), shown);
        if (result == "message") {
            whileOpen([&] { QTest::keyClick(w->Cmd4, Qt::Key_Enter); }, [](QWidget*) {});
            result.clear(); // and txt8 keeps its text
        } else {
            QTest::keyClick(w->Cmd4, Qt::Key_Enter);
        }
        QCOMPARE(w->txt8->text(), result);
        QTest::mouseClick(w->Cmd5, Qt::LeftButton); // Reset empties this tab's four boxes
        QCOMPARE(boxTexts().mid(4), QStringList(4));
    }
    void hideAndClear_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("left");
        const QStringList none(8);
        QTest::newRow("Exit button")
            << "Cmd3" << QStringList{"", "", "", "", "txt5", "txt6", "txt7", "txt8"};
        QTest::newRow("Alt+E") << "alt+e" << none;
        QTest::newRow("close request") << "close" << none;
    }
    void hideAndClear() {
        QFETCH(QString, how);
        QFETCH(QStringList, left);
        w->SSTab1->setCurrentIndex(1);
        fill();
        if (how == "Cmd3")
            QTest::mouseClick(w->Cmd3, Qt::LeftButton);
        else if (how == "alt+e")
            QTest::keyClick(w.get(), Qt::Key_E, Qt::AltModifier);
        else
            QVERIFY(!w->close()); // refused: the window only hides
        QVERIFY(!w->isVisible());
        QCOMPARE(boxTexts(), left);
        QCOMPARE(w->SSTab1->currentIndex(), 1);
    }
    // The tray menu open, further tray messages are noted and do nothing: no second menu, no
    // window.
    void trayMenuBusy() {
        QTest::keyClick(w.get(), Qt::Key_E, Qt::AltModifier);
        int menus = 0;
        bool shown = true;
        connect(w->mnuSystemtray, &QMenu::aboutToShow, [&] {
            if (++menus > 1) // from inside the second menu's loop, leave both
                QTimer::singleShot(0, [] { QCoreApplication::exit(); });
        });
        QTimer::singleShot(0, [&] {
            w->trayCallback(RightButtonUp);
            w->trayCallback(LeftButtonDoubleClick);
            shown = w->isVisible();
            w->mnuSystemtray->close();
        });
        w->trayCallback(RightButtonUp);
        QVERIFY(menus == 1 && !shown && !w->isVisible());
    }
    // The session's end and the ending signals end the program at once, with status 0 and
    // without its icon: nothing asked, nothing cleared.
    void theEnd_data() {
        QTest::addColumn<int>("signal"); // 0: the session manager's Quit
        for (int signal : {0, SIGTERM, SIGINT, SIGHUP})
            QTest::addRow("%s", signal ? sigabbrev_np(signal) : "session end") << signal;
    }
    void theEnd() {
        QFETCH(int, signal);
        fill();
        endWhenAsked([this] { w->endProgram(); });
        QTimer::singleShot(0, [signal] {
            signal ? void(::raise(signal))
                   : QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit));
        });
        QTimer::singleShot(5000, [] { QCoreApplication::exit(99); }); // still running
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!w->trayIcon().isShown());
        QCOMPARE(boxTexts()[0], "txt1");
    }
    void helpAndMail() {
        w->mnuBeerGuide->trigger();
        HelpViewer* viewer = w->dlg1.viewer();
        QVERIFY(viewer->isVisible() && !QApplication::activeModalWidget());
        QCOMPARE(viewer->windowTitle(), "Beer Guide");
        w->mnuHelp->trigger(); // the other document, in the same viewer, from its start
        QCOMPARE(viewer->windowTitle(), "Merow Hopsmeld Helper Help");
        QCOMPARE(w->dlg1.viewer(), viewer);
        w->dlg1.HelpFile = "Nowhere.hlp";
        w->dlg1.ShowHelp();
        QCOMPARE(viewer->windowTitle(), "Help: cannot find Nowhere.hlp");
        QVERIFY(QTest::qWaitForWindowActive(viewer)); // framed by the window manager by now
        QVERIFY(w->screen()->availableGeometry().contains(viewer->frameGeometry()));
        QTest::keyClick(viewer->browser(), Qt::Key_Escape);
        QVERIFY(!viewer->isVisible());
        useLanguage("de"); // the page in the window's language
        w->mnuBeerGuide->trigger();
        QCOMPARE(viewer->windowTitle(), "Bierratgeber");
        // xdg-open's stand-in: one that takes the link, then one that finds no mail program.
        QTemporaryDir dir;
        qputenv("XDG_OPEN_LOG", dir.filePath("log").toUtf8());
        qputenv("PATH", STAND_INS_DIR ":" + qgetenv("PATH"));
        auto links = [&] {
            QFile log(dir.filePath("log"));
            return log.open(QIODevice::ReadOnly)
                       ? log.readAll().count("mailto:hopsmeld-helper@example.org\n")
                       : 0;
        };
        w->SSTab1->setCurrentIndex(2);
        for (int run : {1, 2}) {
            qputenv("XDG_OPEN_EXIT", run == 1 ? "0" : "3");
            QTest::mouseClick(w->Lbl12, Qt::LeftButton);
            QTRY_COMPARE(links(), run);
        }
        QTRY_VERIFY(w->findChild<QMessageBox*>());
        QTest::qWait(300); // time for a message the first link would wrongly have given
        QCOMPARE(w->findChildren<QMessageBox*>().size(), 1);
        auto* box = w->findChild<QMessageBox*>();
        QVERIFY(box->text().endsWith("\nhopsmeld-helper@example.org"));
        QVERIFY(box->textInteractionFlags() & Qt::TextSelectableByMouse);
        QCOMPARE(w->Lbl12->cursor().hotSpot(), QPoint(12, 1));
    }
};

QTEST_MAIN(WindowTest)
#include "test_window.moc"
