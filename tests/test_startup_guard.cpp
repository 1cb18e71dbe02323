// The one line the program prints when no platform plugin can start: what is missing, from the
// messages Qt 6.4 gives on the way (copied from real runs) and the displays the environment names.
#include "startup_guard.h"

#include <QtTest>

using namespace hopsmeld;

class StartupGuardTest : public QObject {
    Q_OBJECT

  private slots:
    void namesWhatIsMissing_data();
    void namesWhatIsMissing();
};

void StartupGuardTest::namesWhatIsMissing_data() {
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QByteArray>("waylandDisplay");
    QTest::addColumn<QString>("line");
    const QString noWayland = "Failed to create wl_display (No such file or directory)";
    const QString waylandFound =
        "Could not load the Qt platform plugin \"wayland\" in \"\" even though it was found.";
    const QString xcbFound =
        "Could not load the Qt platform plugin \"xcb\" in \"\" even though it was found.";

    QTest::newRow("no display at all")
        << QStringList{noWayland, waylandFound, "could not connect to display ", xcbFound}
        << QByteArray() << QByteArray()
        << "cannot open a window: there is no display to open it on (neither DISPLAY nor "
           "WAYLAND_DISPLAY is set); start it in a desktop session";
    QTest::newRow("X display gone")
        << QStringList{noWayland, waylandFound, "could not connect to display :99", xcbFound}
        << QByteArray(":99") << QByteArray()
        << "cannot open a window: the X display :99 cannot be reached (could not connect to "
           "display :99)";
    QTest::newRow("Wayland display gone")
        << QStringList{noWayland, waylandFound} << QByteArray() << QByteArray("wayland-9")
        << "cannot open a window: the Wayland display wayland-9 cannot be reached (Failed to "
           "create wl_display (No such file or directory))";
    QTest::newRow("Wayland plugin not installed")
        << QStringList{"Could not find the Qt platform plugin \"wayland\" in \"\""}
        << QByteArray(":0") << QByteArray("wayland-0")
        << "cannot open a window: Qt's platform plugin \"wayland\" is not installed (package "
           "qt6-wayland)";
    QTest::newRow("X11 plugin not installed")
        << QStringList{noWayland, waylandFound,
                       "Could not find the Qt platform plugin \"xcb\" in \"\""}
        << QByteArray(":0") << QByteArray()
        << "cannot open a window: Qt's platform plugin \"xcb\" is not installed (package "
           "qt6-qpa-plugins)";
    QTest::newRow("X11 plugin without its libraries")
        << QStringList{"From 6.5.0, xcb-cursor0 or libxcb-cursor0 is needed to load the Qt xcb "
                       "platform plugin.",
                       xcbFound}
        << QByteArray(":0") << QByteArray()
        << "cannot open a window: Qt's platform plugin \"xcb\" cannot start (From 6.5.0, "
           "xcb-cursor0 or libxcb-cursor0 is needed to load the Qt xcb platform plugin.)";
    QTest::newRow("not understood") << QStringList{"something new\nand more"} << QByteArray(":0")
                                    << QByteArray() << "cannot open a window: something new";
}

void StartupGuardTest::namesWhatIsMissing() {
    QFETCH(QStringList, messages);
    QFETCH(QByteArray, display);
    QFETCH(QByteArray, waylandDisplay);
    QFETCH(QString, line);
    QCOMPARE(startupFailureLine(messages, display, waylandDisplay), line);
}

QTEST_APPLESS_MAIN(StartupGuardTest)

#include "test_startup_guard.moc"
