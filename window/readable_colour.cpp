#include "readable_colour.h"

#include <algorithm>
#include <cmath>

namespace hopsmeld {

namespace {

double toLinear(int channel) {
    const double c = channel / 255.0;
    // 0.04045 is sRGB's own threshold; WCAG's 0.03928 gives the same results for 8-bit channels.
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double toEncoded(double linear) {
    return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

// Oklab, where equal steps of lightness look equal and a hue angle keeps its look as lightness
// changes (lightening blue in HSL drifts towards purple; here it stays blue).
struct Lch {
    double lightness, chroma, hue;
};

struct Linear {
    double r, g, b;
    bool inGamut() const {
        constexpr double e = 1e-9;
        return r >= -e && r <= 1 + e && g >= -e && g <= 1 + e && b >= -e && b <= 1 + e;
    }
};

Lch toLch(QRgb colour) {
    const double r = toLinear(qRed(colour)), g = toLinear(qGreen(colour)),
                 b = toLinear(qBlue(colour));
    const double l = std::cbrt(0.4122214708 * r + 0.5363325363 * g + 0.0514459929 * b);
    const double m = std::cbrt(0.2119034982 * r + 0.6806995451 * g + 0.1073969566 * b);
    const double s = std::cbrt(0.0883024619 * r + 0.2817188376 * g + 0.6299787005 * b);
    const double L = 0.2104542553 * l + 0.7936177850 * m - 0.0040720468 * s;
    const double A = 1.9779984951 * l - 2.4285922050 * m + 0.4505937099 * s;
    const double B = 0.0259040371 * l + 0.7827717662 * m - 0.8086757660 * s;
    return {L, std::hypot(A, B), std::atan2(B, A)};
}

Linear toLinearRgb(const Lch& lch) {
    const double A = lch.chroma * std::cos(lch.hue), B = lch.chroma * std::sin(lch.hue);
    const double l = std::pow(lch.lightness + 0.3963377774 * A + 0.2158037573 * B, 3);
    const double m = std::pow(lch.lightness - 0.1055613458 * A - 0.0638541728 * B, 3);
    const double s = std::pow(lch.lightness - 0.0894841775 * A - 1.2914855480 * B, 3);
    return {4.0767416621 * l - 3.3077115913 * m + 0.2309699292 * s,
            -1.2684380046 * l + 2.6097574011 * m - 0.3413193965 * s,
            -0.0041960863 * l - 0.7034186147 * m + 1.7076147010 * s};
}

QRgb toRgb(const Linear& c) {
    auto channel = [](double v) {
        return static_cast<int>(
            std::lround(std::clamp(toEncoded(std::clamp(v, 0.0, 1.0)), 0.0, 1.0) * 255));
    };
    return qRgb(channel(c.r), channel(c.g), channel(c.b));
}

// The colour of the given hue at the given lightness, with as much of the chroma as fits in sRGB.
QRgb atLightness(const Lch& wanted, double lightness) {
    Lch lch{lightness, wanted.chroma, wanted.hue};
    if (!toLinearRgb(lch).inGamut()) {
        double lo = 0, hi = wanted.chroma;
        for (int i = 0; i < 30; ++i) {
            lch.chroma = (lo + hi) / 2;
            (toLinearRgb(lch).inGamut() ? lo : hi) = lch.chroma;
        }
        lch.chroma = lo;
    }
    return toRgb(toLinearRgb(lch));
}

} // namespace

double relativeLuminance(QRgb colour) {
    return 0.2126 * toLinear(qRed(colour)) + 0.7152 * toLinear(qGreen(colour)) +
           0.0722 * toLinear(qBlue(colour));
}

double contrastRatio(QRgb a, QRgb b) {
    const double la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QRgb readableColour(QRgb wanted, QRgb background, double ratio) {
    wanted = qRgb(qRed(wanted), qGreen(wanted), qBlue(wanted));
    if (contrastRatio(wanted, background) >= ratio)
        return wanted;
    const Lch lch = toLch(wanted);
    auto reads = [&](double lightness) {
        return contrastRatio(atLightness(lch, lightness), background) >= ratio;
    };
    // Towards black and towards white, the lightness nearest to wanted's that reads. Luminance
    // grows with lightness, so each side is a search for one boundary; `reads(far)` holds
    // throughout.
    auto nearest = [&](double far) {
        double near = lch.lightness;
        for (int i = 0; i < 40; ++i) {
            const double middle = (near + far) / 2;
            (reads(middle) ? far : near) = middle;
        }
        return far;
    };
    const bool darker = reads(0), lighter = reads(1);
    if (!darker && !lighter) {
        const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);
        return contrastRatio(black, background) >= contrastRatio(white, background) ? black : white;
    }
    const double dark = darker ? nearest(0) : -1, light = lighter ? nearest(1) : 2;
    return atLightness(lch, lch.lightness - dark <= light - lch.lightness ? dark : light);
}

} // namespace hopsmeld
