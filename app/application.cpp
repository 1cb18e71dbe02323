#include "application.h"

#include "uncaught_failure.h"

namespace hopsmeld {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    prepareUncaughtFailureReport();
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        endWithUncaughtFailure(std::current_exception());
    }
}

} // namespace hopsmeld
