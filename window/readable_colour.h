#pragma once

#include <QRgb>

// Text colours that stay readable on whatever background the desktop's theme gives.
namespace hopsmeld {

// The contrast normal-sized text needs to be readable (WCAG level AA).
inline constexpr double kReadableContrast = 4.5;

// WCAG 2 relative luminance of an sRGB colour: 0 for black, 1 for white.
double relativeLuminance(QRgb colour);

// WCAG 2 contrast ratio of two colours, from 1 (the same) to 21 (black and white).
double contrastRatio(QRgb a, QRgb b);

// `wanted` itself where it reaches `ratio` on `background`. Otherwise the colour of the same
// hue, as saturated as sRGB allows, whose lightness is nearest to wanted's among those that reach
// the ratio; black or white, whichever contrasts more, where no lightness does.
QRgb readableColour(QRgb wanted, QRgb background, double ratio = kReadableContrast);

} // namespace hopsmeld
