#include "label_colours.h"

#include "form1_layout.h"
#include "readable_colour.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace hopsmeld {

LabelColours::LabelColours(QWidget* window) : QObject(window), window_(window) {
    apply();
    // A theme switch while the program runs reaches the application object, not the window,
    // whose palette is set here and so no longer follows by itself.
    qApp->installEventFilter(this);
}

bool LabelColours::eventFilter(QObject* watched, QEvent* event) {
    // Our own setPalette calls send PaletteChange to widgets, not this: applying cannot loop.
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
        apply();
    return false;
}

void LabelColours::apply() {
    QPalette palette = QApplication::palette(window_);
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    window_->setPalette(palette);

    const QRgb background = palette.color(QPalette::Window).rgb();
    const QRgb link = palette.color(QPalette::Link).rgb();
    for (const layout::Control& control : layout::controls()) {
        if (control.kind != layout::Kind::Label && control.kind != layout::Kind::LinkLabel)
            continue;
        auto* label = window_->findChild<QWidget*>(QLatin1String(control.name));
        if (!label)
            continue;
        const QRgb wanted = control.textColour.value_or(palette.color(QPalette::ButtonText).rgb());
        const bool readsAsIs = contrastRatio(wanted, background) >= kReadableContrast;
        QRgb text = readsAsIs ? wanted : readableColour(wanted, background);
        // A link the layout's blue cannot show readably takes the desktop's own link colour,
        // where that reads better than the blue made lighter or darker.
        if (!readsAsIs && control.kind == layout::Kind::LinkLabel &&
            contrastRatio(link, background) > contrastRatio(text, background))
            text = link;
        QPalette own = palette;
        own.setColor(QPalette::WindowText, QColor::fromRgb(text));
        label->setPalette(own);
    }
}

} // namespace hopsmeld
