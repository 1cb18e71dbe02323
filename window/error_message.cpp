#include "error_message.h"

#include <QMessageBox>

namespace hopsmeld {

void showHopsmeldError(QWidget* window) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Hopsmeld Error"),
                    QStringLiteral("Hey Hop Head You Can't Do That!"), QMessageBox::Ok, window);
    box.setObjectName(QStringLiteral("HopsmeldError"));
    box.setWindowModality(Qt::WindowModal);
    box.exec();
}

} // namespace hopsmeld
