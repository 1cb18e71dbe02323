#include "startup_guard.h"

#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QList>
#include <QStringList>
#include <QtGlobal>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace hopsmeld {

namespace {

QtMessageHandler previousHandler = nullptr;
QList<QPair<QtMsgType, QString>>* held = nullptr;
QMessageLogContext noContext;

// Where a platform plugin's library is, as Qt looks for it; empty when it is not installed.
QString pluginFile(const QString& plugin) {
    const QStringList libraries = plugin == QLatin1String("wayland")
                                      ? QStringList{"libqwayland-egl.so", "libqwayland-generic.so"}
                                      : QStringList{"libq" + plugin + ".so"};
    QStringList folders = qEnvironmentVariable("QT_PLUGIN_PATH").split(QLatin1Char(':'));
    folders.append(QLibraryInfo::path(QLibraryInfo::PluginsPath));
    for (const QString& folder : folders)
        for (const QString& library : libraries)
            if (!folder.isEmpty() && QFileInfo::exists(folder + "/platforms/" + library))
                return folder + "/platforms/" + library;
    return {};
}

// The dynamic loader's own words on why a plugin cannot be loaded (a library it needs missing
// or broken); empty when it loads. Only asked once Qt has given up, so no start pays for it.
QString loaderSays(const QString& file) {
    void* handle = dlopen(QFile::encodeName(file).constData(), RTLD_NOW | RTLD_LOCAL);
    if (handle)
        return {};
    return QString::fromLocal8Bit(dlerror());
}

bool x11Answers(const QString& display) {
    xcb_connection_t* c = xcb_connect(display.toLocal8Bit().constData(), nullptr);
    const bool answers = xcb_connection_has_error(c) == 0;
    xcb_disconnect(c);
    return answers;
}

bool waylandAnswers(const QString& display) {
    QString path = display;
    if (!path.startsWith(QLatin1Char('/')))
        path = qEnvironmentVariable("XDG_RUNTIME_DIR") + QLatin1Char('/') + display;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (static_cast<size_t>(name.size()) >= sizeof address.sun_path)
        return false;
    std::copy(name.begin(), name.end(), address.sun_path);
    const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool answers =
        s >= 0 && ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (s >= 0)
        ::close(s);
    return answers;
}

// Why a platform plugin could not start, from what this program sees itself: the environment,
// the installed plugin, the loader, the display. Qt's own wording changes from one version to
// the next, and it names the loader's reason only with QT_DEBUG_PLUGINS set.
QString whyNot(const QString& plugin, const QString& display, const QString& wayland) {
    const bool x11 = plugin == QLatin1String("xcb");
    const bool isWayland = plugin.startsWith(QLatin1String("wayland"));
    const QString file = pluginFile(isWayland ? QStringLiteral("wayland") : plugin);
    if (file.isEmpty()) {
        const char* package = x11         ? " (package qt6-qpa-plugins)"
                              : isWayland ? " (package qt6-wayland)"
                                          : "";
        return QStringLiteral("Qt's platform plugin \"%1\" is not installed%2")
            .arg(plugin, package);
    }
    if (const QString reason = loaderSays(file); !reason.isEmpty())
        return QStringLiteral("Qt's platform plugin \"%1\" cannot be loaded: %2")
            .arg(plugin, reason);
    if (isWayland && wayland.isEmpty())
        return QStringLiteral("no Wayland display (WAYLAND_DISPLAY is not set)");
    if (isWayland && !waylandAnswers(wayland))
        return QStringLiteral("the Wayland display %1 cannot be reached").arg(wayland);
    if (x11 && display.isEmpty())
        return QStringLiteral("no X display (DISPLAY is not set)");
    if (x11 && !x11Answers(display))
        return QStringLiteral("the X display %1 cannot be reached").arg(display);
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
