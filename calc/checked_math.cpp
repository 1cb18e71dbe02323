#include "checked_math.h"

#include "calc_failure.h"

#include <cmath>

namespace hopsmeld {

namespace {

double checked(double result) {
    if (std::isnan(result))
        throw CalcFailure(InvalidOperation);
    if (std::isinf(result))
        throw CalcFailure(Overflow);
    return result;
}

} // namespace

double checkedMultiply(double a, double b) {
    return checked(a * b);
}

double checkedDivide(double a, double b) {
    if (b == 0.0)
        throw CalcFailure(a == 0.0 ? InvalidOperation : DivisionByZero);
    return checked(a / b);
}

double checkedSubtract(double a, double b) {
    return checked(a - b);
}

} // namespace hopsmeld
