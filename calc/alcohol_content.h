#pragma once

#include "calc_host.h"

#include <QLocale>

// The "Alcohol Content" tab: original and final gravity in, alcohol by weight and volume out.
namespace hopsmeld {

class AlcoholContent {
  public:
    struct Boxes {
        TextBox& txt1; // original gravity
        TextBox& txt2; // final gravity
        TextBox& txt3; // alcohol by volume, result
        TextBox& txt4; // alcohol by weight, result
    };

    AlcoholContent(Boxes boxes, CalcHost& host, QLocale locale);

    void cmd1Click(); // Calculate
    void Cmd2Click(); // Reset

  private:
    Boxes boxes_;
    CalcHost& host_;
    QLocale locale_;
    // The last results, as fractions, kept between events.
    double AlcWeight = 0;
    double AlcVolume = 0;
};

} // namespace hopsmeld
