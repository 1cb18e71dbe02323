#include "alcohol_content.h"

#include "brewing_constants.h"
#include "calc_failure.h"
#include "checked_math.h"
#include "display_format.h"
#include "number_text.h"

namespace hopsmeld {

AlcoholContent::AlcoholContent(Boxes boxes, CalcHost& host, QLocale locale)
    : boxes_(boxes), host_(host), locale_(std::move(locale)) {}

void AlcoholContent::cmd1Click() {
    runCalcHandler(
        [this] {
            const QString finalText = boxes_.txt2.text();
            const QString originalText = boxes_.txt1.text();
            // Both conversions come before any write: bad input changes nothing.
            const double og = textToNumber(originalText, locale_);
            const double fg = textToNumber(finalText, locale_);

            AlcWeight = checkedMultiply(checkedSubtract(og, fg), kWeightFactor);
            boxes_.txt4.setText(formatNumber(AlcWeight, DisplayPattern::Percent, locale_));
            AlcVolume = checkedMultiply(AlcWeight, kVolumeFactor);
            boxes_.txt3.setText(formatNumber(AlcVolume, DisplayPattern::Percent, locale_));
            host_.playCue();
        },
        [this] { host_.showTypeMismatch(); });
}

void AlcoholContent::Cmd2Click() {
    for (TextBox* box : {&boxes_.txt1, &boxes_.txt2, &boxes_.txt3, &boxes_.txt4})
        box->setText(QString());
}

} // namespace hopsmeld
