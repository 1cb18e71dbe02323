#pragma once

#include <string>

// A double as the decimal number a person would read: at most 15 significant digits,
// rounded once from the binary value. Every text the program shows starts from this form,
// so 1.005 is treated as 1.005 and not as 1.00499999999999989...
namespace hopsmeld {

struct DecimalForm {
    bool negative = false;
    std::string digits; // significant digits without trailing zeros; empty for zero
    int exponent = 0;   // value = d.ddd x 10^exponent

    bool isZero() const { return digits.empty(); }
};

DecimalForm decimalForm(double value);

} // namespace hopsmeld
