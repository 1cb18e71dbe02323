// The window commands: hiding and clearing, help, and the e-mail link.
#include "form1.h"

#include "form1_layout.h"
#include "mail_link.h"

#include <QCloseEvent>
#include <QLineEdit>

namespace hopsmeld {

void Form1::hideAndClear(std::initializer_list<QLineEdit*> boxes) {
    // Unless a host shows the icon, a hidden window could never come back and the process would
    // run on unseen: end it instead, once the boxes are cleared as they would have been.
    const bool canComeBack = tray_.isInHost();
    if (canComeBack)
        hide();
    for (QLineEdit* box : boxes)
        box->setText(QString());
    if (!canComeBack)
        endProgram();
}

void Form1::Cmd3Click() {
    hideAndClear({txt1, txt2, txt3, txt4});
}

void Form1::mnuExitClick() {
    hideAndClear({txt1, txt2, txt3, txt4, txt5, txt6, txt7, txt8});
}

void Form1::closeEvent(QCloseEvent* event) {
    event->ignore(); // the window never closes: it hides
    hideAndClear({txt1, txt2, txt3, txt4, txt5, txt6, txt7, txt8});
}

void Form1::showHelp(const QString& helpFile) {
    dlg1.HelpFile = helpFile;
    dlg1.HelpCommand = CommonDialog::kHelpContents;
    dlg1.ShowHelp();
}

void Form1::mnuHelpClick() {
    showHelp(QStringLiteral("Hopsmeld.hlp"));
}

void Form1::mnuBeerGuideClick() {
    showHelp(QStringLiteral("Beerhlp.hlp"));
}

void Form1::Lbl12Click() {
    openMailLink(layout::contactAddress(), this);
}

} // namespace hopsmeld
