#include "tab_control.h"

#include <QPainter>
#include <QTabBar>
#include <qdrawutil.h>

namespace hopsmeld {

TabControl::TabControl(const QStringList& captions, int stripHeight, QWidget* parent)
    : QWidget(parent), bar_(new QTabBar(this)), stripHeight_(stripHeight),
      controls_(static_cast<size_t>(captions.size())) {
    bar_->setObjectName(QStringLiteral("SSTab1Strip"));
    bar_->setDrawBase(false);
    bar_->setExpanding(true); // one row, the tabs sharing the width
    bar_->setUsesScrollButtons(false);
    bar_->setElideMode(Qt::ElideNone);
    for (const QString& caption : captions)
        bar_->addTab(caption);
    connect(bar_, &QTabBar::currentChanged, this, &TabControl::showTab);
}

void TabControl::addControl(int tab, QWidget* control) {
    controls_.at(static_cast<size_t>(tab)).push_back(control);
    control->setVisible(tab == currentIndex());
}

int TabControl::currentIndex() const {
    return bar_->currentIndex();
}

void TabControl::setCurrentIndex(int tab) {
    bar_->setCurrentIndex(tab);
}

void TabControl::showTab(int tab) {
    // Hide first, so the focus never lands on a control that is about to go.
    for (size_t i = 0; i < controls_.size(); ++i) {
        if (static_cast<int>(i) != tab) {
            for (QWidget* control : controls_[i])
                control->hide();
        }
    }
    if (tab >= 0 && static_cast<size_t>(tab) < controls_.size()) {
        for (QWidget* control : controls_[static_cast<size_t>(tab)])
            control->show();
    }
}

void TabControl::resizeEvent(QResizeEvent*) {
    bar_->setGeometry(0, 0, width(), stripHeight_);
}

void TabControl::paintEvent(QPaintEvent*) {
    // The page below the strip, in the window's own colour so that the opaque labels on it
    // do not show as patches; a raised edge frames it.
    QPainter painter(this);
    const QRect page(0, stripHeight_ - 1, width(), height() - stripHeight_ + 1);
    painter.fillRect(page, palette().window());
    qDrawShadePanel(&painter, page, palette(), false, 1);
}

} // namespace hopsmeld
