// The window and its notification-area icon: the mouse messages, the busy guard while the tray
// menu is open, the menu's entries, and how the program ends.
#include "form1.h"
#include "termination.h"
#include "test_main.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include <csignal>

using namespace hopsmeld;

// Ends a wait on the event loop that would otherwise never end, and is gone with the test.
struct LoopGuard {
    QTimer timer;
    LoopGuard() {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        timer.start(5000);
    }
};

class Form1TrayTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void activationReasonsToMessages_data();
    void activationReasonsToMessages();
    void oneIconWithTheCaptionAsTip();
    void doubleClickRestoresAndShows();
    void otherMessagesDoNothing();
    void nestedMessageWhileTheMenuIsOpen();
    void openEntrySelectsTheFirstTab();
    void exitEntryEndsWithoutClearing();
    void sessionEndIsNeverRefused();
    void terminationSignalEndsCleanly();
    void withoutTrayHidingEnds();

  private:
    std::unique_ptr<Form1> window_;
};

void Form1TrayTest::init() {
    window_ = std::make_unique<Form1>();
    window_->show();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void Form1TrayTest::cleanup() {
    window_.reset();
}

void Form1TrayTest::activationReasonsToMessages_data() {
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("statusNotifier");
    QTest::addColumn<bool>("x11");
    QTest::addColumn<int>("message");
    const int trigger = QSystemTrayIcon::Trigger, twice = QSystemTrayIcon::DoubleClick,
              context = QSystemTrayIcon::Context, middle = QSystemTrayIcon::MiddleClick,
              unknown = QSystemTrayIcon::Unknown;
    QTest::newRow("XEmbed double click") << twice << false << true << 515;
    QTest::newRow("XEmbed right button") << context << false << true << 517;
    QTest::newRow("XEmbed single left click") << trigger << false << true << 513;
    QTest::newRow("XEmbed middle button") << middle << false << true << 519;
    QTest::newRow("XEmbed unknown") << unknown << false << true << 512;
    // A host's Activate is the user asking for the window: the double click's message.
    QTest::newRow("SNI Activate") << trigger << true << true << 515;
    QTest::newRow("SNI Activate, Wayland") << trigger << true << false << 515;
    QTest::newRow("SNI ContextMenu, X11") << context << true << true << 517;
    // Wayland cannot put a menu at the pointer with the window hidden: the host draws it.
    QTest::newRow("SNI ContextMenu, Wayland") << context << true << false << 512;
    QTest::newRow("SNI SecondaryActivate") << middle << true << true << 519;
}

void Form1TrayTest::activationReasonsToMessages() {
    QFETCH(int, reason);
    QFETCH(bool, statusNotifier);
    QFETCH(bool, x11);
    QFETCH(int, message);
    const TrayHost host = statusNotifier ? TrayHost::StatusNotifier : TrayHost::XEmbed;
    QCOMPARE(trayMessageFor(QSystemTrayIcon::ActivationReason(reason), host, x11), message);
}

void Form1TrayTest::oneIconWithTheCaptionAsTip() {
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        QSKIP("needs a notification area");
    QSystemTrayIcon* icon = window_->trayIcon().icon();
    QVERIFY(icon);
    QVERIFY(icon->isVisible());
    QCOMPARE(icon->toolTip(), "Merow Hopsmeld Helper");
    QVERIFY(!icon->icon().isNull());
    // trayer speaks XEmbed: the window pops the menu up itself, so Qt must not as well.
    QCOMPARE(window_->trayIcon().host(), TrayHost::XEmbed);
    QCOMPARE(icon->contextMenu(), nullptr);
    // Activated again (shown from the tray): still the same, single icon.
    window_->hide();
    window_->trayCallback(515);
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QCOMPARE(window_->trayIcon().icon(), icon);
    QCOMPARE(window_->findChildren<QSystemTrayIcon*>().size() +
                 QApplication::instance()->findChildren<QSystemTrayIcon*>().size(),
             qsizetype(0)); // owned by the window's tray record alone
}

void Form1TrayTest::doubleClickRestoresAndShows() {
    window_->txt6->setText("5.25");
    window_->SSTab1->setCurrentIndex(1);
    window_->showMinimized();
    QTRY_VERIFY(window_->isMinimized());
    window_->trayCallback(515);
    QTRY_VERIFY(!window_->isMinimized());
    QVERIFY(window_->isVisible());

    window_->hide();
    window_->trayCallback(515);
    window_->trayCallback(515); // a panel's double click: two activations
    QVERIFY(window_->isVisible());
    QCOMPARE(window_->SSTab1->currentIndex(), 1); // the tab it was left on
    QCOMPARE(window_->txt6->text(), "5.25");
    QCOMPARE(window_->TrayMessage, 515);
    QVERIFY(!window_->TrayBusy);
}

void Form1TrayTest::otherMessagesDoNothing() {
    window_->hide();
    for (int message : {512, 513, 514, 516, 518, 519, 520}) {
        window_->trayCallback(message);
        QCOMPARE(window_->TrayMessage, message);
        QVERIFY(!window_->isVisible());
        QVERIFY(!window_->mnuSystemtray->isVisible());
    }
}

void Form1TrayTest::nestedMessageWhileTheMenuIsOpen() {
    window_->hide();
    bool checked = false;
    QTimer::singleShot(200, [this, &checked] {
        QMenu* menu = window_->mnuSystemtray;
        QVERIFY(menu->isVisible());
        QVERIFY(window_->TrayBusy);
        window_->trayCallback(515); // arrives while the menu is open
        QCOMPARE(window_->TrayMessage, 515);
        QVERIFY(menu->isVisible()); // no second menu, nothing shown
        window_->trayCallback(517);
        QCOMPARE(window_->TrayMessage, 517);
        checked = true;
        menu->close();
    });
    window_->trayCallback(517); // returns when the menu closes
    QVERIFY(checked);
    QVERIFY(!window_->TrayBusy);
    QVERIFY(!window_->mnuSystemtray->isVisible());
}

void Form1TrayTest::openEntrySelectsTheFirstTab() {
    window_->SSTab1->setCurrentIndex(2);
    window_->txt1->setText("1.050");
    window_->Cmd3->setFocus();
    window_->hide();
    QTimer::singleShot(200, [this] { window_->mnuOp->trigger(); });
    window_->trayCallback(517);
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QCOMPARE(window_->SSTab1->currentIndex(), 0);
    QTRY_COMPARE(QApplication::focusWidget(), window_->txt1);
    QCOMPARE(window_->txt1->text(), "1.050");
}

void Form1TrayTest::exitEntryEndsWithoutClearing() {
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        QSKIP("needs a notification area");
    window_->txt1->setText("1.050");
    window_->txt5->setText("1.060");
    bool closeAsked = false;
    struct CloseSpy : QObject {
        bool* asked;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Close)
                *asked = true;
            return false;
        }
    } spy;
    spy.asked = &closeAsked;
    window_->installEventFilter(&spy);

    QTimer::singleShot(0, [this] {
        QTimer::singleShot(200, [this] { window_->mnuExt->trigger(); });
        window_->trayCallback(517);
    });
    QCOMPARE(QApplication::exec(), 0); // the event loop ends
    QVERIFY(!closeAsked);
    QVERIFY(!window_->trayIcon().isShown());
    QCOMPARE(window_->txt1->text(), "1.050");
    QCOMPARE(window_->txt5->text(), "1.060");
}

void Form1TrayTest::sessionEndIsNeverRefused() {
    // The session manager's "die" reaches the program as a Quit event.
    endWhenTheSessionEnds([this] { window_->endProgram(); });
    QTimer::singleShot(0, [] { QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit)); });
    LoopGuard refused; // the loop would run on
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!window_->trayIcon().isShown());
}

void Form1TrayTest::terminationSignalEndsCleanly() {
    endOnTerminationSignals([this] { window_->endProgram(); });
    QTimer::singleShot(0, [] { ::raise(SIGTERM); });
    LoopGuard guard;
    QCOMPARE(QApplication::exec(), 0);
}

void Form1TrayTest::withoutTrayHidingEnds() {
    if (QSystemTrayIcon::isSystemTrayAvailable())
        QSKIP("runs as its own test, without a notification area");
    // Nothing could bring a hidden window back: the Exit button clears its boxes and ends.
    window_->txt1->setText("1.050");
    window_->txt5->setText("1.060");
    QTimer::singleShot(0, [this] { QTest::mouseClick(window_->Cmd3, Qt::LeftButton); });
    LoopGuard guard;
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(window_->txt1->text(), QString());
    QCOMPARE(window_->txt5->text(), "1.060");
}

HOPSMELD_TEST_MAIN(Form1TrayTest, QApplication, QApplication::setQuitOnLastWindowClosed(false))

#include "test_form1_tray.moc"
