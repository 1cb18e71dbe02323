#include "tab_control.h"

#include <QApplication>
#include <QPainter>
#include <QShortcut>
#include <QTabBar>
#include <qdrawutil.h>

#include <algorithm>

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

    // Ctrl+Tab and Ctrl+PgDn to the next tab, with Shift or PgUp back, wherever the focus is in
    // the window, as in tabbed windows on every desktop; round from the last tab to the first.
    // Shift+Tab comes as Backtab: from X with Shift spent on it (Ctrl+Backtab), from Qt's own
    // key events with Shift still held.
    const struct {
        QList<QKeySequence> keys;
        int step;
    } switches[] = {{{Qt::CTRL | Qt::Key_Tab, Qt::CTRL | Qt::Key_PageDown}, 1},
                    {{Qt::CTRL | Qt::Key_Backtab, Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab,
                      Qt::CTRL | Qt::Key_PageUp},
                     -1}};
    for (const auto& s : switches) {
        auto* shortcut = new QShortcut(this);
        shortcut->setKeys(s.keys);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, step = s.step] {
            setCurrentIndex((currentIndex() + step + bar_->count()) % bar_->count());
        });
    }
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

bool TabControl::isOnTab(const QWidget* widget, size_t tab) const {
    return widget && std::any_of(controls_[tab].begin(), controls_[tab].end(), [&](QWidget* c) {
               return c == widget || c->isAncestorOf(widget);
           });
}

void TabControl::showTab(int tab) {
    // Focus on a control of the tab being left goes to the new tab's first control in the tab
    // order (the strip where it has none), not on along the chain to whatever stays shown, such
    // as the Exit button. Parked on the strip meanwhile, as the controls hide one by one.
    const QWidget* focus = QApplication::focusWidget();
    bool focusLeaves = false;
    for (size_t i = 0; i < controls_.size(); ++i)
        focusLeaves = focusLeaves || (static_cast<int>(i) != tab && isOnTab(focus, i));
    if (focusLeaves)
        bar_->setFocus(Qt::OtherFocusReason);
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
        for (QWidget* next = bar_->nextInFocusChain(); focusLeaves && next != bar_;
             next = next->nextInFocusChain()) {
            if (isOnTab(next, static_cast<size_t>(tab)) && next->isVisible() && next->isEnabled() &&
                (next->focusPolicy() & Qt::TabFocus)) {
                next->setFocus(Qt::TabFocusReason);
                break;
            }
        }
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
