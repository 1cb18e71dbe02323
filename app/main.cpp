#include "form1.h"
#include "process_end.h"
#include "termination.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    int status = 0;
    {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Merow Hopsmeld Helper"));
        QApplication::setApplicationVersion(QStringLiteral("2.1.2"));
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
