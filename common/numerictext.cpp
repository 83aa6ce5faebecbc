#include "common/numerictext.h"

#include <algorithm>

namespace wagetrove {
namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isSign(QChar c)
{
    return c == QLatin1Char('-') || c == QLatin1Char('+');
}

// Exponents beyond this size make any non-zero value overflow or vanish; capping them keeps the arithmetic
// of a typed "1e99999999999999999999" in range.
constexpr std::int64_t kExponentCap = 1'000'000'000;

} // namespace

std::optional<DecimalNumber> readDecimalNumber(const QString& text)
{
    const qsizetype size = text.size();
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < size && isBlank(text[i])) {
            ++i;
        }
    };

    DecimalNumber number;
    skipBlanks();
    if (i < size && isSign(text[i])) {
        number.negative = text[i] == QLatin1Char('-');
        ++i;
        skipBlanks();
    }
    qsizetype fractionDigits = 0;
    bool seenPoint = false;
    for (; i < size; ++i) {
        if (isAsciiDigit(text[i])) {
            number.digits += text[i];
            if (seenPoint) {
                ++fractionDigits;
            }
        } else if (text[i] == QLatin1Char('.') && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (number.digits.isEmpty()) {
        return std::nullopt;
    }

    std::int64_t exponent = 0;
    if (i < size && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        ++i;
        bool negativeExponent = false;
        if (i < size && isSign(text[i])) {
            negativeExponent = text[i] == QLatin1Char('-');
            ++i;
        }
        if (i == size || !isAsciiDigit(text[i])) {
            return std::nullopt;
        }
        for (; i < size && isAsciiDigit(text[i]); ++i) {
            exponent = std::min(exponent * 10 + text[i].digitValue(), kExponentCap);
        }
        if (negativeExponent) {
            exponent = -exponent;
        }
    }
    skipBlanks();
    if (i != size) {
        return std::nullopt;
    }
    number.exponent = exponent - fractionDigits;
    return number;
}

bool isNumeric(const QString& text)
{
    return readDecimalNumber(text).has_value();
}

double numericValueOf(const QString& text)
{
    QString compact;
    for (const QChar c : text) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n')) {
            compact += c;
        }
    }

    const auto isDigitAt = [&](qsizetype i) { return i < compact.size() && isAsciiDigit(compact[i]); };
    qsizetype end = 0;
    if (end < compact.size() && isSign(compact[end])) {
        ++end;
    }
    const qsizetype mantissaStart = end;
    while (isDigitAt(end)) {
        ++end;
    }
    if (end < compact.size() && compact[end] == QLatin1Char('.')) {
        ++end;
        while (isDigitAt(end)) {
            ++end;
        }
    }
    if (end == mantissaStart || (end == mantissaStart + 1 && compact[mantissaStart] == QLatin1Char('.'))) {
        return 0.0;
    }

    QString number = compact.left(end);
    // An exponent counts only when digits follow it.
    if (end < compact.size() && QStringLiteral("eEdD").contains(compact[end])) {
        qsizetype exponentEnd = end + 1;
        if (exponentEnd < compact.size() && isSign(compact[exponentEnd])) {
            ++exponentEnd;
        }
        if (isDigitAt(exponentEnd)) {
            while (isDigitAt(exponentEnd)) {
                ++exponentEnd;
            }
            number = compact.left(exponentEnd);
            number[end] = QLatin1Char('e');
        }
    }
    // The C-locale conversion: an overflow gives an infinity, an underflow zero.
    return number.toDouble();
}

} // namespace wagetrove
