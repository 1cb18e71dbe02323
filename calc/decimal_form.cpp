#include "decimal_form.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace hopsmeld {

DecimalForm decimalForm(double value) {
    DecimalForm form;
    if (value == 0.0 || !std::isfinite(value))
        return form;
    form.negative = value < 0;

    // to_chars ignores the C library's locale, which QCoreApplication sets from the environment.
    char buffer[64];
    char* end = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                              std::chars_format::scientific, 14)
                    .ptr;
    // buffer holds "d.ddddddddddddddde+dd": one digit, the point, 14 digits, the exponent.
    char* e = std::find(buffer, end, 'e');
    form.digits.assign(1, buffer[0]);
    form.digits.append(buffer + 2, e);
    std::from_chars(e + 1 + (e[1] == '+'), end, form.exponent);
    while (!form.digits.empty() && form.digits.back() == '0')
        form.digits.pop_back();
    return form;
}

} // namespace hopsmeld
