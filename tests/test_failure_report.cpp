// What the program says when a failure no handler catches ends it: the message box, the tray icon
// taken away and status 1 without an abort. Those failures happen for real in a child process of
// this test.
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

// Written out by the program's own flush as it ends.
const auto say = [](const QString& line) { std::puts(qPrintable(line)); };

// Leaves the address space a megabyte to grow, then takes all of it and keeps it, large pieces
// first, then ever smaller ones into the gaps; each piece holds the one before.
void exhaustMemory() {
    QFile statm(QStringLiteral("/proc/self/statm")); // the size first, in pages
    statm.open(QIODevice::ReadOnly);
    const rlimit limit{rlim_t(statm.readLine().split(' ')[0].toLong()) * 4096 + (1 << 20),
                       RLIM_INFINITY};
    setrlimit(RLIMIT_AS, &limit);
    static void* hoard = nullptr;
    for (std::size_t size : {1 << 16, 1 << 12, 1 << 8, 1 << 4})
        try {
            for (;;)
                hoard = new (::operator new(size)) void*(hoard);
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
    QTimer reader; // reads the box from inside its own event loop, then closes it
    QObject::connect(&reader, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            say(QStringLiteral("%1: %2 (icon %3)")
                    .arg(box->windowTitle(), box->text())
                    .arg(box->icon()));
            box->button(QMessageBox::Ok)->click();
        }
    });
    reader.start(10);
    QTimer::singleShot(0, &window, [&window, kind = qgetenv(kCaseVariable)] {
        const bool active = QTest::qWaitForWindowActive(&window);
        say(QStringLiteral("active %1, icon %2").arg(active).arg(window.trayIcon().isShown()));
        if (kind == "exception")
            throw std::runtime_error("the hydrometer broke");
        if (kind == "terminate")
            std::terminate();
        exhaustMemory();
    });
    return QApplication::exec();
}

} // namespace

class FailureReportTest : public QObject {
    Q_OBJECT

  private slots:
    void uncaughtFailureReportedThenEnds_data() {
        QTest::addColumn<QString>("description");
        QTest::newRow("exception") << "the hydrometer broke";
        QTest::newRow("terminate") << "an internal error";
        QTest::newRow("memory") << "not enough memory";
    }
    void uncaughtFailureReportedThenEnds() {
        QFETCH(QString, description);
        if (qEnvironmentVariableIsSet("ASAN_OPTIONS") && description == "not enough memory")
            QSKIP("the address sanitizer's allocator ends the process without the address space");
        qputenv(kCaseVariable, QTest::currentDataTag());
        QProcess child;
        child.start(QCoreApplication::applicationFilePath());
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit); // no abort, no core
        QCOMPARE(child.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()).split('\n'),
                 (QStringList{"active 1, icon 1",
                              "Merow Hopsmeld Helper: An unexpected failure ends the program: " +
                                  description + " (icon 3)", // critical
                              "icon after: 0", ""}));
    }
};

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsSet(kCaseVariable))
        return failInChild(argc, argv);
    QCoreApplication app(argc, argv);
    FailureReportTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_failure_report.moc"
