// The window's side of the notification area: the icon, its mouse messages and its menu.
#include "form1.h"

#include "play_burp.h"

#include <QApplication>
#include <QCursor>
#include <QLineEdit>
#include <QMenu>

#include <utility>

namespace hopsmeld {

void Form1::Form1Activate() {
    // Every activation adds the icon; while it is there that changes nothing.
    tray_.add(windowIcon(), windowTitle(), mnuSystemtray);
}

void Form1::trayCallback(int message) {
    TrayMessage = message;
    if (TrayBusy) // the menu is open: the message is noted, nothing more
        return;
    TrayBusy = true;
    switch (TrayMessage) {
    case LeftButtonDoubleClick:
        setWindowState(windowState() & ~Qt::WindowMinimized);
        show();
        raise();
        activateWindow(); // the focus goes back to the control that had it
        break;
    case RightButtonUp:
        raise();
        activateWindow();
        mnuSystemtray->exec(QCursor::pos()); // the chosen entry runs in here
        break;
    default:
        break;
    }
    TrayBusy = false;
    if (std::exchange(shownWhenMenuCloses_, false))
        trayCallback(LeftButtonDoubleClick);
}

void Form1::showForAnotherStart() {
    // A tray event meeting the open menu is dropped, but the user who started the program
    // again is waiting for the window: it comes once the menu has closed.
    if (TrayBusy)
        shownWhenMenuCloses_ = true;
    else
        trayCallback(LeftButtonDoubleClick);
}

void Form1::mnuOpClick() {
    PlayBurp();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    SSTab1->setCurrentIndex(0);
    raise();
    activateWindow();
    txt1->setFocus();
}

void Form1::mnuExtClick() {
    endProgram();
}

void Form1::endProgram() {
    shownWhenMenuCloses_ = false; // Exit chosen from the menu: nothing more to show
    tray_.remove();
    // exit(), not quit(): quit() would first ask the window to close, which it refuses.
    QCoreApplication::exit(0);
}

} // namespace hopsmeld
