#include "form1.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Merow Hopsmeld Helper"));
    QApplication::setApplicationVersion(QStringLiteral("2.1.2"));
    hopsmeld::Form1 window;
    window.show();
    return QApplication::exec();
}
