#include "mail_link.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace hopsmeld {

namespace {

void showNoMailProgram(const QString& address, QWidget* window) {
    auto* box = new QMessageBox(
        QMessageBox::Information, QCoreApplication::translate("MailLink", "Send e-mail"),
        QCoreApplication::translate("MailLink",
                                    "This desktop has no mail program set up to open the e-mail "
                                    "link.\n\nTo write to us, copy the address:\n%1")
            .arg(address),
        QMessageBox::Ok, window);
    box->setObjectName(QStringLiteral("NoMailProgram"));
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

} // namespace

void openMailLink(const QString& address, QWidget* window) {
    const QUrl link(QStringLiteral("mailto:") + address);
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (xdgOpen.isEmpty()) {
        // Qt's own way says only whether it found something to start.
        if (!QDesktopServices::openUrl(link))
            showNoMailProgram(address, window);
        return;
    }
    // xdg-open tells by its exit status alone that nothing took the link: 3 when it found no
    // handler, 4 when the desktop's own opener failed. Its messages still go to the terminal.
    // Without a parent: a mail program it still waits for must outlive this program.
    auto* process = new QProcess;
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(process, &QProcess::finished, window,
                     [=](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if (status == QProcess::NormalExit && (code == 3 || code == 4))
                             showNoMailProgram(address, window);
                     });
    QObject::connect(process, &QProcess::errorOccurred, window, [=](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            process->deleteLater();
            showNoMailProgram(address, window);
        }
    });
    process->start(xdgOpen, {link.toString()});
}

} // namespace hopsmeld
