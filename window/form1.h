#pragma once

#include "alcohol_content.h"
#include "bottling_gravity.h"
#include "calc_host.h"
#include "line_edit_box.h"

#include <QMainWindow>

#include <array>

class QLineEdit;
class QPushButton;
class QTabWidget;

// The program's one window.
namespace hopsmeld {

class Form1 : public QMainWindow, private CalcHost {
public:
    explicit Form1(QWidget* parent = nullptr);

    QTabWidget* SSTab1 = nullptr;
    QLineEdit *txt1, *txt2, *txt3, *txt4, *txt5, *txt6, *txt7, *txt8;
    QPushButton *cmd1, *Cmd2, *Cmd4, *Cmd5;

    const AlcoholContent& alcoholContent() const { return *alcoholContent_; }
    const BottlingGravity& bottlingGravity() const { return *bottlingGravity_; }

protected:
    bool event(QEvent* event) override;

private:
    void showTypeMismatch() override;
    void playCue() override;
    void buildControls();
    void bindHandlers();

    std::array<std::unique_ptr<LineEditBox>, 8> boxes_;
    std::unique_ptr<AlcoholContent> alcoholContent_;
    std::unique_ptr<BottlingGravity> bottlingGravity_;
    bool shownOnce_ = false;
};

} // namespace hopsmeld
