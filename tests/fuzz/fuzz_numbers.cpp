// libFuzzer over the number texts: each input is read in the C and de_DE notations, and its first
// eight bytes as a double; every number that comes out is written as text and in the three
// patterns, which must read back to it within the rounding. A broken rule aborts.
#include "calc_failure.h"
#include "display_format.h"
#include "number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace hopsmeld;

static void require(bool rule, const char* what, const QString& text) {
    if (!rule) {
        std::fprintf(stderr, "\n*** BROKEN: %s: %s\n", what, qPrintable(text));
        std::abort();
    }
}

static void writeBack(double v, const QLocale& locale) {
    const QString text = numberToText(v, locale); // 15 significant digits
    require(std::fabs(textToNumber(text, locale) - v) <= std::fabs(v) * 1e-14,
            "numberToText does not read back", text);
    for (int p = 0; p < 3; ++p) {
        QString shown = formatNumber(v, DisplayPattern(p), locale);
        const double unit = p == 2 ? 0.001 : 0.01, scaled = v * (p == 0 ? 100 : 1);
        if (std::fabs(scaled) > 1e15) // beyond 15 digits before the point
            continue;
        const double back = textToNumber(shown.remove('%'), locale);
        require(std::fabs(back - scaled) <= unit / 2 + std::fabs(scaled) * 1e-14,
                "a pattern off by more than half its last place", shown);
        require(!shown.startsWith('-') || back != 0, "a minus before zeros", shown);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const char* name : {"C", "de_DE"}) {
        const QLocale locale(QString::fromLatin1(name));
        try {
            const double v = textToNumber(text, locale);
            require(std::isfinite(v), "a non-finite number read", text);
            if (std::fabs(v) < 1e307)
                writeBack(v, locale);
        } catch (const CalcFailure& failure) {
            require(failure.number() == TypeMismatch || failure.number() == Overflow,
                    "a failure other than a type mismatch or an overflow", text);
        }
    }
    double v = 0;
    if (size >= sizeof v && (std::memcpy(&v, data, sizeof v), std::isfinite(v)) &&
        std::fabs(v) < 1e307)
        writeBack(v, QLocale::c());
    return 0;
}
