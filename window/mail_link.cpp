#include "mail_link.h"

#include <QDesktopServices>
#include <QUrl>

namespace hopsmeld {

void openMailLink(const QString& address) {
    QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + address));
}

} // namespace hopsmeld
