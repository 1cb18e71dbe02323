// libFuzzer target for reading and writing numbers. Every input is read as UTF-8 text in the C,
// en_US and de_DE locales, and its first eight bytes as a double; whatever number comes out is
// written back as text and in the three display patterns, which must keep their shape and value.
// A broken rule prints what broke and aborts, so libFuzzer keeps the input.
#include "calc_failure.h"
#include "display_format.h"
#include "number_text.h"

#include <QByteArray>
#include <QLocale>
#include <QRegularExpression>
#include <QString>

#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

using namespace hopsmeld;

namespace {

[[noreturn]] void broken(const char* rule, const QString& detail) {
    std::fprintf(stderr, "\n*** BROKEN: %s\n    %s\n", rule, qPrintable(detail));
    std::abort();
}

QString show(double value) {
    return QString::number(value, 'g', 17);
}

struct Notation {
    QLocale locale;
    QString separator;
    QRegularExpression plain;    // numberToText without exponent
    QRegularExpression exponent; // numberToText with exponent
    QRegularExpression negativeZeroText;
    std::array<QRegularExpression, 3> pattern; // by DisplayPattern
    QRegularExpression negativeZeroPattern;

    explicit Notation(const char* name)
        : locale(QLocale(QString::fromLatin1(name))), separator(locale.decimalPoint()) {
        const QString s = QRegularExpression::escape(separator);
        plain.setPattern(QStringLiteral("^-?(0|[1-9][0-9]*)(%1[0-9]*[1-9])?$").arg(s));
        exponent.setPattern(QStringLiteral("^-?[1-9](%1[0-9]*[1-9])?E[+-][0-9]{2,3}$").arg(s));
        negativeZeroText.setPattern(QStringLiteral("^-[0%1]*$").arg(s));
        pattern[int(DisplayPattern::Percent)].setPattern(
            QStringLiteral("^-?(0|[1-9][0-9]*)%1[0-9]{2}%$").arg(s));
        pattern[int(DisplayPattern::TwoDecimals)].setPattern(
            QStringLiteral("^-?([1-9][0-9]*)?%1[0-9]{2}$").arg(s));
        pattern[int(DisplayPattern::ThreeDecimals)].setPattern(
            QStringLiteral("^-?([1-9][0-9]*)?%1[0-9]{3}$").arg(s));
        negativeZeroPattern.setPattern(QStringLiteral("^-[0%1]*%?$").arg(s));
    }
};

const std::array<Notation, 3>& notations() {
    static const std::array<Notation, 3> all{Notation("C"), Notation("en_US"), Notation("de_DE")};
    return all;
}

constexpr std::array<DisplayPattern, 3> kPatterns{
    DisplayPattern::Percent, DisplayPattern::TwoDecimals, DisplayPattern::ThreeDecimals};

// A finite double as Qt's own double-to-text writes it to 15 significant digits: an independent
// source of the digits calc works from (calc uses std::to_chars).
struct Digits15 {
    bool negative = false;
    bool zero = true;
    std::string digits; // exactly 15, first one not 0 unless zero
    int exponent = 0;   // value = d.dddddddddddddd x 10^exponent

    bool operator==(const Digits15&) const = default;
};

Digits15 digits15(double value) {
    Digits15 d;
    if (value == 0.0)
        return d;
    d.zero = false;
    d.negative = value < 0;
    const QByteArray text = QByteArray::number(std::fabs(value), 'e', 14); // "d.ddd...e+XX"
    const qsizetype e = text.indexOf('e');
    if (e != 16)
        broken("Qt wrote an unexpected exponent form", QString::fromLatin1(text));
    d.digits = text.left(1).toStdString() + text.mid(2, 14).toStdString();
    d.exponent = text.mid(e + 1).toInt();
    return d;
}

// A double whose exact value has 16 significant digits ending in 5 lies halfway between two
// 15-digit forms (1.000030517578125): either is 15 digits from it, so both are accepted.
// Returns the form below, or nothing when the value is no such tie. 41 digits tell a tie apart
// from its nearest doubles.
std::optional<Digits15> lowerTieForm(double value) {
    if (value == 0.0)
        return std::nullopt;
    char buffer[80];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::scientific, 40);
    const std::string exact(buffer, result.ptr); // "d.<40 digits>e+XX"
    const size_t e = exact.find('e');
    const std::string digits = exact.substr(0, 1) + exact.substr(2, e - 2);
    if (digits[15] != '5' || digits.find_first_not_of('0', 16) != std::string::npos)
        return std::nullopt;
    Digits15 d;
    d.zero = false;
    d.negative = value < 0;
    d.digits = digits.substr(0, 15);
    d.exponent = std::stoi(exact.substr(e + 1));
    return d;
}

// numberToText worked out from the 15 digits: shortest, plain within 1E-04..1E+15.
QString expectedText(const Digits15& d, const Notation& n) {
    if (d.zero)
        return QStringLiteral("0");
    std::string digits = d.digits;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const QString all = QString::fromStdString(digits);
    QString text = d.negative ? QStringLiteral("-") : QString();
    if (d.exponent < -4 || d.exponent > 14) {
        text += all.left(1);
        if (all.size() > 1)
            text += n.separator + all.mid(1);
        const int magnitude = std::abs(d.exponent);
        return text + (d.exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+")) +
               (magnitude < 10 ? QStringLiteral("0") : QString()) + QString::number(magnitude);
    }
    if (d.exponent < 0)
        return text + QStringLiteral("0") + n.separator + QString(-d.exponent - 1, u'0') + all;
    const int whole = d.exponent + 1;
    QString integer = all.left(whole);
    integer += QString(whole - integer.size(), u'0');
    text += integer;
    if (all.size() > whole)
        text += n.separator + all.mid(whole);
    return text;
}

// formatNumber worked out with integer arithmetic: the 15 digits as a whole number m times
// 10^(exponent-14), scaled to units of the last decimal, rounded half away from zero.
QString expectedPattern(const Digits15& d, DisplayPattern pattern, const Notation& n) {
    const bool percent = pattern == DisplayPattern::Percent;
    const int decimals = pattern == DisplayPattern::ThreeDecimals ? 3 : 2;
    std::string units = "0";
    if (!d.zero) {
        const int shift = d.exponent + (percent ? 2 : 0) - 14 + decimals;
        if (shift >= 0) {
            units = d.digits + std::string(static_cast<size_t>(shift), '0');
        } else if (shift >= -16) {
            std::uint64_t power = 1;
            for (int i = 0; i < -shift; ++i)
                power *= 10;
            const std::uint64_t m = std::stoull(d.digits);
            units = std::to_string((m + power / 2) / power);
        }
    }
    const bool zero = units.find_first_not_of('0') == std::string::npos;
    if (units.size() < static_cast<size_t>(decimals) + 1)
        units.insert(0, static_cast<size_t>(decimals) + 1 - units.size(), '0');
    std::string integer = units.substr(0, units.size() - static_cast<size_t>(decimals));
    if (!percent && integer == "0")
        integer.clear();
    QString text = d.negative && !zero ? QStringLiteral("-") : QString();
    text += QString::fromStdString(integer) + n.separator +
            QString::fromStdString(units.substr(units.size() - static_cast<size_t>(decimals)));
    if (percent)
        text += u'%';
    return text;
}

// The failure textToNumber throws, or 0 with the value stored.
int readText(const QString& text, const QLocale& locale, double* value) {
    try {
        *value = textToNumber(text, locale);
        return 0;
    } catch (const CalcFailure& failure) {
        const int number = failure.number();
        if (number != TypeMismatch && number != Overflow)
            broken("textToNumber threw a failure other than 13 or 6",
                   QStringLiteral("%1 for \"%2\"").arg(number).arg(text));
        return number;
    }
}

// Above the largest double once written with 15 digits (the largest doubles round up to
// 1.79769313486232E+308): such a text can only be read as an overflow.
bool textAboveLargestDouble(const Digits15& d) {
    if (d.zero)
        return false;
    const std::string text =
        d.digits.substr(0, 1) + "." + d.digits.substr(1) + "e" + std::to_string(d.exponent);
    return std::strtold(text.c_str(), nullptr) >
           static_cast<long double>(std::numeric_limits<double>::max());
}

void checkNumber(double value) {
    for (const Notation& n : notations()) {
        const QString text = numberToText(value, n.locale);
        for (DisplayPattern pattern : kPatterns)
            (void)formatNumber(value, pattern, n.locale);
        if (!std::isfinite(value))
            continue; // nothing to show for these; they only must not crash

        Digits15 d = digits15(value);
        if (const std::optional<Digits15> lower = lowerTieForm(value);
            lower && text == expectedText(*lower, n))
            d = *lower;
        if (!n.plain.match(text).hasMatch() && !n.exponent.match(text).hasMatch())
            broken("numberToText has no number shape",
                   QStringLiteral("%1 [%2] -> \"%3\"").arg(show(value), n.locale.name(), text));
        if (n.negativeZeroText.match(text).hasMatch())
            broken("numberToText wrote a negative zero",
                   QStringLiteral("%1 [%2] -> \"%3\"").arg(show(value), n.locale.name(), text));
        const QString wantText = expectedText(d, n);
        if (text != wantText)
            broken("numberToText is not the 15-digit form",
                   QStringLiteral("%1 [%2] -> \"%3\", expected \"%4\"")
                       .arg(show(value), n.locale.name(), text, wantText));

        // Reading the text back gives the same 15 digits.
        double back = 0;
        const int failure = readText(text, n.locale, &back);
        if (textAboveLargestDouble(d)) {
            if (failure != Overflow)
                broken("a text above the largest double was not read as an overflow",
                       QStringLiteral("\"%1\" [%2] -> failure %3")
                           .arg(text, n.locale.name())
                           .arg(failure));
        } else if (failure != 0) {
            broken("numberToText wrote a text textToNumber cannot read",
                   QStringLiteral("%1 [%2] -> \"%3\" -> failure %4")
                       .arg(show(value), n.locale.name(), text)
                       .arg(failure));
        } else {
            if (digits15(back) != d)
                broken("numberToText then textToNumber changed the value",
                       QStringLiteral("%1 [%2] -> \"%3\" -> %4")
                           .arg(show(value), n.locale.name(), text, show(back)));
        }

        for (DisplayPattern pattern : kPatterns) {
            const QString shown = formatNumber(value, pattern, n.locale);
            const QString context = QStringLiteral("%1 [%2] pattern %3 -> \"%4\"")
                                        .arg(show(value), n.locale.name())
                                        .arg(int(pattern))
                                        .arg(shown);
            if (!n.pattern[int(pattern)].match(shown).hasMatch())
                broken("formatNumber lost its pattern's shape", context);
            if (n.negativeZeroPattern.match(shown).hasMatch())
                broken("formatNumber showed a minus before zeros only", context);
            const QString want = expectedPattern(d, pattern, n);
            if (shown != want)
                broken("formatNumber did not round the 15-digit form half away from zero",
                       context + QStringLiteral(", expected \"%1\"").arg(want));
            // The text written for the number shows the same as the number itself.
            if (failure == 0) {
                const QString viaText = formatText(text, pattern, n.locale);
                if (viaText != shown)
                    broken("formatText of numberToText differs from formatNumber",
                           context + QStringLiteral(", via \"%1\": \"%2\"").arg(text, viaText));
            }
        }
    }
}

// Plain decimal notation with the given separator, spaces around: text the C library can read
// too, so textToNumber has to agree with strtod on it.
bool isPlainDecimal(const std::string& text, char separator) {
    size_t i = 0;
    const size_t end = text.find_last_not_of(' ');
    if (end == std::string::npos)
        return false;
    while (text[i] == ' ')
        ++i;
    if (text[i] == '+' || text[i] == '-')
        ++i;
    size_t digits = 0;
    while (i <= end && std::isdigit(static_cast<unsigned char>(text[i]))) {
        ++i;
        ++digits;
    }
    if (i <= end && text[i] == separator) {
        ++i;
        while (i <= end && std::isdigit(static_cast<unsigned char>(text[i]))) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i <= end && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i <= end && (text[i] == '+' || text[i] == '-'))
            ++i;
        size_t exponentDigits = 0;
        while (i <= end && std::isdigit(static_cast<unsigned char>(text[i]))) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return false;
    }
    return i == end + 1;
}

void checkText(const std::string& bytes) {
    const QString text = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    for (const Notation& n : notations()) {
        double value = 0;
        const int failure = readText(text, n.locale, &value);
        for (DisplayPattern pattern : kPatterns) {
            try {
                const QString shown = formatText(text, pattern, n.locale);
                if (failure != 0)
                    broken(
                        "formatText read a text textToNumber rejects",
                        QStringLiteral("\"%1\" [%2] -> \"%3\"").arg(text, n.locale.name(), shown));
            } catch (const CalcFailure& f) {
                if (f.number() != failure)
                    broken("formatText failed differently from textToNumber",
                           QStringLiteral("\"%1\" [%2]: %3 vs %4")
                               .arg(text, n.locale.name())
                               .arg(int(f.number()))
                               .arg(failure));
            }
        }

        const char separator = n.separator == QStringLiteral(",") ? ',' : '.';
        if (isPlainDecimal(bytes, separator)) {
            std::string c = bytes;
            for (char& ch : c)
                if (ch == separator)
                    ch = '.';
            errno = 0;
            const double expected = std::strtod(c.c_str(), nullptr);
            const bool overflow = errno == ERANGE && std::isinf(expected);
            const bool underflow = errno == ERANGE && !overflow;
            if (overflow && failure != Overflow)
                broken("a number beyond the double range was not an overflow",
                       QStringLiteral("\"%1\" [%2] -> failure %3")
                           .arg(text, n.locale.name())
                           .arg(failure));
            if (!overflow && !underflow && (failure != 0 || value != expected))
                broken("textToNumber disagrees with strtod on plain decimal notation",
                       QStringLiteral("\"%1\" [%2] -> failure %3, value %4, strtod %5")
                           .arg(text, n.locale.name())
                           .arg(failure)
                           .arg(show(value), show(expected)));
        }

        if (failure != 0)
            continue;
        if (!std::isfinite(value))
            broken("textToNumber let a non-finite number through",
                   QStringLiteral("\"%1\" [%2] -> %3").arg(text, n.locale.name(), show(value)));
        checkNumber(value);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    checkText(std::string(reinterpret_cast<const char*>(data), size));
    if (size >= sizeof(double)) {
        double value;
        std::memcpy(&value, data, sizeof value);
        checkNumber(value);
    }
    return 0;
}
