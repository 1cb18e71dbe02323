#include "application.h"
#include "command_line.h"
#include "form1.h"
#include "language.h"
#include "launch_activation.h"
#include "play_burp.h"
#include "program_version.h"
#include "session_instance.h"
#include "startup_guard.h"
#include "termination.h"
#include "uncaught_failure.h"

#include <optional>

int main(int argc, char* argv[]) {
    QApplication::setApplicationName(QStringLiteral("Merow Hopsmeld Helper"));
    QApplication::setApplicationVersion(QStringLiteral(HOPSMELD_VERSION));
    // The desktop entry's id: the Wayland app id, and the name on the session bus.
    QApplication::setDesktopFileName(QStringLiteral(HOPSMELD_ID));
    hopsmeld::answerHelpOrVersion(argc, argv);
    const QVariantMap launch = hopsmeld::SessionInstance::platformDataOfThisStart();
    // The menu bar stays in the window, where its three commands are laid out, also on desktops
    // with a global menu; and no one need be asked about one on the session bus.
    QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    std::optional<hopsmeld::StartupGuard> guard(std::in_place);
    hopsmeld::Application app(argc, argv);
    guard.reset();
    // The program lives on in the notification area with its window hidden.
    QApplication::setQuitOnLastWindowClosed(false);

    hopsmeld::SessionInstance instance;
    if (instance.claim(launch) == hopsmeld::SessionInstance::Role::HandedOver)
        return 0; // the program already running shows its window instead

    // Words in the session's language where there is a translation; numbers as LC_NUMERIC says.
    hopsmeld::useLanguage(hopsmeld::sessionLanguage());
    hopsmeld::Form1 window;
    // The window as it was left, no sound.
    instance.onActivate([&window](const QVariantMap& platformData) {
        const hopsmeld::LaunchActivation launch(platformData);
        launch.beforeShowing(window);
        window.showForAnotherStart();
        launch.afterShowing(window);
    });
    hopsmeld::endWhenAsked([&window] { window.endProgram(); });
    hopsmeld::onUncaughtFailure([&window] { window.endProgram(); }); // takes the icon away
    hopsmeld::PrepareBurpOnFirstInput();
    window.show();
    return QApplication::exec();
}
