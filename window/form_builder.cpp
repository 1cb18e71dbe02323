#include "form_builder.h"

#include "click_label.h"
#include "form1_layout.h"
#include "tab_control.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>

#include <algorithm>
#include <cstring>
#include <vector>

namespace hopsmeld {

namespace {

using layout::Control;
using layout::Kind;
using layout::pixels;

// Point sizes are meant at 96 dots per inch: a pixel size keeps each caption inside its box
// whatever logical DPI the desktop reports, while device scaling still enlarges everything.
QFont fontFor(const Control& control, const QFont& windowFont) {
    QFont font = windowFont;
    if (control.font == layout::Font::MailLink) {
        font.setPixelSize(qRound(layout::kMailFontPoints * 96 / 72));
        font.setUnderline(true);
    }
    return font;
}

// A caption or tooltip of the table in the window's language.
QString translated(const char* text) {
    return *text ? QCoreApplication::translate("Form1", text) : QString();
}

QWidget* create(const Control& control, QWidget* parent) {
    const QString caption = translated(control.caption);
    switch (control.kind) {
    case Kind::TabControl:
        return new TabControl(layout::tabCaptions(), pixels(layout::kTabStripHeight), parent);
    case Kind::Frame: {
        auto* frame = new QFrame(parent);
        frame->setFrameStyle(QFrame::Box | QFrame::Sunken); // an etched box, no title
        return frame;
    }
    case Kind::Label:
    case Kind::LinkLabel: {
        auto* label = control.kind == Kind::LinkLabel ? new ClickLabel(caption, parent)
                                                      : new QLabel(caption, parent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setAutoFillBackground(true); // opaque, in the page's colour
        return label;
    }
    case Kind::TextBox:
        return new QLineEdit(parent);
    case Kind::Button: {
        auto* button = new QPushButton(caption, parent);
        // Enter or Return presses the focused button, as Space does. The window is no dialog,
        // so it has no default button: Enter and Esc in a box press nothing.
        button->setAutoDefault(true);
        return button;
    }
    }
    return nullptr;
}

void style(QWidget* widget, const Control& control) {
    widget->setObjectName(QString::fromUtf8(control.name));
    widget->setGeometry(pixels(control.left), pixels(control.top), pixels(control.width),
                        pixels(control.height));
    widget->setFont(fontFor(control, widget->font()));
    if (control.tooltip)
        widget->setToolTip(translated(control.tooltip));
}

// How much of a label's box, from its left edge, no text box or button on its tab covers.
int uncoveredWidth(const Control& label) {
    int width = label.width;
    for (const Control& other : layout::controls()) {
        const bool covers =
            (other.kind == Kind::TextBox || other.kind == Kind::Button) &&
            std::strcmp(other.container, label.container) == 0 && other.tab == label.tab &&
            other.left > label.left && other.left < label.left + label.width &&
            other.top < label.top + label.height && label.top < other.top + other.height;
        if (covers)
            width = std::min(width, other.left - label.left);
    }
    return pixels(width);
}

// A caption whose box runs under a text box is set in the part of the box that shows, its box
// unchanged, its letters closer together where they would not fit there as they are: a letter
// under the text box would be lost. The same metrics lay the text out at every scale.
void fitCaption(QLabel* label, int uncovered) {
    if (uncovered >= label->width())
        return;
    label->setContentsMargins(0, 0, label->width() - uncovered, 0);
    QFont font = label->font();
    // Two pixels to spare: the ink of the last letter may reach past its advance.
    for (int percent = 100; percent > 80; --percent) {
        font.setLetterSpacing(QFont::PercentageSpacing, percent);
        if (QFontMetricsF(font).horizontalAdvance(label->text()) <= uncovered - 2)
            break;
    }
    label->setFont(font);
}

// Tab walks the controls by their tab index; Qt skips the hidden ones, and labels and the frame
// never take the focus. The tab strip stands for the tab control at the head of the order.
void setTabOrder(const ControlMap& controls) {
    std::vector<const Control*> ordered;
    for (const Control& control : layout::controls())
        ordered.push_back(&control);
    std::sort(ordered.begin(), ordered.end(),
              [](const Control* a, const Control* b) { return a->tabIndex < b->tabIndex; });
    QWidget* previous = nullptr;
    for (const Control* control : ordered) {
        QWidget* widget = controls.value(QString::fromUtf8(control->name));
        if (control->kind == Kind::TabControl)
            widget = static_cast<TabControl*>(widget)->tabBar();
        if (!(widget->focusPolicy() & Qt::TabFocus))
            continue;
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

} // namespace

ControlMap buildControls(QWidget* clientArea) {
    ControlMap controls;
    controls.insert(QStringLiteral("Form1"), clientArea);
    for (const Control& control : layout::controls()) {
        QWidget* container = controls.value(QString::fromUtf8(control.container));
        QWidget* widget = create(control, container);
        style(widget, control);
        if (control.tab >= 0)
            static_cast<TabControl*>(container)->addControl(control.tab, widget);
        controls.insert(widget->objectName(), widget);
    }

    for (const Control& control : layout::controls()) {
        QWidget* widget = controls.value(QString::fromUtf8(control.name));
        if (control.kind == Kind::TextBox || control.kind == Kind::Button)
            widget->raise(); // a text box reaching over a label is drawn on top of it
        if (control.kind == Kind::Label)
            fitCaption(static_cast<QLabel*>(widget), uncoveredWidth(control));
        if (control.labelledBy) {
            const Control* label = layout::find(control.labelledBy);
            widget->setAccessibleName(translated(label->caption).trimmed());
            static_cast<QLabel*>(controls.value(QString::fromUtf8(label->name)))->setBuddy(widget);
        }
        if (control.result)
            widget->setAccessibleDescription(
                QCoreApplication::translate("Form1", "Result, written by Calculate"));
    }
    setTabOrder(controls);
    return controls;
}

} // namespace hopsmeld
