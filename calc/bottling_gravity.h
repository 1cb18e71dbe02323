#pragma once

#include "calc_host.h"

#include <QLocale>

// The "Bottling Gravity" tab: the alcohol calculation backwards. The desired yield is typed by
// volume or by weight, the other box follows every change the user makes, and Calculate gives
// the gravity to bottle at.
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

    // A change the user made to a box's text (never one written by code).
    void txt6Change(); // volume typed, weight mirrored
    void txt7Change(); // weight typed, volume mirrored
    void Cmd4Click();  // Calculate
    void Cmd5Click();  // Reset

    // The desired alcohol by weight as a fraction, unrounded, read from the box the user changed
    // last. Throws a type mismatch when that box holds no number, or no box was changed.
    double YieldWeight() const;

  private:
    using Conversion = double (*)(double);
    void mirror(TextBox& typed, TextBox& mirrored, Conversion toMirror);

    Boxes boxes_;
    CalcHost& host_;
    QLocale locale_;
    // Reading the strength from the box when Calculate runs, rather than keeping it, means the
    // result always comes from what the window shows.
    TextBox* typed_ = nullptr;
};

} // namespace hopsmeld
