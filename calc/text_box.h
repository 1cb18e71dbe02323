#pragma once

#include <QString>

// What a calculator needs of a text box: its whole text, read and replaced. Writing it must not
// raise a key event, so a mirror never triggers the other mirror.
namespace hopsmeld {

class TextBox {
  public:
    virtual ~TextBox() = default;
    virtual QString text() const = 0;
    virtual void setText(const QString& text) = 0;
};

} // namespace hopsmeld
