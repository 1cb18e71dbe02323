#include "startup_guard.h"

#include <QList>
#include <QRegularExpression>
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
    // The fatal message itself is generic advice; what Qt said before it tells what went wrong.
    QStringList messages;
    for (const auto& [heldType, text] : *held)
        messages.append(text);
    const QString line =
        startupFailureLine(messages, qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY"));
    std::fprintf(stderr, "merow-hopsmeld-helper: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
    (void)context;
    std::_Exit(1);
}

// One platform plugin Qt tried, and why it did not start.
struct Attempt {
    QString plugin;
    bool installed;
    QString cause;
};

QList<Attempt> attempts(const QStringList& messages) {
    static const QRegularExpression notFound(
        QStringLiteral(R"re(^Could not find the Qt platform plugin "([^"]*)")re"));
    static const QRegularExpression notLoaded(QStringLiteral(
        R"re(^Could not load the Qt platform plugin "([^"]*)".*even though it was found)re"));
    QList<Attempt> tried;
    QString cause; // what the plugin itself said before Qt gave up on it
    for (const QString& message : messages) {
        const QString first = message.section(QLatin1Char('\n'), 0, 0).trimmed();
        if (const auto match = notFound.match(first); match.hasMatch()) {
            tried.append({match.captured(1), false, QString()});
            cause.clear();
        } else if (const auto match = notLoaded.match(first); match.hasMatch()) {
            tried.append({match.captured(1), true, cause});
            cause.clear();
        } else if (cause.isEmpty()) {
            cause = first;
        }
    }
    return tried;
}

QString package(const QString& plugin) {
    if (plugin == QLatin1String("xcb"))
        return QStringLiteral("qt6-qpa-plugins");
    if (plugin.startsWith(QLatin1String("wayland")))
        return QStringLiteral("qt6-wayland");
    return QString();
}

QString withCause(const QString& what, const QString& cause) {
    return cause.isEmpty() ? what : what + QStringLiteral(" (") + cause + QLatin1Char(')');
}

} // namespace

QString startupFailureLine(const QStringList& messages, const QByteArray& display,
                           const QByteArray& waylandDisplay) {
    QStringList missing;
    QStringList
        unset; // a plugin with no display to connect to: told only if nothing else went wrong
    for (const Attempt& attempt : attempts(messages)) {
        const bool wayland = attempt.plugin.startsWith(QLatin1String("wayland"));
        const bool x11 = attempt.plugin == QLatin1String("xcb");
        if (!attempt.installed) {
            const QString from = package(attempt.plugin);
            missing.append(
                QStringLiteral("Qt's platform plugin \"%1\" is not installed").arg(attempt.plugin) +
                (from.isEmpty() ? QString() : QStringLiteral(" (package %1)").arg(from)));
        } else if (wayland && waylandDisplay.isEmpty()) {
            unset.append(QStringLiteral("no Wayland display (WAYLAND_DISPLAY is not set)"));
        } else if (x11 && display.isEmpty()) {
            unset.append(QStringLiteral("no X display (DISPLAY is not set)"));
        } else if (wayland) {
            missing.append(withCause(QStringLiteral("the Wayland display %1 cannot be reached")
                                         .arg(QString::fromLocal8Bit(waylandDisplay)),
                                     attempt.cause));
        } else if (x11 && attempt.cause.startsWith(QLatin1String("could not connect to display"))) {
            missing.append(withCause(QStringLiteral("the X display %1 cannot be reached")
                                         .arg(QString::fromLocal8Bit(display)),
                                     attempt.cause));
        } else {
            missing.append(withCause(
                QStringLiteral("Qt's platform plugin \"%1\" cannot start").arg(attempt.plugin),
                attempt.cause));
        }
    }
    if (missing.isEmpty() && display.isEmpty() && waylandDisplay.isEmpty())
        missing.append(QStringLiteral("there is no display to open it on (neither DISPLAY nor "
                                      "WAYLAND_DISPLAY is set); start it in a desktop session"));
    if (missing.isEmpty())
        missing = unset;
    if (missing.isEmpty()) // nothing Qt said was understood: pass on the first thing it said
        missing.append(messages.isEmpty()
                           ? QStringLiteral("no platform plugin could start")
                           : messages.first().section(QLatin1Char('\n'), 0, 0).trimmed());
    missing.removeDuplicates();
    return QStringLiteral("cannot open a window: ") + missing.join(QStringLiteral("; "));
}

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
