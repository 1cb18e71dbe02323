#include "form1.h"
#include "startup_guard.h"
#include "termination.h"

#include <QApplication>

#include <optional>

int main(int argc, char* argv[]) {
    std::optional<hopsmeld::StartupGuard> guard(std::in_place);
    QApplication app(argc, argv);
    guard.reset();
    QApplication::setApplicationName(QStringLiteral("Merow Hopsmeld Helper"));
    QApplication::setApplicationVersion(QStringLiteral("2.1.2"));
    // The program lives on in the notification area with its window hidden.
    QApplication::setQuitOnLastWindowClosed(false);

    hopsmeld::Form1 window;
    hopsmeld::endOnTerminationSignals([&window] { window.endProgram(); });
    hopsmeld::endWhenTheSessionEnds([&window] { window.endProgram(); });
    window.show();
    return QApplication::exec();
}
