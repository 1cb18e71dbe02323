#include "common_dialog.h"

#include "help_viewer.h"

#include <QWidget>

namespace hopsmeld {

CommonDialog::CommonDialog(QWidget* owner) : owner_(owner) {}

CommonDialog::~CommonDialog() = default;

void CommonDialog::ShowHelp() {
    if (!viewer_) {
        // A top-level window of its own: the main window can hide without taking it along.
        viewer_ = std::make_unique<HelpViewer>();
        viewer_->setWindowIcon(owner_->windowIcon());
        viewer_->placeOnScreenOf(owner_);
    }
    // The one command the window gives, contents: the document from its start.
    viewer_->showContents(HelpFile);
}

} // namespace hopsmeld
