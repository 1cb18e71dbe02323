#include "form1.h"

#include "alt_chord_filter.h"
#include "error_message.h"
#include "form1_layout.h"
#include "form_builder.h"
#include "label_colours.h"
#include "play_burp.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QIcon>
#include <QImageReader>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

namespace hopsmeld {

namespace {

QFont windowFont() {
    // MS Sans Serif's stand-in: Liberation Sans has Arial's metrics, narrow enough for every
    // caption to stay on one line in its box. Sized in pixels for 8.25 pt at 96 dots per inch.
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                      QStringLiteral("Arial"), QStringLiteral("Sans Serif")});
    font.setPixelSize(qRound(layout::kWindowFontPoints * 96 / 72));
    font.setWeight(QFont::Normal);
    return font;
}

// Our own pictures are PNG files. Told so, Qt decodes them itself; left to find out, it first
// loads every image format plugin installed to ask each whether it knows the file.
QPixmap png(const QString& path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

// The sizes a window and a tray show: title bars, task bars, trays, window switchers. Qt decodes
// and hands the window manager every size the icon has before the window first appears; the
// 128 and 256 px pictures took most of that time and a third of a megabyte kept afterwards, for
// launchers and docks that take the program's icon from its desktop entry and the installed
// icon theme, which has every size.
QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(png(QStringLiteral(":/art/icon-%1.png").arg(size)));
    return icon;
}

template <typename T> T* control(const ControlMap& controls, const char* name) {
    return static_cast<T*>(controls.value(QLatin1String(name)));
}

} // namespace

Form1::Form1(QWidget* parent)
    : QMainWindow(parent), dlg1(this), tray_([this](int message) { trayCallback(message); }) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Merow Hopsmeld Helper"));
    // Fixed size, minimise and close but no maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(windowFont());
    setWindowIcon(programIcon());

    auto* client = new QWidget(this);
    client->setFixedSize(layout::pixels(layout::kClientWidth),
                         layout::pixels(layout::kClientHeight));
    setCentralWidget(client);
    const ControlMap controls = buildControls(client);
    SSTab1 = control<TabControl>(controls, "SSTab1");
    txt1 = control<QLineEdit>(controls, "txt1");
    txt2 = control<QLineEdit>(controls, "txt2");
    txt3 = control<QLineEdit>(controls, "txt3");
    txt4 = control<QLineEdit>(controls, "txt4");
    txt5 = control<QLineEdit>(controls, "txt5");
    txt6 = control<QLineEdit>(controls, "txt6");
    txt7 = control<QLineEdit>(controls, "txt7");
    txt8 = control<QLineEdit>(controls, "txt8");
    cmd1 = control<QPushButton>(controls, "cmd1");
    Cmd2 = control<QPushButton>(controls, "Cmd2");
    Cmd3 = control<QPushButton>(controls, "Cmd3");
    Cmd4 = control<QPushButton>(controls, "Cmd4");
    Cmd5 = control<QPushButton>(controls, "Cmd5");
    Lbl12 = control<ClickLabel>(controls, "Lbl12");
    control<QLabel>(controls, "Label8")->setText(layout::versionText());
    control<QLabel>(controls, "Label9")->setText(layout::aboutText());
    Lbl12->setText(layout::contactAddress());
    Lbl12->setCursor(QCursor(png(QStringLiteral(":/art/hand-pointer.png")), 12, 1));
    new LabelColours(this);
    buildMenus();
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    QLineEdit* edits[] = {txt1, txt2, txt3, txt4, txt5, txt6, txt7, txt8};
    auto* altChords = new AltChordFilter(this);
    for (size_t i = 0; i < boxes_.size(); ++i) {
        boxes_[i] = std::make_unique<LineEditBox>(edits[i]);
        edits[i]->installEventFilter(altChords);
    }
    const QLocale locale = QLocale::system();
    CalcHost& host = *this;
    alcoholContent_ = std::make_unique<AlcoholContent>(
        AlcoholContent::Boxes{*boxes_[0], *boxes_[1], *boxes_[2], *boxes_[3]}, host, locale);
    bottlingGravity_ = std::make_unique<BottlingGravity>(
        BottlingGravity::Boxes{*boxes_[4], *boxes_[5], *boxes_[6], *boxes_[7]}, host, locale);
    bindHandlers();

    // A brewer opens the program to type a gravity: start there.
    txt1->setFocus();
    centreOnScreen();
}

Form1::~Form1() = default;

void Form1::buildMenus() {
    // The bar's entries are commands themselves; nothing drops down.
    mnuExit = menuBar()->addAction(QCoreApplication::translate("MenuBar", "&Exit"));
    mnuHelp = menuBar()->addAction(QCoreApplication::translate("MenuBar", "&Help"));
    mnuBeerGuide = menuBar()->addAction(QCoreApplication::translate("MenuBar", "&Beer Guide"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuBeerGuide->setObjectName(QStringLiteral("mnuBeerGuide"));

    // Alt+E in English: the menu bar's "&Exit" and the button's would share it, and Qt runs
    // neither of two equal shortcuts. The menu keeps it, as menus take their access keys first on
    // the desktop this window comes from; the button keeps its underline and its click. A
    // translation that gives the button a key of its own keeps it.
    if (QKeySequence::mnemonic(Cmd3->text()) == QKeySequence::mnemonic(mnuExit->text()))
        Cmd3->setShortcut(QKeySequence());

    // Never in the bar: popped up by the tray icon.
    mnuSystemtray = new QMenu(QStringLiteral("Systemtray"), this);
    mnuSystemtray->setObjectName(QStringLiteral("mnuSystemtray"));
    mnuOp =
        mnuSystemtray->addAction(QCoreApplication::translate("TrayMenu", "&Open Hopsmeld Helper"));
    mnusep = mnuSystemtray->addSeparator();
    mnuExt = mnuSystemtray->addAction(QCoreApplication::translate("TrayMenu", "&Exit"));
    mnuOp->setObjectName(QStringLiteral("mnuOp"));
    mnusep->setObjectName(QStringLiteral("mnusep"));
    mnuExt->setObjectName(QStringLiteral("mnuExt"));
}

// Every control event that runs program code, and its handler.
void Form1::bindHandlers() {
    connect(cmd1, &QPushButton::clicked, this, [this] { alcoholContent_->cmd1Click(); });
    connect(Cmd2, &QPushButton::clicked, this, [this] { alcoholContent_->Cmd2Click(); });
    connect(Cmd4, &QPushButton::clicked, this, [this] { bottlingGravity_->Cmd4Click(); });
    connect(Cmd5, &QPushButton::clicked, this, [this] { bottlingGravity_->Cmd5Click(); });
    // textEdited covers every change the user makes (keys, paste, middle click, drop, undo)
    // and none written by code, so the two mirrors never set each other off.
    connect(txt6, &QLineEdit::textEdited, this, [this] { bottlingGravity_->txt6Change(); });
    connect(txt7, &QLineEdit::textEdited, this, [this] { bottlingGravity_->txt7Change(); });
    connect(Cmd3, &QPushButton::clicked, this, &Form1::Cmd3Click);
    connect(mnuExit, &QAction::triggered, this, &Form1::mnuExitClick);
    connect(mnuHelp, &QAction::triggered, this, &Form1::mnuHelpClick);
    connect(mnuBeerGuide, &QAction::triggered, this, &Form1::mnuBeerGuideClick);
    connect(Lbl12, &ClickLabel::clicked, this, &Form1::Lbl12Click);
    connect(mnuOp, &QAction::triggered, this, &Form1::mnuOpClick);
    connect(mnuExt, &QAction::triggered, this, &Form1::mnuExtClick);
    // In event(): the activation (Form1Activate). In closeEvent(): the close request.
    // From the tray icon: trayCallback().
}

void Form1::centreOnScreen() {
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    adjustSize();
    QRect frame(QPoint(), size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

bool Form1::event(QEvent* event) {
    const bool result = QMainWindow::event(event);
    // Shown counts as well as activated: a window manager that gives new windows no focus never
    // activates the window, and without the icon a hidden window could not come back. Taken
    // when the window has been handed to the platform (Show comes before that): the window
    // manager then maps the window while the icon is made, and the icon is docked no later.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::ShowToParent)
        Form1Activate();
    return result;
}

void Form1::showTypeMismatch() {
    showHopsmeldError(this);
}

void Form1::playCue() {
    PlayBurp();
}

} // namespace hopsmeld
