#pragma once

#include <QLocale>
#include <QString>

// The three display patterns of the result and mirror boxes.
namespace hopsmeld {

enum class DisplayPattern {
    Percent,       // "0.00%": 0.042 -> 4.20%
    TwoDecimals,   // ".00":   0.8 -> .80, 4.2 -> 4.20
    ThreeDecimals, // ".000":  1.01 -> 1.010
};

// Rounds half away from zero on the number's 15-digit decimal form, so 1.005 shows as 1.01
// although the double just below it is what is stored.
QString formatNumber(double value, DisplayPattern pattern, const QLocale& locale);

// A box's text, read as a number first (can throw CalcFailure like textToNumber).
QString formatText(const QString& text, DisplayPattern pattern, const QLocale& locale);

} // namespace hopsmeld
