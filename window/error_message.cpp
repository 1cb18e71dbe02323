#include "error_message.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace hopsmeld {

void showHopsmeldError(QWidget* window) {
    QMessageBox box(QMessageBox::Warning,
                    QCoreApplication::translate("HopsmeldError", "Hopsmeld Error"),
                    QCoreApplication::translate("HopsmeldError", "Hey Hop Head You Can't Do That!"),
                    QMessageBox::Ok, window);
    box.setObjectName(QStringLiteral("HopsmeldError"));
    box.setWindowModality(Qt::WindowModal);
    box.exec();
}

} // namespace hopsmeld
