#include "session_instance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QGuiApplication>

#include <cstdio>

namespace hopsmeld {

namespace {

const QString kInterface = QStringLiteral("org.freedesktop.Application");

// Long enough for a running program that is busy starting up or showing a message box (both
// answer from their event loop), short enough not to leave a start hanging on one that hangs.
constexpr int kAnswerMilliseconds = 10000;

} // namespace

QVariantMap SessionInstance::platformDataOfThisStart() {
    QVariantMap data;
    const QByteArray startupId = qgetenv("DESKTOP_STARTUP_ID");
    if (!startupId.isEmpty())
        data.insert(QStringLiteral("desktop-startup-id"), QString::fromUtf8(startupId));
    const QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
    if (!token.isEmpty())
        data.insert(QStringLiteral("activation-token"), QString::fromUtf8(token));
    return data;
}

SessionInstance::Role SessionInstance::claim(const QVariantMap& platformData) {
    const QString kName = QGuiApplication::desktopFileName();
    const QString kPath =
        QLatin1Char('/') + QString(kName).replace(QLatin1Char('.'), QLatin1Char('/'));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return Role::Alone;
    // The object is there before the name, so a start that finds the name can always call it.
    bus.registerObject(kPath, kInterface, this, QDBusConnection::ExportScriptableSlots);

    // The bus gives the name to exactly one of any number of starts; the others hand over. A
    // program that ends between the two steps has let go of the name: try again.
    QDBusError error;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const auto owned =
            bus.interface()->registerService(kName, QDBusConnectionInterface::DontQueueService,
                                             QDBusConnectionInterface::DontAllowReplacement);
        if (!owned.isValid()) {
            error = owned.error();
            break;
        }
        if (owned.value() == QDBusConnectionInterface::ServiceRegistered)
            return Role::First;
        QDBusMessage call =
            QDBusMessage::createMethodCall(kName, kPath, kInterface, QStringLiteral("Activate"));
        call << platformData;
        const QDBusMessage reply = bus.call(call, QDBus::Block, kAnswerMilliseconds);
        if (reply.type() == QDBusMessage::ReplyMessage)
            return Role::HandedOver;
        error = QDBusError(reply);
        if (bus.interface()->isServiceRegistered(kName).value())
            break; // there, but not answering
    }
    bus.unregisterObject(kPath);
    std::fprintf(stderr,
                 "merow-hopsmeld-helper: no answer from the copy already running (%s); running "
                 "on its own\n",
                 error.message().toLocal8Bit().constData());
    return Role::Alone;
}

void SessionInstance::Activate(const QVariantMap& platformData) {
    if (activate_)
        activate_(platformData);
}

// The program opens no files; a desktop that asks it to is asking for its window.
void SessionInstance::Open(const QStringList&, const QVariantMap& platformData) {
    Activate(platformData);
}

void SessionInstance::ActivateAction(const QString& name, const QVariantList&, const QVariantMap&) {
    sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("No action \"%1\"").arg(name));
}

} // namespace hopsmeld
