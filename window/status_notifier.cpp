#include "status_notifier.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDeadlineTimer>

namespace hopsmeld {

namespace {

// Asked while the user waits for the window to hide: all questions together, never long. A
// watcher that does not answer in time counts as none.
constexpr int kAnswerMilliseconds = 500;

// One call, answered within what is left of the deadline; an empty list if it is not.
QList<QVariant> ask(const QDBusConnection& bus, const QDBusMessage& call,
                    const QDeadlineTimer& deadline) {
    const qint64 left = deadline.remainingTime();
    if (left <= 0)
        return {};
    const QDBusMessage reply = bus.call(call, QDBus::Block, int(left));
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments() : QList<QVariant>{};
}

// The bus name of a listed item. Watchers list an item as a bus name (unique or well-known),
// alone or followed by the object path, directly (":1.13/StatusNotifierItem") or after an "@"
// (":1.29@/StatusNotifierItem", GNOME's AppIndicator extension); an item registered as a path
// alone is listed under the connection that registered it. Neither "/" nor "@" occurs in a name.
QString busNameOf(const QString& item) {
    return item.section(QLatin1Char('/'), 0, 0).section(QLatin1Char('@'), 0, 0);
}

} // namespace

bool watcherListsOwnItem() {
    const QDeadlineTimer deadline(kAnswerMilliseconds);
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusMessage get = QDBusMessage::createMethodCall(
        watcher, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << watcher << QStringLiteral("RegisteredStatusNotifierItems");
    const QList<QVariant> answer = ask(bus, get, deadline);
    if (answer.isEmpty())
        return false;
    const QStringList items = answer.constFirst().value<QDBusVariant>().variant().toStringList();
    // Qt publishes the item from a connection of its own: known by the process, not the name.
    for (const QString& item : items) {
        const QString name = busNameOf(item);
        if (name.isEmpty())
            continue;
        QDBusMessage pid = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetConnectionUnixProcessID"));
        pid << name;
        const QList<QVariant> owner = ask(bus, pid, deadline);
        if (!owner.isEmpty() &&
            owner.constFirst().toLongLong() == QCoreApplication::applicationPid())
            return true;
    }
    return false;
}

} // namespace hopsmeld
