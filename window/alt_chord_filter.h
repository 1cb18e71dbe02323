#pragma once

#include <QEvent>
#include <QKeyEvent>
#include <QObject>

// Installed on a text box: an Alt chord that reached the box is no access key of the window (those
// are taken before), and types nothing, as on the desktops this window's layout comes from and
// in GTK. Ctrl+Alt is left alone: some keyboard layouts type characters with it.
namespace hopsmeld {

class AltChordFilter : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const Qt::KeyboardModifiers modifiers = key->modifiers();
            if ((modifiers & Qt::AltModifier) &&
                !(modifiers & (Qt::ControlModifier | Qt::MetaModifier)) && !key->text().isEmpty() &&
                key->text().at(0).isPrint())
                return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace hopsmeld
