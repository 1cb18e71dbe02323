#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

// What the session's StatusNotifierWatcher has last said: whether a host has registered with it,
// and whether it lists this process's item (only then does a host show the icon). Followed from
// the bus's name changes and the watcher's own signals, and asked without waiting: a watcher
// that is slow or stopped leaves the last thing it said standing until it says otherwise.
namespace hopsmeld {

class StatusNotifierWatch : public QObject {
    Q_OBJECT
  public:
    explicit StatusNotifierWatch(QObject* parent = nullptr);

    bool hasHost() const { return hasHost_; }
    bool listsOwnItem() const { return hasHost_ && listsOwnItem_; }

  signals:
    void changed();

  private slots:
    void ask(); // the watcher's registrations changed: what are they now?

  private:
    void ownerChanged(const QString& owner);
    void answered(QDBusPendingCallWatcher* call, quint64 round);
    void findOwnItem(const QStringList& items);
    void decideOwnItem();
    void settle(bool hasHost, bool listsOwnItem);

    QDBusServiceWatcher* names_;
    QString owner_;       // the watcher's connection; empty while there is none
    quint64 round_ = 0;   // answers to an earlier round, or from a watcher gone since, are old
    bool asking_ = false; // one question at a time; changes meanwhile ask again
    bool askAgain_ = false;
    QStringList items_;             // as the watcher last listed them
    QHash<QString, bool> ownNames_; // listed bus names, and whether each is this process's
    QSet<QString> pendingNames_;    // asked of the bus, not answered yet
    bool hasHost_ = false;
    bool listsOwnItem_ = false;
};

} // namespace hopsmeld
