#pragma once

#include <QDBusContext>
#include <QObject>
#include <QVariantMap>

#include <functional>

// One program per desktop session. The first start takes the desktop entry's id as its name on
// the session bus and answers org.freedesktop.Application there; a later start asks it to
// activate, passing on what its launcher gave it, which brings the window back, and ends.
// Without a session bus every start runs on its own.
namespace hopsmeld {

class SessionInstance : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

  public:
    enum class Role {
        Alone,     // no session bus, or the running program does not answer
        First,     // this start owns the name and runs
        HandedOver // the running program was activated; this start ends
    };

    // What the launcher gave this start, to pass on. Read before the application object is made:
    // Qt's X11 plugin takes DESKTOP_STARTUP_ID out of the environment.
    static QVariantMap platformDataOfThisStart();

    // Before the window is made: a start that hands over never shows one.
    Role claim(const QVariantMap& platformData);
    // Called with the platform data of the start that asked.
    void onActivate(std::function<void(const QVariantMap&)> activate) {
        activate_ = std::move(activate);
    }

  public slots:
    Q_SCRIPTABLE void Activate(const QVariantMap& platformData);
    Q_SCRIPTABLE void Open(const QStringList& uris, const QVariantMap& platformData);
    Q_SCRIPTABLE void ActivateAction(const QString& name, const QVariantList& parameter,
                                     const QVariantMap& platformData);

  private:
    std::function<void(const QVariantMap&)> activate_;
};

} // namespace hopsmeld
