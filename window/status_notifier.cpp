#include "status_notifier.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>

namespace hopsmeld {

bool watcherListsOwnItem() {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusConnectionInterface* daemon = bus.interface();
    if (!bus.isConnected() || !daemon)
        return false;
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusMessage get = QDBusMessage::createMethodCall(
        watcher, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << watcher << QStringLiteral("RegisteredStatusNotifierItems");
    // Asked while the user waits for the window to hide: never long.
    const QDBusMessage reply = bus.call(get, QDBus::Block, 1000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    const QStringList items =
        reply.arguments().constFirst().value<QDBusVariant>().variant().toStringList();
    // Qt publishes the item from a connection of its own: known by the process, not the name.
    for (const QString& item : items) {
        const QString name = item.section(QLatin1Char('/'), 0, 0);
        if (!name.isEmpty() &&
            daemon->servicePid(name).value() == quint64(QCoreApplication::applicationPid()))
            return true;
    }
    return false;
}

} // namespace hopsmeld
