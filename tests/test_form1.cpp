// The calculators bound to the real window: real key events run the mirrors, code does not,
// and the buttons and the message box work through real widgets.
#include "form1.h"
#include "test_main.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

using namespace hopsmeld;

namespace {

// What the modal message box showed, read and dismissed from inside its own event loop.
struct SeenMessage {
    bool shown = false;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    Qt::WindowModality modality = Qt::NonModal;
    QWidget* parent = nullptr;
};

void dismissNextMessage(SeenMessage& seen) {
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen = {true,
                box->windowTitle(),
                box->text(),
                box->icon(),
                box->standardButtons(),
                box->windowModality(),
                box->parentWidget()};
        box->button(QMessageBox::Ok)->click();
    });
}

} // namespace

class Form1Test : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void calculateAlcohol();
    void badInputShowsTheMessage_data();
    void badInputShowsTheMessage();
    void typingMirrors_data();
    void typingMirrors();
    void textWrittenByCodeDoesNotMirror();
    void autoRepeatIsOneRelease();
    void loneAltIsAKeyToo_data();
    void loneAltIsAKeyToo();
    void calculateBottling();

  private:
    std::unique_ptr<Form1> window_;
};

void Form1Test::init() {
    window_ = std::make_unique<Form1>();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void Form1Test::cleanup() {
    window_.reset();
}

void Form1Test::calculateAlcohol() {
    QTest::keyClicks(window_->txt1, "1.050");
    QTest::keyClicks(window_->txt2, "1.010");
    QTest::mouseClick(window_->cmd1, Qt::LeftButton);
    QCOMPARE(window_->txt4->text(), "4.20%");
    QCOMPARE(window_->txt3->text(), "5.25%");

    QTest::mouseClick(window_->Cmd2, Qt::LeftButton);
    for (QLineEdit* box : {window_->txt1, window_->txt2, window_->txt3, window_->txt4})
        QCOMPARE(box->text(), QString());
    QCOMPARE(window_->alcoholContent().alcWeight().toNumber(QLocale::c()), 0.042);
}

void Form1Test::badInputShowsTheMessage_data() {
    QTest::addColumn<QString>("og");
    QTest::addColumn<QString>("fg");
    QTest::newRow("empty boxes") << ""
                                 << "";
    QTest::newRow("letters") << "one"
                             << "1.010";
    QTest::newRow("final empty") << "1.050"
                                 << "";
}

void Form1Test::badInputShowsTheMessage() {
    QFETCH(QString, og);
    QFETCH(QString, fg);
    QTest::keyClicks(window_->txt1, og);
    QTest::keyClicks(window_->txt2, fg);
    QTest::keyClicks(window_->txt3, "keep me");

    SeenMessage seen;
    dismissNextMessage(seen);
    QTest::mouseClick(window_->cmd1, Qt::LeftButton);
    QVERIFY(seen.shown);
    QCOMPARE(seen.title, "Hopsmeld Error");
    QCOMPARE(seen.text, "Hey Hop Head You Can't Do That!");
    QCOMPARE(seen.icon, QMessageBox::Warning);
    QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(seen.modality != Qt::NonModal);
    QCOMPARE(seen.parent, window_.get());

    QCOMPARE(window_->txt1->text(), og);
    QCOMPARE(window_->txt3->text(), "keep me");
    QVERIFY(window_->alcoholContent().alcWeight().isEmpty());
}

void Form1Test::typingMirrors_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("mirror");
    QTest::newRow("volume") << "txt6"
                            << "5.25"
                            << "4.20";
    QTest::newRow("weight") << "txt7"
                            << "4.2"
                            << "5.25";
    QTest::newRow("not a number") << "txt6"
                                  << "5x"
                                  << "Can't convert";
}

void Form1Test::typingMirrors() {
    QFETCH(QString, box);
    QFETCH(QString, keys);
    QFETCH(QString, mirror);
    const bool volume = box == "txt6";
    QLineEdit* typed = volume ? window_->txt6 : window_->txt7;
    QLineEdit* mirrored = volume ? window_->txt7 : window_->txt6;
    window_->SSTab1->setCurrentIndex(1);
    QTest::keyClicks(typed, keys);
    QCOMPARE(mirrored->text(), mirror);

    // Backspace is a key too: emptying the box says so in the mirror.
    for (int i = 0; i < keys.size(); ++i)
        QTest::keyClick(typed, Qt::Key_Backspace);
    QCOMPARE(mirrored->text(), "Can't convert");
}

void Form1Test::textWrittenByCodeDoesNotMirror() {
    window_->txt6->setText("5.25");
    window_->txt7->setText("9");
    QCOMPARE(window_->txt7->text(), "9");
    QCOMPARE(window_->txt6->text(), "5.25");
    QVERIFY(window_->bottlingGravity().yieldWeight().isEmpty());
}

void Form1Test::autoRepeatIsOneRelease() {
    window_->SSTab1->setCurrentIndex(1);
    window_->txt6->setText("5");
    // A held key sends releases marked as auto-repeat; only the real one counts.
    QKeyEvent repeated(QEvent::KeyRelease, Qt::Key_5, Qt::NoModifier, "5", true);
    QApplication::sendEvent(window_->txt6, &repeated);
    QCOMPARE(window_->txt7->text(), QString());
    QKeyEvent real(QEvent::KeyRelease, Qt::Key_5, Qt::NoModifier, "5", false);
    QApplication::sendEvent(window_->txt6, &real);
    QCOMPARE(window_->txt7->text(), "4.00");
}

void Form1Test::loneAltIsAKeyToo_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("mirror"); // what txt6 or txt7 shows afterwards
    QTest::newRow("volume") << "txt6"
                            << "5"
                            << "4.00";
    QTest::newRow("weight") << "txt7"
                            << "4"
                            << "5.00";
    QTest::newRow("elsewhere") << "txt5"
                               << "1.050"
                               << "";
}

void Form1Test::loneAltIsAKeyToo() {
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(QString, mirror);
    window_->SSTab1->setCurrentIndex(1);
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    auto* typed = window_->findChild<QLineEdit*>(box);
    QLineEdit* mirrored = box == "txt7" ? window_->txt6 : window_->txt7;
    typed->setText(text);
    typed->setFocus();

    // Alt down and up through the window, as the platform delivers keys: the modifiers as they
    // were before each key, and the key goes to whichever widget has the focus by then.
    QWindow* handle = window_->windowHandle();
    QTest::simulateEvent(handle, true, Qt::Key_Alt, Qt::NoModifier, QString(), false);
    QTest::simulateEvent(handle, false, Qt::Key_Alt, Qt::AltModifier, QString(), false);

    QCOMPARE(mirrored->text(), mirror);
    QCOMPARE(QApplication::focusWidget(), window_->menuBar()); // the menu bar's as anywhere
}

void Form1Test::calculateBottling() {
    window_->SSTab1->setCurrentIndex(1);
    QTest::keyClicks(window_->txt5, "1.050");
    QTest::keyClicks(window_->txt6, "5.13");
    QCOMPARE(window_->txt7->text(), "4.10");
    QTest::mouseClick(window_->Cmd4, Qt::LeftButton);
    QCOMPARE(window_->txt8->text(), "1.011");

    // Reset leaves the yield: a new gravity alone calculates with it.
    QTest::mouseClick(window_->Cmd5, Qt::LeftButton);
    QCOMPARE(window_->txt6->text(), QString());
    QTest::keyClicks(window_->txt5, "1.050");
    QTest::mouseClick(window_->Cmd4, Qt::LeftButton);
    QCOMPARE(window_->txt8->text(), "1.011");

    SeenMessage seen;
    dismissNextMessage(seen);
    window_->txt5->clear();
    QTest::mouseClick(window_->Cmd4, Qt::LeftButton);
    QVERIFY(seen.shown);
    QCOMPARE(window_->txt8->text(), "1.011");
}

HOPSMELD_TEST_MAIN(Form1Test, QApplication)

#include "test_form1.moc"
