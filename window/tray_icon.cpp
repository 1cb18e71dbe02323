#include "tray_icon.h"

namespace hopsmeld {

int trayMessageFor(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return LeftButtonDown;
    case QSystemTrayIcon::DoubleClick:
        return LeftButtonDoubleClick;
    case QSystemTrayIcon::Context:
        return RightButtonUp;
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

void TrayIcon::add(const QIcon& icon, const QString& tip) {
    if (!icon_) {
        icon_ = std::make_unique<QSystemTrayIcon>(icon);
        icon_->setToolTip(tip);
        // Queued: the icon's own event handling is over before the window acts, which may
        // open a menu with an event loop of its own.
        connect(
            icon_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                onMessage_(trayMessageFor(reason));
            },
            Qt::QueuedConnection);
    }
    if (!icon_->isVisible())
        icon_->show();
}

void TrayIcon::remove() {
    if (icon_)
        icon_->hide();
}

bool TrayIcon::isShown() const {
    return icon_ && icon_->isVisible();
}

} // namespace hopsmeld
