#include "common/formats.h"

#include <QLocale>

#include <cmath>

namespace wagetrove {
namespace {

__extension__ typedef unsigned __int128 Magnitude;

/// A value rounded to a number of decimals, split into the parts the masks arrange.
struct RoundedParts
{
    bool negative = false; ///< false when the rounded value is zero
    QString whole;         ///< whole digits without leading zeros; empty for a whole part of zero
    QString fraction;      ///< exactly the requested number of digits
};

/// raw × 10^-rawDecimals rounded half away from zero to `decimals` places (decimals ≤ rawDecimals ≤ 18).
RoundedParts roundedParts(std::int64_t raw, int rawDecimals, int decimals)
{
    Magnitude unit = 1;
    for (int i = decimals; i < rawDecimals; ++i) {
        unit *= 10;
    }
    Magnitude magnitude = raw < 0 ? Magnitude(-(raw + 1)) + 1 : Magnitude(raw);
    const Magnitude remainder = magnitude % unit;
    magnitude = magnitude / unit + (remainder >= unit - remainder ? 1 : 0);

    Magnitude fractionScale = 1;
    for (int i = 0; i < decimals; ++i) {
        fractionScale *= 10;
    }
    // At most 2^63 / unit + 1, so both parts fit 64 bits.
    const auto whole = static_cast<std::uint64_t>(magnitude / fractionScale);
    const auto fraction = static_cast<std::uint64_t>(magnitude % fractionScale);

    RoundedParts parts;
    parts.negative = raw < 0 && magnitude != 0;
    parts.whole = whole == 0 ? QString() : QString::number(whole);
    parts.fraction = decimals == 0 ? QString() : QString::number(fraction).rightJustified(decimals, QLatin1Char('0'));
    return parts;
}

RoundedParts roundedParts(Currency value, int decimals)
{
    return roundedParts(value.raw(), Currency::kDecimals, decimals);
}

QString signOf(const RoundedParts& parts)
{
    return parts.negative ? QStringLiteral("-") : QString();
}

QString withCommaGroups(QString digits)
{
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3) {
        digits.insert(at, QLatin1Char(','));
    }
    return digits;
}

QString zeroIfEmpty(const QString& digits)
{
    return digits.isEmpty() ? QStringLiteral("0") : digits;
}

FieldText wholeNumberField(const RoundedParts& parts, const QString& shown, int digits)
{
    if (digits < 1) {
        return FieldText::failure(QStringLiteral("A field of %1 digits cannot hold a number.").arg(digits));
    }
    if (parts.negative) {
        return FieldText::failure(
            QStringLiteral("The number %1 is negative and cannot be written in a field of %2 digits.")
                .arg(shown)
                .arg(digits));
    }
    if (parts.whole.size() > digits) {
        return FieldText::failure(
            QStringLiteral("The number %1 does not fit in a field of %2 digits.").arg(shown).arg(digits));
    }
    return FieldText::written(parts.whole.rightJustified(digits, QLatin1Char('0')));
}

} // namespace

QString formatDollars(Currency amount)
{
    const RoundedParts parts = roundedParts(amount, 2);
    return signOf(parts) + QLatin1Char('$') + withCommaGroups(parts.whole) + QLatin1Char('.') + parts.fraction;
}

QString formatRate(Currency rate)
{
    const RoundedParts parts = roundedParts(rate, 3);
    return signOf(parts) + parts.whole + QLatin1Char('.') + parts.fraction;
}

QString formatTwoDecimals(Currency amount)
{
    const RoundedParts parts = roundedParts(amount, 2);
    return signOf(parts) + zeroIfEmpty(parts.whole) + QLatin1Char('.') + parts.fraction;
}

QString formatGroupedAmount(Currency amount)
{
    const RoundedParts parts = roundedParts(amount, Currency::kDecimals);
    QString fraction = parts.fraction;
    while (fraction.size() > 2 && fraction.endsWith(QLatin1Char('0'))) {
        fraction.chop(1);
    }
    return signOf(parts) + withCommaGroups(zeroIfEmpty(parts.whole)) + QLatin1Char('.') + fraction;
}

QString formatPlainDecimal(Currency value)
{
    const RoundedParts parts = roundedParts(value, Currency::kDecimals);
    QString fraction = parts.fraction;
    while (fraction.endsWith(QLatin1Char('0'))) {
        fraction.chop(1);
    }
    QString text = signOf(parts) + zeroIfEmpty(parts.whole);
    if (!fraction.isEmpty()) {
        text += QLatin1Char('.') + fraction;
    }
    return text;
}

FieldText amountField(Currency amount, int wholeDigits, int decimalDigits)
{
    if (wholeDigits < 1 || decimalDigits < 0 || decimalDigits > Currency::kDecimals) {
        return FieldText::failure(QStringLiteral("A field of %1 whole and %2 decimal digits cannot hold an amount.")
                                      .arg(wholeDigits)
                                      .arg(decimalDigits));
    }
    // Nearly every amount is positive and fits: its digits are written straight into the field.
    constexpr int kLongestField = 32;
    if (amount.raw() >= 0 && wholeDigits + decimalDigits <= kLongestField) {
        std::uint64_t unit = 1;
        for (int i = decimalDigits; i < Currency::kDecimals; ++i) {
            unit *= 10;
        }
        const auto raw = std::uint64_t(amount.raw());
        std::uint64_t rest = raw / unit + (raw % unit >= unit - raw % unit ? 1 : 0);
        char digits[kLongestField];
        for (int i = wholeDigits + decimalDigits - 1; i >= 0; --i) {
            digits[i] = char('0' + rest % 10);
            rest /= 10;
        }
        if (rest == 0) {
            return FieldText::written(QString::fromLatin1(digits, wholeDigits + decimalDigits));
        }
    }
    const RoundedParts parts = roundedParts(amount, decimalDigits);
    const auto reason = [&](const char* problem) {
        return FieldText::failure(QStringLiteral("The amount %1 %2 a field of %3 whole and %4 decimal digits.")
                                      .arg(formatPlainDecimal(amount), QLatin1String(problem))
                                      .arg(wholeDigits)
                                      .arg(decimalDigits));
    };
    if (parts.negative) {
        return reason("is negative and cannot be written in");
    }
    if (parts.whole.size() > wholeDigits) {
        return reason("does not fit in");
    }
    return FieldText::written(parts.whole.rightJustified(wholeDigits, QLatin1Char('0')) + parts.fraction);
}

FieldText countField(std::int64_t value, int digits)
{
    return wholeNumberField(roundedParts(value, 0, 0), QString::number(value), digits);
}

FieldText countField(Currency value, int digits)
{
    return wholeNumberField(roundedParts(value, 0), formatPlainDecimal(value), digits);
}

FieldText countField(double value, int digits)
{
    const QString shown = QString::number(value, 'g', QLocale::FloatingPointShortest);
    if (!std::isfinite(value)) {
        return FieldText::failure(
            QStringLiteral("The number %1 cannot be written in a field of %2 digits.").arg(shown).arg(digits));
    }
    // std::round takes halves away from zero and is exact: a half is representable in a double.
    const double whole = std::round(value);
    RoundedParts parts;
    parts.negative = whole < 0;
    parts.whole = whole == 0 ? QString() : QString::number(std::fabs(whole), 'f', 0);
    return wholeNumberField(parts, shown, digits);
}

FieldText rateFractionField(Currency ratePercent)
{
    // The rate ÷ 100 is the raw value read with six decimals instead of four.
    const RoundedParts parts = roundedParts(ratePercent.raw(), Currency::kDecimals + 2, 5);
    if (parts.negative || !parts.whole.isEmpty()) {
        return FieldText::failure(
            QStringLiteral("The rate %1 is outside 0 to 100 percent and cannot be written as a fraction of six "
                           "characters.")
                .arg(formatPlainDecimal(ratePercent)));
    }
    return FieldText::written(QLatin1Char('.') + parts.fraction);
}

} // namespace wagetrove
