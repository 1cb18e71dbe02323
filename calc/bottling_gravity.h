#pragma once

#include "calc_host.h"
#include "calc_value.h"
#include "text_box.h"

#include <QLocale>

// The "Bottling Gravity" tab: the alcohol calculation backwards. The desired yield is typed by
// volume or by weight, the other box follows on every key release, and Calculate gives the
// gravity to bottle at.
namespace hopsmeld {

class BottlingGravity {
  public:
    struct Boxes {
        TextBox& txt5; // original gravity
        TextBox& txt6; // desired alcohol by volume, percent
        TextBox& txt7; // desired alcohol by weight, percent
        TextBox& txt8; // bottling gravity, result
    };

    BottlingGravity(Boxes boxes, CalcHost& host, QLocale locale);

    void txt6KeyUp(); // volume typed, weight mirrored
    void txt7KeyUp(); // weight typed, volume mirrored
    void Cmd4Click(); // Calculate
    void Cmd5Click(); // Reset

    // The unrounded yield by weight as a fraction, from the box the user typed in.
    const CalcValue& yieldWeight() const { return YieldWeight; }

  private:
    using Conversion = double (*)(double);
    void mirror(TextBox& typed, TextBox& mirrored, Conversion toMirror, Conversion toYieldWeight);

    Boxes boxes_;
    CalcHost& host_;
    QLocale locale_;
    CalcValue YieldWeight;
};

} // namespace hopsmeld
