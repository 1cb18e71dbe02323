// libFuzzer over the number texts. Each input is read as text in the C and de_DE notations, and
// its first eight bytes as a double that is written back as text and in the three patterns.
// A broken rule aborts, so libFuzzer keeps the input.
#include "calc_failure.h"
#include "display_format.h"
#include "number_text.h"

#include <QLocale>
#include <QRegularExpression>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace hopsmeld;

namespace {

void require(bool rule, const char* what, const QString& detail) {
    if (!rule) {
        std::fprintf(stderr, "\n*** BROKEN: %s: %s\n", what, qPrintable(detail));
        std::abort();
    }
}

// The 15-significant-digit value the program works with.
double fifteen(double v) {
    return QString::number(v, 'e', 14).toDouble();
}

void checkNumber(double v, const QLocale& locale) {
    const QString sep = QRegularExpression::escape(locale.decimalPoint()),
                  detail = QString::number(v, 'g', 17);
    const QString text = numberToText(v, locale);
    require(QRegularExpression(
                QStringLiteral("^-?(0|[1-9][0-9]*)(%1[0-9]*[1-9])?(E[+-][0-9]{2,3})?$").arg(sep))
                .match(text)
                .hasMatch(),
            "numberToText's shape", text);
    require(fifteen(textToNumber(text, locale)) == fifteen(v), "numberToText reads back",
            text + " " + detail);
    const char* shapes[] = {"^-?(0|[1-9][0-9]*)%1[0-9]{2}%$", "^-?([1-9][0-9]*)?%1[0-9]{2}$",
                            "^-?([1-9][0-9]*)?%1[0-9]{3}$"};
    for (int p = 0; p < 3; ++p) {
        const QString shown = formatNumber(v, DisplayPattern(p), locale);
        require(QRegularExpression(QString::fromLatin1(shapes[p]).arg(sep)).match(shown).hasMatch(),
                "pattern shape", shown);
        // Within half a unit of the last place from the 15-digit value, and no minus on zeros.
        QString digits = shown;
        digits.remove(QLatin1Char('%')).replace(locale.decimalPoint(), QStringLiteral("."));
        const double unit = p == 2 ? 0.001 : 0.01, wanted = fifteen(v) * (p == 0 ? 100 : 1);
        if (std::fabs(wanted) < 1e15)
            require(std::fabs(digits.toDouble() - wanted) <=
                        unit / 2 * (1 + 1e-9) + std::fabs(wanted) * 1e-15,
                    "pattern rounds to the nearest", shown + " " + detail);
        require(!shown.startsWith('-') || digits.toDouble() != 0, "a minus before zeros", shown);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const char* name : {"C", "de_DE"}) {
        const QLocale locale(QString::fromLatin1(name));
        try {
            const double v = textToNumber(text, locale);
            require(std::isfinite(v), "a non-finite number read", text);
            checkNumber(v, locale);
            // Plain decimal notation reads as the C library would read it.
            const QString plain =
                text.trimmed().replace(locale.decimalPoint(), QStringLiteral("."));
            if (QRegularExpression(QStringLiteral("^-?[0-9]{1,20}(\\.[0-9]{1,20})?$"))
                    .match(plain)
                    .hasMatch()) {
                const QByteArray bytes = plain.toLatin1();
                double expected = 0;
                std::from_chars(bytes.data(), bytes.data() + bytes.size(), expected);
                require(v == expected, "disagrees with from_chars", text);
            }
        } catch (const CalcFailure& failure) {
            require(failure.number() == TypeMismatch || failure.number() == Overflow,
                    "an unexpected failure", text);
        }
    }
    double v = 0;
    if (size >= sizeof v) {
        std::memcpy(&v, data, sizeof v);
        if (std::isfinite(v))
            checkNumber(v, QLocale::c());
    }
    return 0;
}
