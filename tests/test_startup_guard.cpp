// The one line the program prints when no platform plugin can start: what is missing, from the
// messages Qt 6.4 gives on the way (copied from real runs, "|" between them) and the displays the
// environment names.
#include "startup_guard.h"

#include <QtTest>

class StartupGuardTest : public QObject {
    Q_OBJECT

  private slots:
    void namesWhatIsMissing_data() {
        QTest::addColumn<QString>("messages");
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<QString>("line");
        const QString noWayland = "Failed to create wl_display (No such file or directory)|Could "
                                  "not load the Qt platform plugin \"wayland\" in \"\" even though "
                                  "it was found.|";
        const QString xcbFound =
            "|Could not load the Qt platform plugin \"xcb\" in \"\" even though it was found.";
        QTest::newRow("no display at all")
            << noWayland + "could not connect to display " + xcbFound << QByteArray()
            << QByteArray()
            << "there is no display to open it on (neither DISPLAY nor WAYLAND_DISPLAY is set); "
               "start it in a desktop session";
        QTest::newRow("X display gone")
            << noWayland + "could not connect to display :99" + xcbFound << QByteArray(":99")
            << QByteArray()
            << "the X display :99 cannot be reached (could not connect to display :99)";
        QTest::newRow("Wayland display gone")
            << noWayland.chopped(1) << QByteArray() << QByteArray("wayland-9")
            << "the Wayland display wayland-9 cannot be reached (Failed to create wl_display (No "
               "such file or directory))";
        QTest::newRow("Wayland plugin not installed")
            << "Could not find the Qt platform plugin \"wayland\" in \"\"" << QByteArray(":0")
            << QByteArray("wayland-0")
            << "Qt's platform plugin \"wayland\" is not installed (package qt6-wayland)";
        QTest::newRow("X11 plugin not installed")
            << noWayland + "Could not find the Qt platform plugin \"xcb\" in \"\""
            << QByteArray(":0") << QByteArray()
            << "Qt's platform plugin \"xcb\" is not installed (package qt6-qpa-plugins)";
        QTest::newRow("X11 plugin without its libraries")
            << "libxcb-cursor0 is needed to load the Qt xcb platform plugin." + xcbFound
            << QByteArray(":0") << QByteArray()
            << "Qt's platform plugin \"xcb\" cannot start (libxcb-cursor0 is needed to load the Qt "
               "xcb platform plugin.)";
        QTest::newRow("not understood")
            << "something new\nand more" << QByteArray(":0") << QByteArray() << "something new";
    }
    void namesWhatIsMissing() {
        QFETCH(QString, messages);
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, wayland);
        QFETCH(QString, line);
        QCOMPARE(hopsmeld::startupFailureLine(messages.split('|'), display, wayland),
                 "cannot open a window: " + line);
    }
};

QTEST_APPLESS_MAIN(StartupGuardTest)

#include "test_startup_guard.moc"
