// A failure no handler catches ends the program after saying so: the message box, the clean-up
// that takes the tray icon away, and status 1, without an abort. Each case fails for real in a
// child process of this test, which reads the box from inside its own event loop.
#include "application.h"
#include "form1.h"
#include "uncaught_failure.h"

#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include <cstdio>
#include <new>
#include <stdexcept>

#include <sys/resource.h>

using namespace hopsmeld;

namespace {

const char* const kCaseVariable = "HOPSMELD_TEST_FAILURE";

void say(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

// Leaves the address space a megabyte to grow, then takes all of it and keeps it, large pieces
// first, then ever smaller ones into the gaps; each piece holds the one before.
void exhaustMemory() {
    QFile statm(QStringLiteral("/proc/self/statm")); // the size first, in pages
    const long pages =
        statm.open(QIODevice::ReadOnly) ? statm.readLine().split(' ')[0].toLong() : 0;
    const rlimit limit{rlim_t(pages) * 4096 + (1 << 20), RLIM_INFINITY};
    setrlimit(RLIMIT_AS, &limit);
    struct Piece {
        Piece* previous;
    };
    static Piece* hoard = nullptr;
    for (std::size_t size : {1 << 16, 1 << 12, 1 << 8, 1 << 4})
        try {
            for (;;)
                hoard = new (::operator new(size)) Piece{hoard};
        } catch (const std::bad_alloc&) {
        }
    throw std::bad_alloc();
}

// The child: a real window with its icon, then the failure from an event handler.
int failInChild(int argc, char* argv[]) {
    Application app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    Form1 window;
    window.show();
    onUncaughtFailure([&window] {
        window.endProgram();
        say(QStringLiteral("icon after: %1").arg(window.trayIcon().isShown()));
    });
    QTimer reader;
    QObject::connect(&reader, &QTimer::timeout, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        say(QStringLiteral("%1: %2 (icon %3)")
                .arg(box->windowTitle(), box->text())
                .arg(box->icon()));
        box->button(QMessageBox::Ok)->click();
    });
    reader.start(10);
    const QByteArray kind = qgetenv(kCaseVariable);
    QTimer::singleShot(0, &window, [&window, kind] {
        if (!QTest::qWaitForWindowActive(&window))
            say(QStringLiteral("the window never became active"));
        say(QStringLiteral("icon before: %1").arg(window.trayIcon().isShown()));
        if (kind == "exception")
            throw std::runtime_error("the hydrometer broke");
        if (kind == "not an exception")
            throw 42;
        if (kind == "terminate")
            std::terminate();
        if (kind == "memory")
            exhaustMemory();
    });
    return QApplication::exec();
}

} // namespace

class UncaughtFailureTest : public QObject {
    Q_OBJECT

  private slots:
    void reportedThenEnded_data();
    void reportedThenEnded();
};

void UncaughtFailureTest::reportedThenEnded_data() {
    QTest::addColumn<QString>("description");
    QTest::newRow("exception") << "the hydrometer broke";
    QTest::newRow("not an exception") << "an unknown failure";
    QTest::newRow("terminate") << "an internal error";
    QTest::newRow("memory") << "not enough memory";
}

void UncaughtFailureTest::reportedThenEnded() {
    QFETCH(QString, description);
    if (qEnvironmentVariableIsSet("ASAN_OPTIONS") && description == "not enough memory")
        QSKIP("the address sanitizer's allocator ends the process when the address space runs out");
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kCaseVariable, QTest::currentDataTag());
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath());
    QVERIFY(child.waitForFinished(30000));

    QCOMPARE(child.exitStatus(), QProcess::NormalExit); // no abort, no core
    QCOMPARE(child.exitCode(), 1);
    const QStringList seen = QString::fromUtf8(child.readAllStandardOutput()).split('\n');
    QCOMPARE(seen, (QStringList{"icon before: 1",
                                "Merow Hopsmeld Helper: An unexpected failure ends the program: " +
                                    description + " (icon 3)", // critical
                                "icon after: 0", ""}));
    QVERIFY(child.readAllStandardError().contains(
        ("merow-hopsmeld-helper: " + description + "\n").toUtf8()));
}

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsSet(kCaseVariable))
        return failInChild(argc, argv);
    QCoreApplication app(argc, argv);
    UncaughtFailureTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_uncaught_failure.moc"
