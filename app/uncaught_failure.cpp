#include "uncaught_failure.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace hopsmeld {

namespace {

// Address space for the message box when an allocation has just failed, released before the box
// is built: the box took less than 2 MB on a 1280x1024 screen; this leaves room for larger
// screens and scaling. Untouched, it costs no memory, only addresses.
constexpr std::size_t kReserveBytes = 16 * 1024 * 1024;
std::atomic<void*> reserve = nullptr;

// Made up front: once something has failed, the report builds as little as it can.
const QString* title = nullptr;

std::function<void()>* cleanUp = nullptr;
std::atomic<bool> ending = false;

constexpr int kFailureStatus = 1;

// What failed, in one line, written into a fixed buffer.
void describe(std::exception_ptr failure, char (&line)[256]) {
    const char* what = "an internal error";
    try {
        if (failure)
            std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        what = "not enough memory";
    } catch (const std::exception& exception) {
        what = exception.what();
    } catch (...) {
        what = "an unknown failure";
    }
    std::snprintf(line, sizeof line, "%s", what);
    line[std::strcspn(line, "\r\n")] = '\0';
}

void onTerminate() {
    endWithUncaughtFailure(std::current_exception());
}

bool onUserInterfaceThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread() &&
           qobject_cast<const QApplication*>(app);
}

void showMessage(const char* description) {
    // In the window's language, looked up only now: the translation is loaded after this is set up.
    const QString lead =
        QCoreApplication::translate("UncaughtFailure", "An unexpected failure ends the program: ");
    QMessageBox box(QMessageBox::Critical, *title, lead + QString::fromLocal8Bit(description),
                    QMessageBox::Ok);
    box.exec();
}

} // namespace

void prepareUncaughtFailureReport() {
    if (title)
        return;
    reserve = std::malloc(kReserveBytes);
    title = new QString(QStringLiteral("Merow Hopsmeld Helper"));
    cleanUp = new std::function<void()>;
    std::set_terminate(onTerminate);
}

void onUncaughtFailure(std::function<void()> action) {
    if (cleanUp)
        *cleanUp = std::move(action);
}

void endWithUncaughtFailure(std::exception_ptr failure) {
    // A second failure while the first is reported (the message box runs events) ends at once.
    const bool first = !ending.exchange(true);
    std::free(reserve.exchange(nullptr));

    char description[256];
    describe(std::move(failure), description);
    std::fprintf(stderr, "merow-hopsmeld-helper: %s\n", description);

    if (first && title && onUserInterfaceThread()) {
        try {
            showMessage(description);
        } catch (...) {
            // Not even the message box could be made: stderr has said it.
        }
        try {
            if (cleanUp && *cleanUp)
                (*cleanUp)();
        } catch (...) {
        }
    }
    std::fflush(nullptr);
    std::_Exit(kFailureStatus);
}

} // namespace hopsmeld
