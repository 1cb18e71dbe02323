#pragma once

#include <QByteArray>
#include <QVariantMap>

class QWidget;

// What a launcher hands a start so that its window may take the focus: an activation token on
// Wayland, a startup id with the time of the user's click on X11. A second start passes its own
// to the running program, which spends it here on bringing its window to the front; window
// managers that guard against focus stealing grant the focus only to a request that carries it.
namespace hopsmeld {

class LaunchActivation {
  public:
    // From org.freedesktop.Application's platform data ("activation-token", "desktop-startup-id").
    explicit LaunchActivation(const QVariantMap& platformData);

    // Before the window is shown or raised: a window about to be mapped carries the startup id.
    void beforeShowing(QWidget& window) const;
    // After: once the window is on screen, it is activated with the token or the click's time,
    // and the launcher's start-up feedback ends.
    void afterShowing(QWidget& window) const;

  private:
    QByteArray token_;     // Wayland
    QByteArray startupId_; // X11
};

} // namespace hopsmeld
