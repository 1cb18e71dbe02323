#include "display_format.h"

#include "decimal_form.h"
#include "number_text.h"

#include <algorithm>
#include <string>

namespace hopsmeld {

namespace {

// Adds one to a string of decimal digits.
void increment(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

// The value as a whole number of 10^-decimals units, rounded half away from zero.
std::string roundedUnits(const DecimalForm& form, int decimals) {
    // Digits [0, kept) of the form lie before the rounding position.
    const long long kept = static_cast<long long>(form.exponent) + 1 + decimals;
    if (kept <= 0 || form.isZero()) {
        // Everything lies beyond the rounding position: only a first digit of 5 or more counts.
        return kept == 0 && !form.isZero() && form.digits[0] >= '5' ? "1" : "0";
    }
    const size_t keep = static_cast<size_t>(kept);
    std::string units(keep, '0');
    form.digits.copy(units.data(), std::min(keep, form.digits.size()));
    if (keep < form.digits.size() && form.digits[keep] >= '5')
        increment(units);
    return units;
}

} // namespace

QString formatNumber(double value, DisplayPattern pattern, const QLocale& locale) {
    DecimalForm form = decimalForm(value);
    const bool percent = pattern == DisplayPattern::Percent;
    const int decimals = pattern == DisplayPattern::ThreeDecimals ? 3 : 2;
    if (percent)
        form.exponent += 2; // times 100, exactly, on the decimal digits

    std::string units = roundedUnits(form, decimals);
    const bool isZero = units.find_first_not_of('0') == std::string::npos;
    // "0.00%" always shows a digit before the separator, ".00" only a non-zero one.
    const size_t minimumLength = static_cast<size_t>(decimals) + (percent ? 1 : 0);
    if (units.size() < minimumLength)
        units.insert(0, minimumLength - units.size(), '0');

    const size_t integerLength = units.size() - static_cast<size_t>(decimals);
    std::string integerPart = units.substr(0, integerLength);
    if (!percent && integerPart.find_first_not_of('0') == std::string::npos)
        integerPart.clear();

    QString text = form.negative && !isZero ? QStringLiteral("-") : QString();
    text += QString::fromLatin1(integerPart.data(), qsizetype(integerPart.size()));
    text += locale.decimalPoint();
    text += QString::fromLatin1(units.data() + integerLength, decimals);
    if (percent)
        text += QLatin1Char('%');
    return text;
}

QString formatText(const QString& text, DisplayPattern pattern, const QLocale& locale) {
    return formatNumber(textToNumber(text, locale), pattern, locale);
}

} // namespace hopsmeld
