#include "form1.h"
#include "process_end.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    int status = 0;
    {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Merow Hopsmeld Helper"));
        QApplication::setApplicationVersion(QStringLiteral("2.1.2"));
        hopsmeld::Form1 window;
        window.show();
        status = QApplication::exec();
    }
    hopsmeld::endProcess(status);
}
