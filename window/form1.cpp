#include "form1.h"

#include "error_message.h"
#include "key_release.h"
#include "play_burp.h"

#include <QEvent>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

namespace hopsmeld {

namespace {

QLineEdit* addBox(QFormLayout* form, const char* name, const QString& label) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QLatin1String(name));
    form->addRow(label, edit);
    return edit;
}

QPushButton* addButton(QFormLayout* form, const char* name, const QString& caption,
                       const QString& tooltip) {
    auto* button = new QPushButton(caption);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(tooltip);
    button->setAutoDefault(false);
    form->addRow(QString(), button);
    return button;
}

} // namespace

Form1::Form1(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Merow Hopsmeld Helper"));
    buildControls();

    QLineEdit* edits[] = {txt1, txt2, txt3, txt4, txt5, txt6, txt7, txt8};
    for (size_t i = 0; i < boxes_.size(); ++i)
        boxes_[i] = std::make_unique<LineEditBox>(edits[i]);
    const QLocale locale = QLocale::system();
    CalcHost& host = *this;
    alcoholContent_ = std::make_unique<AlcoholContent>(
        AlcoholContent::Boxes{*boxes_[0], *boxes_[1], *boxes_[2], *boxes_[3]}, host, locale);
    bottlingGravity_ = std::make_unique<BottlingGravity>(
        BottlingGravity::Boxes{*boxes_[4], *boxes_[5], *boxes_[6], *boxes_[7]}, host, locale);
    bindHandlers();
    // A brewer opens the program to type a gravity: start there.
    txt1->setFocus();
}

void Form1::buildControls() {
    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    setCentralWidget(SSTab1);

    auto* alcohol = new QWidget;
    auto* alcoholForm = new QFormLayout(alcohol);
    txt1 = addBox(alcoholForm, "txt1", QStringLiteral("Enter Original Gravity"));
    txt2 = addBox(alcoholForm, "txt2", QStringLiteral("Enter Final Gravity"));
    cmd1 = addButton(alcoholForm, "cmd1", QStringLiteral("Calculate"),
                     QStringLiteral("Click to Calculate"));
    txt3 = addBox(alcoholForm, "txt3", QStringLiteral("Alcohol % By Volume"));
    txt4 = addBox(alcoholForm, "txt4", QStringLiteral("Alcohol % By Weight"));
    Cmd2 = addButton(alcoholForm, "Cmd2", QStringLiteral("Reset"), QStringLiteral("Click to Reset"));
    SSTab1->addTab(alcohol, QStringLiteral("Alcohol Content"));

    auto* bottling = new QWidget;
    auto* bottlingForm = new QFormLayout(bottling);
    txt5 = addBox(bottlingForm, "txt5", QStringLiteral("Enter Original Gravity"));
    txt6 = addBox(bottlingForm, "txt6", QStringLiteral(" Alcohol % By Volume "));
    txt7 = addBox(bottlingForm, "txt7", QStringLiteral("Alcohol % By Weight"));
    Cmd4 = addButton(bottlingForm, "Cmd4", QStringLiteral("Calculate"),
                     QStringLiteral("Click to Calculate"));
    txt8 = addBox(bottlingForm, "txt8", QStringLiteral("Desired Bottling Gravity"));
    Cmd5 = addButton(bottlingForm, "Cmd5", QStringLiteral("Reset"), QStringLiteral("Click to Reset"));
    SSTab1->addTab(bottling, QStringLiteral("Bottling Gravity"));
}

void Form1::bindHandlers() {
    connect(cmd1, &QPushButton::clicked, this, [this] { alcoholContent_->cmd1Click(); });
    connect(Cmd2, &QPushButton::clicked, this, [this] { alcoholContent_->Cmd2Click(); });
    connect(Cmd4, &QPushButton::clicked, this, [this] { bottlingGravity_->Cmd4Click(); });
    connect(Cmd5, &QPushButton::clicked, this, [this] { bottlingGravity_->Cmd5Click(); });
    onKeyRelease(txt6, [this] { bottlingGravity_->txt6KeyUp(); });
    onKeyRelease(txt7, [this] { bottlingGravity_->txt7KeyUp(); });
}

bool Form1::event(QEvent* event) {
    const bool result = QMainWindow::event(event);
    if (event->type() == QEvent::Paint && !shownOnce_) {
        // The window is on screen: now is the time to wake the sound system, not before.
        shownOnce_ = true;
        QTimer::singleShot(0, this, [] { PrepareBurp(); });
    }
    return result;
}

void Form1::showTypeMismatch() { showHopsmeldError(this); }

void Form1::playCue() { PlayBurp(); }

} // namespace hopsmeld
