#include "tray_icon.h"

#include "status_notifier.h"
#include "xembed_tray.h"

#include <QGuiApplication>
#include <QMenu>

namespace hopsmeld {

int trayMessageFor(QSystemTrayIcon::ActivationReason reason, TrayHost host,
                   bool canPopUpAtPointer) {
    const bool notifier = host == TrayHost::StatusNotifier;
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return notifier ? LeftButtonDoubleClick : LeftButtonDown;
    case QSystemTrayIcon::DoubleClick:
        return LeftButtonDoubleClick;
    case QSystemTrayIcon::Context:
        // Where no menu can be placed the host's own drawing of the published menu stands.
        return notifier && !canPopUpAtPointer ? int(MouseMove) : int(RightButtonUp);
    case QSystemTrayIcon::MiddleClick:
        return MiddleButtonDown;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return MouseMove;
}

TrayIcon::TrayIcon(std::function<void(int)> onMessage, QObject* parent)
    : QObject(parent), onMessage_(std::move(onMessage)) {}

TrayIcon::~TrayIcon() = default;

void TrayIcon::add(const QIcon& icon, const QString& tip, QMenu* menu) {
    picture_ = icon;
    tip_ = tip;
    menu_ = menu;
    wanted_ = true;
    watchHosts();
    if (!icon_ && anyHost())
        make();
    if (icon_ && !icon_->isVisible())
        icon_->show();
}

void TrayIcon::watchHosts() {
    if (xembed_)
        return;
    xembed_ = new XEmbedTrayWatch(this);
    notifier_ = new StatusNotifierWatch(this);
    auto hostsChanged = [this] {
        if (wanted_ && !icon_ && anyHost()) {
            make();
            icon_->show();
        }
    };
    connect(xembed_, &XEmbedTrayWatch::changed, this, hostsChanged);
    connect(notifier_, &StatusNotifierWatch::changed, this, hostsChanged);
}

bool TrayIcon::anyHost() const {
    return xembed_->present() || notifier_->hasHost();
}

void TrayIcon::make() {
    icon_ = std::make_unique<QSystemTrayIcon>(picture_);
    icon_->setToolTip(tip_);
    // Qt's D-Bus tray publishes the menu for hosts that draw it, and gives the menu a platform
    // twin to do so; Qt's XEmbed tray makes none. Set before the first show, so the item a host
    // first sees already has its menu.
    icon_->setContextMenu(menu_);
    host_ = menu_ && menu_->platformMenu() ? TrayHost::StatusNotifier : TrayHost::XEmbed;
    // An XEmbed icon would pop the menu up by itself on a right press, besides the window.
    if (host_ == TrayHost::XEmbed)
        icon_->setContextMenu(nullptr);
    const bool popUpAtPointer = QGuiApplication::platformName() == QLatin1String("xcb");
    // Queued: the icon's own event handling is over before the window acts, which may open a
    // menu with an event loop of its own.
    connect(
        icon_.get(), &QSystemTrayIcon::activated, this,
        [this, popUpAtPointer](QSystemTrayIcon::ActivationReason reason) {
            onMessage_(trayMessageFor(reason, host_, popUpAtPointer));
        },
        Qt::QueuedConnection);
}

void TrayIcon::remove() {
    wanted_ = false;
    if (icon_)
        icon_->hide();
}

bool TrayIcon::isShown() const {
    return icon_ && icon_->isVisible();
}

bool TrayIcon::isInHost() const {
    if (!isShown())
        return false;
    if (host_ == TrayHost::StatusNotifier)
        return notifier_->listsOwnItem();
    // An XEmbed icon docks whenever a tray owns the screen's tray selection.
    return xembed_->present();
}

} // namespace hopsmeld
