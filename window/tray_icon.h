#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>

class QMenu;

namespace hopsmeld {
class StatusNotifierWatch;
class XEmbedTrayWatch;
} // namespace hopsmeld

// The program's one icon in the notification area. Events on it come out as the numbers of the
// desktop's mouse messages, which the window acts on.
namespace hopsmeld {

enum TrayMouseMessage : int {
    MouseMove = 512,
    LeftButtonDown = 513,
    LeftButtonDoubleClick = 515,
    RightButtonUp = 517,
    MiddleButtonDown = 519,
};

// An XEmbed tray passes the mouse on: Qt reports a left press as Trigger, the right button as
// Context (on press), a double click as Trigger then DoubleClick, the middle button as
// MiddleClick. A StatusNotifierItem host sends no clicks: its Activate (Trigger) is the user's
// request to open the program, ContextMenu is Context, SecondaryActivate is MiddleClick; it
// draws the icon's menu itself from the one the icon publishes.
enum class TrayHost { XEmbed, StatusNotifier };

// canPopUpAtPointer: whether the platform can put a menu at the pointer with the window hidden
// (X11 can; Wayland places a pop-up only against a visible window of its own).
int trayMessageFor(QSystemTrayIcon::ActivationReason reason, TrayHost host, bool canPopUpAtPointer);

class TrayIcon : public QObject {
  public:
    explicit TrayIcon(std::function<void(int)> onMessage, QObject* parent = nullptr);
    ~TrayIcon() override;

    // Shows the icon; adding it again while it is there changes nothing. The menu is published
    // to hosts that draw menus themselves. With no host on the desktop yet, the icon is made
    // when the first one appears: Qt chooses between XEmbed and StatusNotifierItem once, when
    // the icon is made, and keeps that choice.
    void add(const QIcon& icon, const QString& tip, QMenu* menu);
    void remove();
    bool isShown() const;
    // Whether a host shows the icon now, so that a hidden window can be brought back; from what
    // the desktop has last said, without asking it.
    bool isInHost() const;
    TrayHost host() const { return host_; }
    QSystemTrayIcon* icon() const { return icon_.get(); }

  private:
    void watchHosts();
    bool anyHost() const;
    void make();

    std::function<void(int)> onMessage_;
    std::unique_ptr<QSystemTrayIcon> icon_;
    TrayHost host_ = TrayHost::XEmbed;
    XEmbedTrayWatch* xembed_ = nullptr;
    StatusNotifierWatch* notifier_ = nullptr;
    bool wanted_ = false; // added and not removed: shown once a host is there
    QIcon picture_;
    QString tip_;
    QPointer<QMenu> menu_;
};

} // namespace hopsmeld
