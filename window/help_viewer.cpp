#include "help_viewer.h"

#include "help_colours.h"
#include "language.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace hopsmeld {

namespace {

constexpr QSize kPreferredSize(640, 720);

} // namespace

QString helpDocumentPath(const QString& helpFile) {
    // Only the bare name counts, as it would for a help viewer searching its own places. The
    // page in the window's language, "Hopsmeld_de.html", where there is one.
    const QString base = QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                         QFileInfo(helpFile).completeBaseName();
    const QString translated = base + QLatin1Char('_') + languageInUse() + QStringLiteral(".html");
    if (!languageInUse().isEmpty() && QFileInfo(translated).isFile())
        return translated;
    return base + QStringLiteral(".html");
}

HelpViewer::HelpViewer(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser) {
    setObjectName(QStringLiteral("HelpViewer"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(kPreferredSize);
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = browser_->documentTitle();
        setWindowTitle(title.isEmpty() ? QCoreApplication::translate("HelpViewer", "Help") : title);
    });
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);
    // A theme switch while the program runs reaches the application object; a window of its own
    // such as this one does not take the new palette by itself.
    qApp->installEventFilter(this);
}

bool HelpViewer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
        setPalette(QApplication::palette(this));
    return false;
}

void HelpViewer::placeOnScreenOf(const QWidget* owner) {
    const QScreen* screen = owner->screen();
    if (!screen)
        return;
    setScreen(owner->screen());
    // Framed about as the owner is: the window manager may give a resizable window a wider
    // edge, so a tenth of the area is kept spare where the preferred size does not fit.
    const QSize frame = owner->frameGeometry().size() - owner->size();
    const QRect area = screen->availableGeometry();
    resize(kPreferredSize.boundedTo(area.size() * 0.9 - frame));
    QRect outer(QPoint(), size() + frame);
    outer.moveCenter(area.center());
    move(outer.topLeft());
}

void HelpViewer::showContents(const QString& helpFile) {
    shownFile_ = helpFile;
    load();
    browser_->verticalScrollBar()->setValue(0);
    browser_->horizontalScrollBar()->setValue(0);
    show();
    raise();
    activateWindow();
}

void HelpViewer::load() {
    const QString path = helpDocumentPath(shownFile_);
    if (QFileInfo(path).isFile()) {
        browser_->setSource(QUrl::fromLocalFile(path));
        browser_->reload(); // the same file again: still from its start
    } else {
        browser_->clearHistory();
        browser_->setHtml(QCoreApplication::translate(
                              "HelpViewer",
                              "<h2>Cannot find the help file</h2>"
                              "<p>The help file <b>%1</b> was not found.</p>"
                              "<p>It should be beside the program, as <code>%2</code>.</p>")
                              .arg(shownFile_.toHtmlEscaped(), path.toHtmlEscaped()));
        setWindowTitle(
            QCoreApplication::translate("HelpViewer", "Help: cannot find %1").arg(shownFile_));
    }
    makeReadable(*browser_->document(), palette());
}

void HelpViewer::changeEvent(QEvent* event) {
    // A new theme: the document again from its own colours, made readable on the new page.
    if (event->type() == QEvent::PaletteChange && !shownFile_.isEmpty()) {
        const int top = browser_->verticalScrollBar()->value();
        load();
        browser_->verticalScrollBar()->setValue(top);
    }
    QWidget::changeEvent(event);
}

} // namespace hopsmeld
