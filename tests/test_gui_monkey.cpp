// A monkey at the keyboard and mouse: thousands of random events on the real window (keys,
// non-ASCII text, a pasted megabyte, clicks on every control, tab switches, close and reopen,
// tray events, nested ones while the tray menu is open, help and mail), with a fixed seed.
// After every event the boxes and the stored values must still make sense.
#include "form1.h"
#include "test_main.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTabBar>
#include <QtTest>

using namespace hopsmeld;

namespace {

constexpr int kEvents = 10000;
const char* const kKindNames[] = {"key",       "paste", "button", "tab",       "close", "tray",
                                  "tray menu", "help",  "mail",   "menu exit", "label"};

const QString kCantConvert = QStringLiteral("Can't convert");

struct Stored {
    bool alcWeightEmpty, alcVolumeEmpty, yieldEmpty;
    double alcWeight, alcVolume, yield;

    static Stored of(const Form1& w) {
        const QLocale c = QLocale::c();
        const auto number = [&c](const CalcValue& v) { return v.isNumber() ? v.toNumber(c) : 0.0; };
        return {
            w.alcoholContent().alcWeight().isEmpty(),    w.alcoholContent().alcVolume().isEmpty(),
            w.bottlingGravity().yieldWeight().isEmpty(), number(w.alcoholContent().alcWeight()),
            number(w.alcoholContent().alcVolume()),      number(w.bottlingGravity().yieldWeight())};
    }
    bool alcoholSame(const Stored& o) const {
        return alcWeightEmpty == o.alcWeightEmpty && alcVolumeEmpty == o.alcVolumeEmpty &&
               alcWeight == o.alcWeight && alcVolume == o.alcVolume;
    }
    bool yieldSame(const Stored& o) const { return yieldEmpty == o.yieldEmpty && yield == o.yield; }
};

} // namespace

class GuiMonkeyTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void monkey();

  private:
    enum class Kind { Key, Paste, Button, Tab, Close, Tray, TrayMenu, Help, Mail, MenuExit, Label };
    Kind pick();
    QLineEdit* visibleBox();
    void keyInto(QLineEdit* box);
    void check(Kind kind, QLineEdit* typed, QPushButton* pressed, const Stored& before,
               const QStringList& textsBefore);
    QStringList texts() const;

    std::unique_ptr<Form1> window_;
    QRandomGenerator random_;
    QTimer dismisser_;
    QTemporaryDir fakeBin_;
    int event_ = 0;
};

void GuiMonkeyTest::initTestCase() {
    bool seeded = false;
    const quint32 seed = qEnvironmentVariableIntValue("HOPSMELD_MONKEY_SEED", &seeded);
    random_.seed(seeded ? seed : 20261207);
    qInfo("monkey seed %u (set HOPSMELD_MONKEY_SEED to replay another)", seeded ? seed : 20261207u);

    // A mail handler that does nothing, so the monkey's clicks on the address open no mail.
    QFile handler(fakeBin_.filePath("xdg-open"));
    QVERIFY(handler.open(QIODevice::WriteOnly));
    handler.write("#!/bin/sh\nexit 0\n");
    handler.close();
    handler.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    qputenv("PATH", fakeBin_.path().toUtf8() + ':' + qgetenv("PATH"));

    // The error message is modal: dismiss it from inside its own loop, as a user would.
    connect(&dismisser_, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(QMessageBox::Ok)->click();
    });
    dismisser_.start(1);

    window_ = std::make_unique<Form1>();
    window_->show();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QVERIFY(QSystemTrayIcon::isSystemTrayAvailable()); // else closing would end the program
}

GuiMonkeyTest::Kind GuiMonkeyTest::pick() {
    const int roll = random_.bounded(1000);
    if (roll < 600)
        return Kind::Key;
    if (roll < 601)
        return Kind::Paste;
    if (roll < 780)
        return Kind::Button;
    if (roll < 860)
        return Kind::Tab;
    if (roll < 870)
        return Kind::Close;
    if (roll < 920)
        return Kind::Tray;
    if (roll < 935)
        return Kind::TrayMenu;
    if (roll < 945)
        return Kind::Help;
    if (roll < 950)
        return Kind::Mail;
    if (roll < 955)
        return Kind::MenuExit;
    return Kind::Label;
}

QStringList GuiMonkeyTest::texts() const {
    QStringList all;
    for (QLineEdit* box : {window_->txt1, window_->txt2, window_->txt3, window_->txt4,
                           window_->txt5, window_->txt6, window_->txt7, window_->txt8})
        all << box->text();
    return all;
}

QLineEdit* GuiMonkeyTest::visibleBox() {
    QList<QLineEdit*> shown;
    for (QLineEdit* box : window_->findChildren<QLineEdit*>()) {
        if (box->isVisible())
            shown << box;
    }
    return shown.isEmpty() ? nullptr : shown[random_.bounded(int(shown.size()))];
}

void GuiMonkeyTest::keyInto(QLineEdit* box) {
    static const QString printable = QStringLiteral("0123456789..,,--eE+ xa%ä߀中😀\t");
    static const Qt::Key keys[] = {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Left,
                                   Qt::Key_Right,     Qt::Key_Home,   Qt::Key_End,
                                   Qt::Key_Shift,     Qt::Key_Return, Qt::Key_Escape};
    box->setFocus();
    if (random_.bounded(4) == 0) {
        QTest::keyClick(box, keys[random_.bounded(int(std::size(keys)))]);
    } else {
        const int at = random_.bounded(int(printable.size()));
        QString text(printable[at]);
        if (printable[at].isHighSurrogate())
            text += printable[at + 1];
        else if (printable[at].isLowSurrogate())
            text = printable.mid(at - 1, 2);
        if (text[0].unicode() < 128)
            QTest::keyClicks(box, text);
        else // a key of some layout that types it
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, text, Qt::NoModifier);
    }
}

void GuiMonkeyTest::monkey() {
    QLineEdit* typed = nullptr;
    for (event_ = 0; event_ < kEvents; ++event_) {
        if (!window_->isVisible()) {
            // Back from the tray, either way.
            if (random_.bounded(2))
                window_->trayCallback(515);
            else
                window_->mnuOp->trigger();
        }
        const Stored before = Stored::of(*window_);
        const QStringList textsBefore = texts();
        const Kind kind = pick();
        if (qEnvironmentVariableIsSet("HOPSMELD_MONKEY_TRACE"))
            qInfo("event %d: %s", event_, kKindNames[int(kind)]);
        typed = nullptr;
        QPushButton* pressed = nullptr;
        switch (kind) {
        case Kind::Key:
            typed = visibleBox();
            if (typed)
                keyInto(typed);
            break;
        case Kind::Paste:
            typed = visibleBox();
            if (typed) {
                QString megabyte;
                megabyte.reserve(1 << 20);
                for (int i = 0; i < (1 << 20); ++i)
                    megabyte += QChar(u'0' + random_.bounded(10));
                QApplication::clipboard()->setText(megabyte);
                typed->setFocus();
                typed->selectAll();
                QTest::keyClick(typed, Qt::Key_V, Qt::ControlModifier);
            }
            break;
        case Kind::Button: {
            QList<QPushButton*> shown;
            for (QPushButton* b :
                 {window_->cmd1, window_->Cmd2, window_->Cmd3, window_->Cmd4, window_->Cmd5})
                if (b->isVisible())
                    shown << b;
            pressed = shown[random_.bounded(int(shown.size()))];
            QTest::mouseClick(pressed, Qt::LeftButton);
            break;
        }
        case Kind::Tab: {
            QTabBar* strip = window_->SSTab1->tabBar();
            QTest::mouseClick(strip, Qt::LeftButton, {},
                              strip->tabRect(random_.bounded(3)).center());
            break;
        }
        case Kind::Close:
            window_->close();
            break;
        case Kind::Tray:
            // Everything but the right button, which opens the menu (below).
            window_->trayCallback(
                QList<int>{512, 513, 514, 515, 516, 518, 519, 520}[random_.bounded(8)]);
            break;
        case Kind::TrayMenu: {
            // Nested tray events while the menu is open, then an entry or a click elsewhere.
            const int nested = random_.bounded(4);
            const int choice = random_.bounded(3);
            QTimer::singleShot(random_.bounded(20), [this, nested, choice] {
                for (int i = 0; i < nested; ++i)
                    window_->trayCallback(QList<int>{512, 513, 515, 517, 519}[i % 5]);
                if (choice == 0)
                    window_->mnuOp->trigger();
                window_->mnuSystemtray->close();
            });
            window_->trayCallback(517);
            QVERIFY(!window_->TrayBusy);
            break;
        }
        case Kind::Help:
            (random_.bounded(2) ? window_->mnuHelp : window_->mnuBeerGuide)->trigger();
            break;
        case Kind::Mail:
            window_->SSTab1->setCurrentIndex(2);
            QTest::mouseClick(window_->Lbl12, Qt::LeftButton);
            break;
        case Kind::MenuExit:
            window_->mnuExit->trigger();
            break;
        case Kind::Label: {
            const auto labels = window_->findChildren<QLabel*>();
            QLabel* label = labels[random_.bounded(int(labels.size()))];
            if (label->isVisible())
                QTest::mouseClick(label, Qt::LeftButton);
            break;
        }
        }
        check(kind, typed, pressed, before, textsBefore);
        if (QTest::currentTestFailed()) {
            qWarning("failed at event %d", event_);
            return;
        }
    }
    qInfo("%d events, all invariants held", kEvents);
}

void GuiMonkeyTest::check(Kind kind, QLineEdit* typed, QPushButton* pressed, const Stored& before,
                          const QStringList& textsBefore) {
    static const QRegularExpression twoDecimals(QStringLiteral("^-?\\d*\\.\\d\\d$"));
    static const QRegularExpression percent(QStringLiteral("^-?\\d+\\.\\d\\d%$"));
    static const QRegularExpression threeDecimals(QStringLiteral("^-?\\d*\\.\\d\\d\\d$"));
    const Form1& w = *window_;
    const Stored after = Stored::of(w);

    // A mirror holds "Can't convert", a ".00" figure, or what it held (an overflow ends quietly).
    const bool keyed = kind == Kind::Key || kind == Kind::Paste;
    if (keyed && (typed == w.txt6 || typed == w.txt7)) {
        const QLineEdit* mirror = typed == w.txt6 ? w.txt7 : w.txt6;
        const QString text = mirror->text();
        const QString old = textsBefore[typed == w.txt6 ? 6 : 5];
        QVERIFY2(text == kCantConvert || twoDecimals.match(text).hasMatch() || text == old,
                 qPrintable(
                     QStringLiteral("event %1: mirror reads '%2'").arg(event_).arg(text.left(80))));
        QVERIFY(text.count(u'-') <= 1 && text != "-.00");
    } else {
        QVERIFY2(
            after.yieldSame(before),
            qPrintable(QStringLiteral("event %1: the yield changed without a key in a yield box")
                           .arg(event_)));
    }

    // Results: the pattern's shape, or untouched. The stored values change only with Calculate.
    if (pressed == w.cmd1) {
        const bool written = w.txt4->text() != textsBefore[3];
        if (written || !after.alcoholSame(before)) {
            QVERIFY2(percent.match(w.txt4->text()).hasMatch(), qPrintable(w.txt4->text().left(80)));
            QVERIFY(!after.alcWeightEmpty);
            if (w.txt3->text() != textsBefore[2] || !after.alcVolumeEmpty) {
                QVERIFY2(percent.match(w.txt3->text()).hasMatch() ||
                             w.txt3->text() == textsBefore[2],
                         qPrintable(w.txt3->text().left(80)));
            }
            if (!after.alcVolumeEmpty && after.alcVolume != before.alcVolume)
                QCOMPARE(after.alcVolume, after.alcWeight * 1.25);
        }
    } else {
        QVERIFY2(after.alcoholSame(before),
                 qPrintable(QStringLiteral("event %1: the alcohol values changed without Calculate")
                                .arg(event_)));
    }
    if (pressed == w.Cmd4) {
        const QString text = w.txt8->text();
        QVERIFY2(
            threeDecimals.match(text).hasMatch() || text == textsBefore[7],
            qPrintable(
                QStringLiteral("event %1: bottling gravity '%2'").arg(event_).arg(text.left(80))));
    }
    QVERIFY(!w.TrayBusy);
}

HOPSMELD_TEST_MAIN(GuiMonkeyTest, QApplication, QApplication::setQuitOnLastWindowClosed(false))

#include "test_gui_monkey.moc"
