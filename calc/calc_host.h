#pragma once

#include <QString>

// What a calculator needs of the window: its text boxes and the two reactions it shows.
namespace hopsmeld {

// What a calculator needs of a text box: its whole text, read and replaced. A text written here
// is no change by the user, so a mirror never sets off the other mirror.
class TextBox {
  public:
    virtual ~TextBox() = default;
    virtual QString text() const = 0;
    virtual void setText(const QString& text) = 0;
};

// What a calculator needs of the window around it.
class CalcHost {
  public:
    virtual ~CalcHost() = default;
    // The modal "Hey Hop Head You Can't Do That!" message.
    virtual void showTypeMismatch() = 0;
    // The sound cue that confirms a calculation.
    virtual void playCue() = 0;
};

} // namespace hopsmeld
