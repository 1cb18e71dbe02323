// The window in process, on a private X display with a notification area: how each tab looks
// (against screenshots checked by eye), the keyboard, hiding and clearing, the tray messages and
// menu, help, the mail link and the end of the session.
#include "form1.h"
#include "help_viewer.h"
#include "termination.h"
#include "test_main.h"

#include <QAccessible>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTextBrowser>
#include <QtTest>

#include <csignal>

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
    // Runs `inside` once the menu or message box that `open` shows is up, then closes it.
    void whileOpen(std::function<void()> open, std::function<void(QWidget*)> inside) {
        bool ran = false;
        QTimer poll;
        poll.callOnTimeout([&] {
            QWidget* popup = QApplication::activePopupWidget() ? QApplication::activePopupWidget()
                                                               : QApplication::activeModalWidget();
            if (!popup || ran)
                return;
            ran = true;
            inside(popup);
            if (popup->isVisible())
                popup->close();
        });
        poll.start(20);
        open();
        QVERIFY(ran);
    }
    // The event loop until the program ends it; 99 if it is still running after five seconds.
    static int runUntilTheEnd() {
        QTimer guard;
        guard.callOnTimeout([] { QCoreApplication::exit(99); });
        guard.start(5000);
        return QApplication::exec();
    }
  private slots:
    void init() {
        QCursor::setPos(0, 0); // no hover highlight in the screenshots
        w = std::make_unique<Form1>();
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }
    void cleanup() { w.reset(); }

    // Captions, positions, fonts and colours of every tab, against screenshots checked by eye at
    // 96 dpi with Liberation Sans; HOPSMELD_GOLDEN_UPDATE=1 writes new ones to look at.
    void looksAsDrawn_data() {
        QTest::addColumn<int>("tab");
        int tab = 0;
        for (const char* name : {"alcohol-content", "bottling-gravity", "about"})
            QTest::newRow(name) << tab++;
    }
    void looksAsDrawn() {
        QFETCH(int, tab);
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
    // The buttons and key releases reach the calculators; Enter and Esc in a box press nothing,
    // on a button Enter and Return press it. Ctrl with Tab or PgDn/PgUp switches tabs from
    // anywhere (Ctrl+Shift+Tab comes as Backtab from X), the focus going from a box to the new
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
        QTest::keyClicks(w->txt6, "5.25");
        QCOMPARE(w->txt7->text(), "4.20");
        w->txt7->setText("4"); // written, not typed: no mirror
        QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_5, Qt::NoModifier, "5", true);
        QApplication::sendEvent(w->txt6, &repeat); // nor from a held key's repeats
        QCOMPARE(w->txt6->text() + " " + w->txt7->text(), "5.25 4");
        w->txt5->setText("1.050");
        QTest::keyClick(w->Cmd4, Qt::Key_Enter);
        QCOMPARE(w->txt8->text(), "1.010");
        QTest::mouseClick(w->Cmd5, Qt::LeftButton);
        QTest::keyClick(w->Cmd3, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
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
    // A lone Alt as the platform delivers it (the modifiers as they were before each key, the
    // key to whichever widget has the focus by then): the menu bar takes the focus and the
    // release, and a mirror box still runs its handler.
    void loneAlt_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("mirror"); // what txt6 or txt7 shows afterwards
        // clang-format off
        QTest::newRow("volume") << "txt6" << "5" << "4.00";
        QTest::newRow("weight") << "txt7" << "4" << "5.00";
        QTest::newRow("elsewhere") << "txt5" << "1.050" << "";
        // clang-format on
    }
    void loneAlt() {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, mirror);
        w->SSTab1->setCurrentIndex(1);
        auto* typed = w->findChild<QLineEdit*>(box);
        typed->setText(text);
        typed->setFocus();
        QTest::simulateEvent(w->windowHandle(), true, Qt::Key_Alt, Qt::NoModifier, QString(),
                             false);
        QTest::simulateEvent(w->windowHandle(), false, Qt::Key_Alt, Qt::AltModifier, QString(),
                             false);
        QCOMPARE((box == "txt7" ? w->txt6 : w->txt7)->text(), mirror);
        QCOMPARE(QApplication::focusWidget(), w->menuBar());
    }
    void hideAndClear_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("left");
        const QStringList none(8);
        QTest::newRow("Exit button")
            << "Cmd3" << QStringList{"", "", "", "", "txt5", "txt6", "txt7", "txt8"};
        QTest::newRow("Exit in the menu bar") << "mnuExit" << none;
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
        else if (how == "mnuExit")
            w->mnuExit->trigger();
        else if (how == "alt+e")
            QTest::keyClick(w.get(), Qt::Key_E, Qt::AltModifier);
        else
            QVERIFY(!w->close()); // refused: the window only hides
        QVERIFY(!w->isVisible());
        QCOMPARE(boxTexts(), left);
        QCOMPARE(w->SSTab1->currentIndex(), 1);
    }
    void trayMessages() {
        QVERIFY(w->trayIcon().isShown());
        QSystemTrayIcon* icon = w->trayIcon().icon();
        QCOMPARE(icon->toolTip(), "Merow Hopsmeld Helper");
        // trayer speaks XEmbed: the window pops the menu up itself, so Qt must not as well.
        QCOMPARE(w->trayIcon().host(), TrayHost::XEmbed);
        QCOMPARE(icon->contextMenu(), nullptr);
        w->SSTab1->setCurrentIndex(1);
        fill();
        w->showMinimized();
        w->hide();
        for (int message : {512, 513, 514, 516, 518, 519, 520})
            w->trayCallback(message);
        QVERIFY(!w->isVisible() && !w->mnuSystemtray->isVisible());
        w->trayCallback(515); // double click: back as it was left
        w->trayCallback(515); // a panel's double click: two activations, the same window
        QVERIFY(w->isVisible());
        QVERIFY(!w->isMinimized());
        QCOMPARE(w->SSTab1->currentIndex(), 1);
        w->hide();
        whileOpen([&] { w->trayCallback(517); },
                  [&](QWidget* menu) {
                      QCOMPARE(menu, w->mnuSystemtray);
                      QStringList entries;
                      for (QAction* action : w->mnuSystemtray->actions())
                          entries << action->text();
                      QCOMPARE(entries, (QStringList{"&Open Hopsmeld Helper", "", "&Exit"}));
                      w->trayCallback(515); // while the menu is open: noted, nothing more
                      w->trayCallback(517);
                      QCOMPARE(w->TrayMessage, 517);
                      QVERIFY(!w->isVisible());
                      QTest::keyClick(menu, Qt::Key_O); // Open, by its access key
                  });
        QVERIFY(w->isVisible());
        QCOMPARE(w->SSTab1->currentIndex(), 0);
        QCOMPARE(w->focusWidget(), w->txt1); // the caret, once the window manager activates it
        QCOMPARE(boxTexts()[4], "txt5");
        QCOMPARE(w->trayIcon().icon(), icon); // still the one icon
    }
    void activationsToMessages_data() {
        QTest::addColumn<int>("reason");
        QTest::addColumn<bool>("statusNotifier");
        QTest::addColumn<bool>("x11");
        QTest::addColumn<int>("message");
        const int press = QSystemTrayIcon::Trigger, twice = QSystemTrayIcon::DoubleClick,
                  context = QSystemTrayIcon::Context, middle = QSystemTrayIcon::MiddleClick;
        QTest::newRow("XEmbed left press") << press << false << true << 513;
        QTest::newRow("XEmbed double click") << twice << false << true << 515;
        QTest::newRow("XEmbed right button") << context << false << true << 517;
        // A host's Activate is the user asking for the window: the double click's message.
        QTest::newRow("SNI Activate") << press << true << true << 515;
        QTest::newRow("SNI Activate, Wayland") << press << true << false << 515;
        QTest::newRow("SNI ContextMenu, X11") << context << true << true << 517;
        // Wayland places no menu at the pointer with the window hidden: the host draws it.
        QTest::newRow("SNI ContextMenu, Wayland") << context << true << false << 512;
        QTest::newRow("SNI SecondaryActivate") << middle << true << true << 519;
    }
    void activationsToMessages() {
        QFETCH(int, reason);
        QFETCH(bool, statusNotifier);
        QFETCH(bool, x11);
        QFETCH(int, message);
        const TrayHost host = statusNotifier ? TrayHost::StatusNotifier : TrayHost::XEmbed;
        QCOMPARE(trayMessageFor(QSystemTrayIcon::ActivationReason(reason), host, x11), message);
    }
    void theEnd_data() {
        QTest::addColumn<QString>("how");
        for (const char* how : {"tray menu Exit", "session end", "SIGTERM"})
            QTest::newRow(how) << QString(how);
    }
    // The program ends at once, with status 0 and without its icon: nothing asked, nothing cleared.
    void theEnd() {
        QFETCH(QString, how);
        fill();
        QTimer::singleShot(0, [&] {
            if (how == "tray menu Exit")
                whileOpen([&] { w->trayCallback(517); },
                          [](QWidget* menu) { QTest::keyClick(menu, Qt::Key_E); });
            else if (how == "session end")
                QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit));
            else
                ::raise(SIGTERM);
        });
        endWhenTheSessionEnds([this] { w->endProgram(); });
        endOnTerminationSignals([this] { w->endProgram(); });
        QCOMPARE(runUntilTheEnd(), 0);
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
        // xdg-open stand-ins: one that takes the link, then one that finds no mail program.
        QTemporaryDir bin;
        QFile xdgOpen(bin.filePath("xdg-open"));
        QVERIFY(xdgOpen.open(QIODevice::WriteOnly));
        xdgOpen.write("#!/bin/sh\necho \"$1\" >>\"$0.log\"\nexit $XDG_OPEN_EXIT\n");
        xdgOpen.close();
        xdgOpen.setPermissions(QFile::ExeOwner | QFile::ReadOwner);
        qputenv("PATH", bin.path().toUtf8() + ":" + qgetenv("PATH"));
        auto links = [&] {
            QFile log(xdgOpen.fileName() + ".log");
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
    // Run alone without a notification area: a hidden window could never come back.
    void withoutTrayHidingEnds() {
        if (QSystemTrayIcon::isSystemTrayAvailable())
            QSKIP("runs as a test of its own, without a notification area");
        fill();
        QTimer::singleShot(0, [this] { QTest::mouseClick(w->Cmd3, Qt::LeftButton); });
        QCOMPARE(runUntilTheEnd(), 0);
        QCOMPARE(boxTexts().mid(0, 5), (QStringList{"", "", "", "", "txt5"}));
    }
};

HOPSMELD_TEST_MAIN(WindowTest, QApplication, QApplication::setQuitOnLastWindowClosed(false))
#include "test_window.moc"
