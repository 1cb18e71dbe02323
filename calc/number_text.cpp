#include "number_text.h"

#include "calc_failure.h"
#include "decimal_form.h"

#include <cmath>

namespace hopsmeld {

namespace {

// Plain notation stops where 15 digits can no longer show the number without an exponent.
constexpr int kLargestPlainExponent = 14;
constexpr int kSmallestPlainExponent = -4;

QString exponentText(int exponent) {
    QString digits = QString::number(std::abs(exponent));
    if (digits.size() < 2)
        digits.prepend(QLatin1Char('0'));
    return QLatin1String(exponent < 0 ? "E-" : "E+") + digits;
}

} // namespace

double textToNumber(const QString& text, const QLocale& userLocale) {
    // No gravity or percentage is ever written with digit grouping: "1.050" in German or "1,050"
    // in English is a decimal typed in the other notation, and taking it as 1050 gives absurd
    // results.
    QLocale locale = userLocale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    QString trimmed = text.trimmed();
    // Qt reads "5." but not "5," in a decimal-comma locale; both mean 5 to a person.
    if (trimmed.endsWith(locale.decimalPoint())) {
        trimmed.chop(locale.decimalPoint().size());
        if (trimmed.endsWith(locale.decimalPoint())) // "5.." is not a number
            throw CalcFailure(TypeMismatch);
    }
    if (trimmed.isEmpty())
        throw CalcFailure(TypeMismatch);

    bool ok = false;
    const double value = locale.toDouble(trimmed, &ok);
    if (!ok) {
        // Qt reports a number beyond the range of a double as a failed parse with value inf.
        throw CalcFailure(std::isinf(value) ? Overflow : TypeMismatch);
    }
    if (!std::isfinite(value)) // "inf" and "nan" parse, but are no gravity
        throw CalcFailure(TypeMismatch);
    return value;
}

QString numberToText(double value, const QLocale& locale) {
    const DecimalForm form = decimalForm(value);
    if (form.isZero())
        return QStringLiteral("0");

    const QString digits = QString::fromLatin1(form.digits.data(), qsizetype(form.digits.size()));
    QString text = form.negative ? QStringLiteral("-") : QString();
    if (form.exponent > kLargestPlainExponent || form.exponent < kSmallestPlainExponent) {
        text += digits.left(1);
        if (digits.size() > 1)
            text += locale.decimalPoint() + digits.mid(1);
        return text + exponentText(form.exponent);
    }
    if (form.exponent < 0) {
        return text + QLatin1Char('0') + locale.decimalPoint() +
               QString(-form.exponent - 1, QLatin1Char('0')) + digits;
    }
    const qsizetype integerDigits = form.exponent + 1;
    text += digits.left(integerDigits);
    if (digits.size() < integerDigits)
        text += QString(integerDigits - digits.size(), QLatin1Char('0'));
    else if (digits.size() > integerDigits)
        text += locale.decimalPoint() + digits.mid(integerDigits);
    return text;
}

} // namespace hopsmeld
