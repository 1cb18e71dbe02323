#pragma once

#include <QObject>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>

// The program's one icon in the notification area. Mouse events on it come out as the numbers
// of the desktop's mouse messages, which the window acts on.
namespace hopsmeld {

enum TrayMouseMessage : int {
    MouseMove = 512,
    LeftButtonDown = 513,
    LeftButtonDoubleClick = 515,
    RightButtonUp = 517,
    MiddleButtonDown = 519,
};

// Qt reports a left press as Trigger, the right button as Context (on press), a double click as
// Trigger then DoubleClick, and the middle button as MiddleClick.
int trayMessageFor(QSystemTrayIcon::ActivationReason reason);

class TrayIcon : public QObject {
  public:
    explicit TrayIcon(std::function<void(int)> onMessage, QObject* parent = nullptr);
    ~TrayIcon() override;

    // Shows the icon; adding it again while it is there changes nothing.
    void add(const QIcon& icon, const QString& tip);
    void remove();
    bool isShown() const;
    QSystemTrayIcon* icon() const { return icon_.get(); }

  private:
    std::function<void(int)> onMessage_;
    std::unique_ptr<QSystemTrayIcon> icon_;
};

} // namespace hopsmeld
