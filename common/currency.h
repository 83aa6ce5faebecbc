#pragma once

#include <QByteArrayView>
#include <QString>

#include <compare>
#include <cstdint>
#include <optional>

namespace wagetrove {

struct DecimalNumber;

/// Money, hours and rates: an exact fixed-point number, a 64-bit integer scaled by 10,000 (four decimals).
/// Never a double. Arithmetic that would leave the 64-bit range is reported as nothing, never wrapped.
/// Every rounding in this class goes half away from zero: 0.00005 becomes 0.0001, -0.00005 becomes -0.0001.
class Currency
{
public:
    static constexpr std::int64_t kScale = 10000;
    static constexpr int kDecimals = 4;

    constexpr Currency() = default;

    static constexpr Currency fromRaw(std::int64_t raw)
    {
        Currency value;
        value.m_raw = raw;
        return value;
    }
    /// A whole number of units (dollars, hours, percent).
    static std::optional<Currency> fromUnits(std::int64_t units);

    /// Reads money as a user types it: "1234.5", "1,234.50", "$1,234.50", "-$12", ".5", with blanks around.
    /// Commas, when present, must group the whole part by threes. Digits past the fourth decimal are rounded.
    /// Nothing for any other text (an exponent, a second point, a letter, a lone "$" or ".") or a value outside
    /// the range.
    static std::optional<Currency> fromText(const QString& text);

    /// Reads the plain form a program writes, in ASCII: "1234.5", "-0.0001": an optional minus, digits, and a
    /// point with up to four decimals; at most fourteen whole digits. Without allocating, for reports of millions
    /// of values. Nothing for any other form, which fromText() then reads.
    static std::optional<Currency> fromPlainDecimal(QByteArrayView text);

    /// Reads any text that isNumeric() accepts (sign, blanks, decimal point, exponent: " -1.5e2 ") exactly,
    /// rounded to four decimals. Nothing for other texts or a value outside the range.
    static std::optional<Currency> fromNumericText(const QString& text);

    /// Either of the two: money as typed or any numeric text. For values that come back from where the user
    /// typed them (the settings file, a workbook cell).
    static std::optional<Currency> fromAnyText(const QString& text);

    /// The number exactly, rounded to four decimals; nothing when it is outside the range.
    static std::optional<Currency> fromDecimal(const DecimalNumber& number);

    constexpr std::int64_t raw() const { return m_raw; }
    constexpr bool isZero() const { return m_raw == 0; }
    constexpr bool isNegative() const { return m_raw < 0; }

    /// Exact sum or difference; nothing on overflow.
    std::optional<Currency> plus(Currency other) const;
    std::optional<Currency> minus(Currency other) const;

    /// The product rounded once to `decimals` places (0 to 4): 10,000.00 × 2.7 is 27,000; 0.0001 × 0.5 is 0.0001;
    /// 2.25 × 0.0022 to two places is 0.00. Nothing on overflow or for `decimals` outside 0 to 4.
    std::optional<Currency> times(Currency other, int decimals = kDecimals) const;

    /// The quotient rounded once to `decimals` places (0 to 4), so that a percentage of a product comes out right
    /// to the cent: 0.4950 ÷ 100 to two places is 0.00, not 0.01 by way of 0.0050. Nothing for a divisor of 0,
    /// on overflow or for `decimals` outside 0 to 4.
    std::optional<Currency> dividedBy(std::int64_t divisor, int decimals = kDecimals) const;

    /// The amount at a rate in percent: the product kept to four decimals, divided by 100 and rounded once to the
    /// cent (10,000.00 at 2.7 is 270.00). Nothing on overflow.
    std::optional<Currency> atRate(Currency ratePercent) const;

    /// Rounded to `decimals` places (0 to 4). Nothing on overflow or for `decimals` outside 0 to 4.
    std::optional<Currency> rounded(int decimals) const;

    constexpr auto operator<=>(const Currency&) const = default;

private:
    std::int64_t m_raw = 0;
};

} // namespace wagetrove
