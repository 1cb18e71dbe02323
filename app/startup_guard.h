#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Qt aborts with a core dump and a screenful of plugin advice when there is no display to open a
// window on. This turns that into one line on stderr and exit status 1.
namespace hopsmeld {

class StartupGuard {
  public:
    StartupGuard();  // before the application object is made
    ~StartupGuard(); // once it stands: Qt's messages go out as usual again
};

// The line, from what Qt said while it tried its platform plugins one after another, and the
// displays the environment names (DISPLAY, WAYLAND_DISPLAY): what is missing, with Qt's cause.
QString startupFailureLine(const QStringList& messages, const QByteArray& display,
                           const QByteArray& waylandDisplay);

} // namespace hopsmeld
