#include "form1.h"
#include "process_end.h"
#include "program_version.h"
#include "startup_guard.h"
#include "termination.h"

#include <QApplication>

#include <optional>

int main(int argc, char* argv[]) {
    int status = 0;
    {
        std::optional<hopsmeld::StartupGuard> guard(std::in_place);
        QApplication app(argc, argv);
        guard.reset();
        QApplication::setApplicationName(QStringLiteral("Merow Hopsmeld Helper"));
        QApplication::setApplicationVersion(QStringLiteral(HOPSMELD_VERSION));
        // The program lives on in the notification area with its window hidden.
        QApplication::setQuitOnLastWindowClosed(false);

        hopsmeld::Form1 window;
        hopsmeld::endOnTerminationSignals([&window] { window.endProgram(); });
        hopsmeld::endWhenTheSessionEnds([&window] { window.endProgram(); });
        window.show();
        status = QApplication::exec();
    }
    hopsmeld::endProcess(status);
}
