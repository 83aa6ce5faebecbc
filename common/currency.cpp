#include "common/currency.h"

#include "common/numerictext.h"

#include <QStringList>

#include <limits>

namespace wagetrove {
namespace {

// Products of two raw values need up to 126 bits; every intermediate is kept as a magnitude of this width and
// the sign is applied once at the end.
__extension__ typedef unsigned __int128 Magnitude;

constexpr Magnitude kLargestNegativeMagnitude = Magnitude(1) << 63;

Magnitude magnitudeOf(std::int64_t value)
{
    // -(value + 1) + 1 avoids negating the most negative value.
    return value < 0 ? Magnitude(-(value + 1)) + 1 : Magnitude(value);
}

std::uint64_t powerOfTen(int exponent)
{
    std::uint64_t power = 1;
    for (int i = 0; i < exponent; ++i) {
        power *= 10;
    }
    return power;
}

/// numerator ÷ denominator, halves away from zero (both are magnitudes).
Magnitude divideRounded(Magnitude numerator, Magnitude denominator)
{
    const Magnitude quotient = numerator / denominator;
    const Magnitude remainder = numerator % denominator;
    return remainder >= denominator - remainder ? quotient + 1 : quotient;
}

std::optional<Currency> fromSignAndMagnitude(bool negative, Magnitude magnitude)
{
    if (negative) {
        if (magnitude > kLargestNegativeMagnitude) {
            return std::nullopt;
        }
        if (magnitude == kLargestNegativeMagnitude) {
            return Currency::fromRaw(std::numeric_limits<std::int64_t>::min());
        }
        return Currency::fromRaw(-static_cast<std::int64_t>(magnitude));
    }
    if (magnitude > Magnitude(std::numeric_limits<std::int64_t>::max())) {
        return std::nullopt;
    }
    return Currency::fromRaw(static_cast<std::int64_t>(magnitude));
}

bool isValidDecimals(int decimals)
{
    return decimals >= 0 && decimals <= Currency::kDecimals;
}

} // namespace

std::optional<Currency> Currency::fromUnits(std::int64_t units)
{
    std::int64_t raw = 0;
    if (__builtin_mul_overflow(units, kScale, &raw)) {
        return std::nullopt;
    }
    return fromRaw(raw);
}

std::optional<Currency> Currency::fromText(const QString& text)
{
    // Plain decimals ("12500.5", "-3") are nearly every amount a workbook brings; they are read without the
    // copies the general reading below makes. Anything else goes the general way.
    constexpr qsizetype kPlainMax = 24;
    if (text.size() <= kPlainMax) {
        char plain[kPlainMax];
        qsizetype length = 0;
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if ((u < u'0' || u > u'9') && u != u'.' && u != u'-') {
                length = 0;
                break;
            }
            plain[length++] = char(u);
        }
        if (length > 0) {
            if (const std::optional<Currency> value = fromPlainDecimal(QByteArrayView(plain, length))) {
                return value;
            }
        }
    }
    QString s = text.trimmed();
    bool negative = false;
    if (s.startsWith(QLatin1Char('-'))) {
        negative = true;
        s = s.mid(1).trimmed();
    } else if (s.startsWith(QLatin1Char('+'))) {
        s = s.mid(1).trimmed();
    }
    if (s.startsWith(QLatin1Char('$'))) {
        s = s.mid(1).trimmed();
        if (!negative && s.startsWith(QLatin1Char('-'))) {
            negative = true;
            s = s.mid(1);
        }
    }

    // Whole part: digits, optionally grouped by commas of three digits each.
    const qsizetype point = s.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? s : s.left(point);
    const QString fraction = point < 0 ? QString() : s.mid(point + 1);
    if (whole.isEmpty() && fraction.isEmpty()) {
        return std::nullopt;
    }
    const QStringList groups = whole.split(QLatin1Char(','));
    QString digits;
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const QString& group = groups[i];
        const bool sizeOk = groups.size() == 1 || (i == 0 ? !group.isEmpty() && group.size() <= 3 : group.size() == 3);
        if (!sizeOk) {
            return std::nullopt;
        }
        digits += group;
    }
    digits += fraction;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
    }
    return fromDecimal(DecimalNumber{negative, digits, -static_cast<std::int64_t>(fraction.size())});
}

std::optional<Currency> Currency::fromPlainDecimal(QByteArrayView text)
{
    const bool negative = text.startsWith('-');
    if (negative) {
        text = text.sliced(1);
    }
    const qsizetype point = text.indexOf('.');
    const QByteArrayView whole = point < 0 ? text : text.first(point);
    const QByteArrayView fraction = point < 0 ? QByteArrayView() : text.sliced(point + 1);
    if ((whole.isEmpty() && fraction.isEmpty()) || whole.size() > 14 || fraction.size() > kDecimals) {
        return std::nullopt;
    }
    std::int64_t raw = 0;
    for (const QByteArrayView part : {whole, fraction}) {
        for (const char c : part) {
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
            raw = raw * 10 + (c - '0');
        }
    }
    raw *= std::int64_t(powerOfTen(int(kDecimals - fraction.size())));
    return fromRaw(negative ? -raw : raw);
}

std::optional<Currency> Currency::fromAnyText(const QString& text)
{
    if (auto value = fromText(text)) {
        return value;
    }
    return fromNumericText(text);
}

std::optional<Currency> Currency::fromNumericText(const QString& text)
{
    const std::optional<DecimalNumber> number = readDecimalNumber(text);
    if (!number) {
        return std::nullopt;
    }
    return fromDecimal(*number);
}

std::optional<Currency> Currency::fromDecimal(const DecimalNumber& number)
{
    QStringView digits(number.digits);
    while (!digits.isEmpty() && digits.front() == QLatin1Char('0')) {
        digits = digits.mid(1);
    }
    if (digits.isEmpty()) {
        return Currency();
    }

    // The raw value is digits × 10^shift, rounded to a whole number.
    const std::int64_t shift = number.exponent + kDecimals;
    const qsizetype kept = shift >= 0 ? digits.size() : digits.size() + shift;
    if (kept < 0) {
        return Currency();
    }
    Magnitude magnitude = 0;
    for (qsizetype i = 0; i < kept; ++i) {
        magnitude = magnitude * 10 + digits[i].digitValue();
        if (magnitude > kLargestNegativeMagnitude) {
            return std::nullopt;
        }
    }
    for (std::int64_t i = 0; i < shift; ++i) {
        magnitude *= 10;
        if (magnitude > kLargestNegativeMagnitude) {
            return std::nullopt;
        }
    }
    if (kept < digits.size() && digits[kept].digitValue() >= 5) {
        ++magnitude;
    }
    return fromSignAndMagnitude(number.negative, magnitude);
}

std::optional<Currency> Currency::plus(Currency other) const
{
    std::int64_t raw = 0;
    if (__builtin_add_overflow(m_raw, other.m_raw, &raw)) {
        return std::nullopt;
    }
    return fromRaw(raw);
}

std::optional<Currency> Currency::minus(Currency other) const
{
    std::int64_t raw = 0;
    if (__builtin_sub_overflow(m_raw, other.m_raw, &raw)) {
        return std::nullopt;
    }
    return fromRaw(raw);
}

std::optional<Currency> Currency::times(Currency other, int decimals) const
{
    if (!isValidDecimals(decimals)) {
        return std::nullopt;
    }
    const std::uint64_t unit = powerOfTen(kDecimals - decimals);
    const Magnitude product = magnitudeOf(m_raw) * magnitudeOf(other.m_raw);
    const Magnitude rounded = divideRounded(product, Magnitude(kScale) * unit) * unit;
    return fromSignAndMagnitude((m_raw < 0) != (other.m_raw < 0), rounded);
}

std::optional<Currency> Currency::dividedBy(std::int64_t divisor, int decimals) const
{
    if (divisor == 0 || !isValidDecimals(decimals)) {
        return std::nullopt;
    }
    const std::uint64_t unit = powerOfTen(kDecimals - decimals);
    const Magnitude quotient = divideRounded(magnitudeOf(m_raw), magnitudeOf(divisor) * unit) * unit;
    return fromSignAndMagnitude((m_raw < 0) != (divisor < 0), quotient);
}

std::optional<Currency> Currency::atRate(Currency ratePercent) const
{
    const std::optional<Currency> product = times(ratePercent);
    return product ? product->dividedBy(100, 2) : std::nullopt;
}

std::optional<Currency> Currency::rounded(int decimals) const
{
    return dividedBy(1, decimals);
}

} // namespace wagetrove
