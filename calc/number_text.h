#pragma once

#include <QLocale>
#include <QString>

// Conversions between a box's text and a number, in the user's number notation.
namespace hopsmeld {

// Reads a finite number; spaces around it and a trailing decimal separator are fine. Throws
// CalcFailure: TypeMismatch for anything that is not a finite number (the empty text and digit
// grouping included), Overflow for a number too large for a double.
double textToNumber(const QString& text, const QLocale& locale);

// The plain form written when a computed number first lands in a box: shortest text with at
// most 15 significant digits, no grouping, exponent form (1E+20, 1E-05) outside 1E-04..1E+15.
QString numberToText(double value, const QLocale& locale);

} // namespace hopsmeld
