#include "status_notifier.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

#include <utility>

namespace hopsmeld {

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kBus = QStringLiteral("org.freedesktop.DBus");

// A watcher that does not answer within this is asked again; until it answers, what it said last
// stands.
constexpr int kAnswerMilliseconds = 10000;

// The bus name of a listed item. Watchers list an item as a bus name (unique or well-known),
// alone or followed by the object path, directly (":1.13/StatusNotifierItem") or after an "@"
// (":1.29@/StatusNotifierItem", GNOME's AppIndicator extension). Neither "/" nor "@" occurs in
// a name.
QString busNameOf(const QString& item) {
    return item.section(QLatin1Char('/'), 0, 0).section(QLatin1Char('@'), 0, 0);
}

} // namespace

StatusNotifierWatch::StatusNotifierWatch(QObject* parent)
    : QObject(parent), names_(new QDBusServiceWatcher(this)) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    names_->setConnection(bus);
    names_->addWatchedService(kWatcher);
    names_->setWatchMode(QDBusServiceWatcher::WatchForOwnerChange);
    connect(names_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) { ownerChanged(owner); });
    for (const char* signal : {"StatusNotifierItemRegistered", "StatusNotifierItemUnregistered"})
        bus.connect(kWatcher, kWatcherPath, kWatcher, QLatin1String(signal), QStringLiteral("s"),
                    this, SLOT(ask()));
    for (const char* signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
        bus.connect(kWatcher, kWatcherPath, kWatcher, QLatin1String(signal), QString(), this,
                    SLOT(ask()));

    // Who owns the watcher's name now; the bus itself answers, at once.
    QDBusMessage owner = QDBusMessage::createMethodCall(
        kBus, QStringLiteral("/org/freedesktop/DBus"), kBus, QStringLiteral("GetNameOwner"));
    owner << kWatcher;
    auto* call = new QDBusPendingCallWatcher(bus.asyncCall(owner), this);
    const quint64 round = round_;
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, round](auto* call) {
        call->deleteLater();
        const QDBusPendingReply<QString> reply = *call;
        if (round == round_ && !reply.isError()) // else a change has already told
            ownerChanged(reply.value());
    });
}

void StatusNotifierWatch::ownerChanged(const QString& owner) {
    owner_ = owner;
    ++round_;
    asking_ = askAgain_ = false;
    items_.clear();
    if (owner.isEmpty())
        settle(false, false);
    else
        ask();
}

void StatusNotifierWatch::ask() {
    if (owner_.isEmpty())
        return;
    if (asking_) {
        askAgain_ = true;
        return;
    }
    asking_ = true;
    askAgain_ = false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        owner_, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("GetAll"));
    get << kWatcher;
    auto* call = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(get, kAnswerMilliseconds), this);
    const quint64 round = round_;
    connect(call, &QDBusPendingCallWatcher::finished, this,
            [this, round](QDBusPendingCallWatcher* call) { answered(call, round); });
}

void StatusNotifierWatch::answered(QDBusPendingCallWatcher* call, quint64 round) {
    call->deleteLater();
    if (round != round_)
        return; // the watcher has gone or changed since
    asking_ = false;
    const QDBusPendingReply<QVariantMap> reply = *call;
    if (reply.isError()) {
        // Busy, stopped or broken: what it said last stands. One that did not answer in time is
        // asked again (it may have said nothing yet), as is one that changed meanwhile.
        const QDBusError::ErrorType error = reply.error().type();
        if (askAgain_ || error == QDBusError::NoReply || error == QDBusError::Timeout)
            ask();
        return;
    }
    if (askAgain_) {
        ask(); // this answer is already out of date
        return;
    }
    const QVariantMap properties = reply.value();
    const bool hasHost =
        properties.value(QStringLiteral("IsStatusNotifierHostRegistered")).toBool();
    const QStringList items =
        properties.value(QStringLiteral("RegisteredStatusNotifierItems")).toStringList();
    settle(hasHost, listsOwnItem_);
    findOwnItem(items);
}

void StatusNotifierWatch::findOwnItem(const QStringList& items) {
    // Qt publishes the item from a connection of its own: known by the process, not the name.
    // Each name is asked of the bus once, without waiting; the bus, not the watcher, answers.
    items_ = items;
    for (const QString& item : items) {
        const QString name = busNameOf(item);
        if (name.isEmpty() || ownNames_.contains(name) || pendingNames_.contains(name))
            continue;
        pendingNames_.insert(name);
        QDBusMessage pid =
            QDBusMessage::createMethodCall(kBus, QStringLiteral("/org/freedesktop/DBus"), kBus,
                                           QStringLiteral("GetConnectionUnixProcessID"));
        pid << name;
        auto* call =
            new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(pid), this);
        connect(call, &QDBusPendingCallWatcher::finished, this,
                [this, name](QDBusPendingCallWatcher* call) {
                    call->deleteLater();
                    pendingNames_.remove(name);
                    const QDBusPendingReply<uint> reply = *call;
                    if (!reply.isError()) // else gone: asked again should it be listed again
                        ownNames_.insert(name, qint64(reply.value()) ==
                                                   QCoreApplication::applicationPid());
                    decideOwnItem();
                });
    }
    decideOwnItem();
}

void StatusNotifierWatch::decideOwnItem() {
    bool own = false;
    for (const QString& item : std::as_const(items_)) {
        const QString name = busNameOf(item);
        if (pendingNames_.contains(name))
            return; // decided when the bus has said whose it is
        own = own || ownNames_.value(name, false);
    }
    settle(hasHost_, own);
}

void StatusNotifierWatch::settle(bool hasHost, bool listsOwnItem) {
    if (hasHost == hasHost_ && listsOwnItem == listsOwnItem_)
        return;
    hasHost_ = hasHost;
    listsOwnItem_ = listsOwnItem;
    emit changed();
}

} // namespace hopsmeld
