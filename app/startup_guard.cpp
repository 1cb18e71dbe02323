#include "startup_guard.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

namespace hopsmeld {

namespace {

QtMessageHandler previousHandler = nullptr;
QList<QPair<QtMsgType, QString>>* held = nullptr;
QMessageLogContext noContext;

void holdMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        held->append({type, message});
        return;
    }
    // The first thing Qt said is the cause ("could not connect to display :0"); the fatal
    // message itself is generic advice.
    QString cause = held->isEmpty() ? message : held->first().second;
    cause = cause.section(QLatin1Char('\n'), 0, 0).trimmed();
    std::fprintf(stderr,
                 "merow-hopsmeld-helper: cannot open a window (%s); run it in a desktop session\n",
                 cause.toLocal8Bit().constData());
    std::fflush(stderr);
    (void)context;
    std::_Exit(1);
}

} // namespace

StartupGuard::StartupGuard() {
    held = new QList<QPair<QtMsgType, QString>>;
    previousHandler = qInstallMessageHandler(holdMessages);
}

StartupGuard::~StartupGuard() {
    qInstallMessageHandler(previousHandler);
    // Start-up went well: what Qt had to say still goes out.
    for (const auto& [type, message] : *held) {
        if (previousHandler)
            previousHandler(type, noContext, message);
        else
            std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
    delete held;
    held = nullptr;
}

} // namespace hopsmeld
