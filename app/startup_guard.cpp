#include "startup_guard.h"

#include <QFileInfo>
#include <QLibraryInfo>
#include <QList>
#include <QStringList>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

namespace hopsmeld {

namespace {

QtMessageHandler previousHandler = nullptr;
QList<QPair<QtMsgType, QString>>* held = nullptr;
QMessageLogContext noContext;

// Whether a platform plugin's library is where Qt looks for it.
bool installed(const QString& plugin) {
    const QStringList libraries = plugin == QLatin1String("wayland")
                                      ? QStringList{"libqwayland-egl.so", "libqwayland-generic.so"}
                                      : QStringList{"libq" + plugin + ".so"};
    QStringList folders = qEnvironmentVariable("QT_PLUGIN_PATH").split(QLatin1Char(':'));
    folders.append(QLibraryInfo::path(QLibraryInfo::PluginsPath));
    for (const QString& folder : folders)
        for (const QString& library : libraries)
            if (!folder.isEmpty() && QFileInfo::exists(folder + "/platforms/" + library))
                return true;
    return false;
}

// Why a platform plugin could not start, from the environment and the installed plugins: Qt's
// own wording changes from one version to the next.
QString whyNot(const QString& plugin, const QString& display, const QString& wayland) {
    const bool x11 = plugin == QLatin1String("xcb");
    const bool isWayland = plugin.startsWith(QLatin1String("wayland"));
    if (!installed(plugin)) {
        const char* package = x11         ? " (package qt6-qpa-plugins)"
                              : isWayland ? " (package qt6-wayland)"
                                          : "";
        return QStringLiteral("Qt's platform plugin \"%1\" is not installed%2")
            .arg(plugin, package);
    }
    if (isWayland)
        return wayland.isEmpty()
                   ? QStringLiteral("no Wayland display (WAYLAND_DISPLAY is not set)")
                   : QStringLiteral("the Wayland display %1 cannot be reached").arg(wayland);
    if (x11)
        return display.isEmpty()
                   ? QStringLiteral("no X display (DISPLAY is not set)")
                   : QStringLiteral("the X display %1 cannot be reached").arg(display);
    return QStringLiteral("Qt's platform plugin \"%1\" cannot start").arg(plugin);
}

QString whatIsMissing() {
    const QString display = qEnvironmentVariable("DISPLAY");
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    QStringList plugins = qEnvironmentVariable("QT_QPA_PLATFORM").split(';', Qt::SkipEmptyParts);
    if (plugins.isEmpty()) {
        if (display.isEmpty() && wayland.isEmpty())
            return QStringLiteral("there is no display to open it on (neither DISPLAY nor "
                                  "WAYLAND_DISPLAY is set); start it in a desktop session");
        if (!wayland.isEmpty())
            plugins.append(QStringLiteral("wayland"));
        if (!display.isEmpty())
            plugins.append(QStringLiteral("xcb"));
    }
    QStringList missing;
    for (const QString& plugin : plugins) // "name:options"
        missing.append(whyNot(plugin.section(QLatin1Char(':'), 0, 0), display, wayland));
    return missing.join(QStringLiteral("; "));
}

void holdMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtFatalMsg) {
        held->append({type, message});
        return;
    }
    std::fprintf(stderr, "merow-hopsmeld-helper: cannot open a window: %s\n",
                 whatIsMissing().toLocal8Bit().constData());
    std::fflush(stderr);
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
