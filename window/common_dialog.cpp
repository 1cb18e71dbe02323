#include "common_dialog.h"

#include "help_viewer.h"

#include <QWidget>

namespace hopsmeld {

CommonDialog::CommonDialog(QWidget* owner) : owner_(owner) {}

CommonDialog::~CommonDialog() = default;

void CommonDialog::ShowHelp() {
    if (HelpCommand == kHelpQuit) {
        if (viewer_)
            viewer_->close();
        return;
    }
    if (!viewer_) {
        // A top-level window of its own: the main window can hide without taking it along.
        viewer_ = std::make_unique<HelpViewer>();
        viewer_->setWindowIcon(owner_->windowIcon());
        viewer_->placeOnScreenOf(owner_);
    }
    // Every other command opens the contents: the start of the document.
    viewer_->showContents(HelpFile);
}

} // namespace hopsmeld
