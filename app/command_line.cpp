#include "command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

namespace hopsmeld {

void answerHelpOrVersion(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Alcohol content and bottling gravity for home brewers."));
    parser.addHelpOption();
    parser.addVersionOption();
    // Options it does not know are Qt's own or none at all: the window opens as it always did.
    parser.parse(arguments);
    if (!parser.isSet(QStringLiteral("help")) && !parser.isSet(QStringLiteral("help-all")) &&
        !parser.isSet(QStringLiteral("version")))
        return;
    // The answer names the program as it was called; it needs no display, so no window system.
    QCoreApplication application(argc, argv);
    parser.process(application); // prints and ends
}

} // namespace hopsmeld
