#pragma once

// Arithmetic that fails like the calculators expect instead of carrying inf or nan into a box.
namespace hopsmeld {

double checkedMultiply(double a, double b);
double checkedDivide(double a, double b);
double checkedSubtract(double a, double b);

} // namespace hopsmeld
