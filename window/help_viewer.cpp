#include "help_viewer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QScrollBar>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace hopsmeld {

QString helpDocumentPath(const QString& helpFile) {
    // Only the bare name counts, as it would for a help viewer searching its own places.
    const QString base = QFileInfo(helpFile).completeBaseName();
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + base +
           QStringLiteral(".html");
}

HelpViewer::HelpViewer(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser) {
    setObjectName(QStringLiteral("HelpViewer"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(640, 720);
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = browser_->documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("Help") : title);
    });
}

void HelpViewer::showContents(const QString& helpFile) {
    shownFile_ = helpFile;
    const QString path = helpDocumentPath(helpFile);
    if (QFileInfo(path).isFile()) {
        browser_->setSource(QUrl::fromLocalFile(path));
        browser_->reload(); // the same file again: still from its start
    } else {
        browser_->clearHistory();
        browser_->setHtml(
            QStringLiteral("<h2>Cannot find the help file</h2>"
                           "<p>The help file <b>%1</b> was not found.</p>"
                           "<p>It should be beside the program, as <code>%2</code>.</p>")
                .arg(helpFile.toHtmlEscaped(), path.toHtmlEscaped()));
        setWindowTitle(QStringLiteral("Help: cannot find %1").arg(helpFile));
    }
    browser_->verticalScrollBar()->setValue(0);
    browser_->horizontalScrollBar()->setValue(0);
    show();
    raise();
    activateWindow();
}

} // namespace hopsmeld
