#include "calc_value.h"

#include "number_text.h"

namespace hopsmeld {

double CalcValue::toNumber(const QLocale& locale) const {
    if (const double* number = std::get_if<double>(&value_))
        return *number;
    if (const QString* text = std::get_if<QString>(&value_))
        return textToNumber(*text, locale);
    return 0.0;
}

} // namespace hopsmeld
