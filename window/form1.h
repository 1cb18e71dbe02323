#pragma once

#include "alcohol_content.h"
#include "bottling_gravity.h"
#include "calc_host.h"
#include "click_label.h"
#include "common_dialog.h"
#include "line_edit_box.h"
#include "tab_control.h"
#include "tray_icon.h"

#include <QMainWindow>

#include <array>
#include <initializer_list>
#include <memory>

class QAction;
class QLineEdit;
class QMenu;
class QPushButton;

// The program's one window: two calculators, an About tab, the window commands.
namespace hopsmeld {

class Form1 : public QMainWindow, private CalcHost {
  public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    TabControl* SSTab1;
    QLineEdit *txt1, *txt2, *txt3, *txt4, *txt5, *txt6, *txt7, *txt8;
    QPushButton *cmd1, *Cmd2, *Cmd3, *Cmd4, *Cmd5;
    ClickLabel* Lbl12;
    QAction *mnuExit, *mnuHelp, *mnuBeerGuide;
    QMenu* mnuSystemtray;
    QAction *mnuOp, *mnusep, *mnuExt;
    CommonDialog dlg1;

    // Window commands.
    void Cmd3Click();
    void mnuExitClick();
    void mnuHelpClick();
    void mnuBeerGuideClick();
    void Lbl12Click();

    // The notification area.
    void Form1Activate();
    void trayCallback(int message); // a mouse message from the tray icon
    // Another start of the program asks for the window: as a double click on the icon would.
    void showForAnotherStart();
    void mnuOpClick();
    void mnuExtClick();
    int TrayMessage = 0;
    bool TrayBusy = false;
    const TrayIcon& trayIcon() const { return tray_; }

    // Removes the tray icon and leaves the event loop: no close handling, nothing cleared.
    void endProgram();

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override; // the close request

  private:
    void showTypeMismatch() override;
    void playCue() override;
    void buildMenus();
    void bindHandlers();
    void hideAndClear(std::initializer_list<QLineEdit*> boxes);
    void showHelp(const QString& helpFile);
    void centreOnScreen();

    std::array<std::unique_ptr<LineEditBox>, 8> boxes_;
    std::unique_ptr<AlcoholContent> alcoholContent_;
    std::unique_ptr<BottlingGravity> bottlingGravity_;
    TrayIcon tray_;
    bool shownWhenMenuCloses_ = false;
};

} // namespace hopsmeld
